// The graph painter on real drawings of the core: pixels of the plot buffer,
// the label strip, the reading numbers and the two xor marks.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <vector>

#include "graph/GraphDrawing.h"
#include "graph/GraphMouse.h"
#include "graph/GraphState.h"
#include "record/MeasurementRecord.h"
#include "ui/GraphPainter.h"

namespace mivora::ui {
namespace {

// The view's client area of the fixed-size window: W = 485, H = 365.
constexpr ClientRect kClient{0, 0, 865, 610};

const QColor kWhite(255, 255, 255);
const QColor kBlue(0, 0, 255);
const QColor kDarkCyan(0, 128, 128);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 155, 0);
const QRgb kGrey = qRgb(170, 170, 170);

class PainterTest : public ::testing::Test {
  protected:
    void SetReadings(const std::vector<float>& values) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            record->m_fScreenValue[i] = values[i];
            record->m_strScreenTime[i] = "12-11-26/10:00:00";
            record->m_strScreenUnit[i] = "C";
        }
        record->m_nScreenCount = static_cast<int>(values.size());
    }
    const GraphDrawing& Compute() {
        ComputeDrawing(*graph, kClient, *record, inputs, drawing);
        return drawing;
    }
    QImage Plot(const GraphColours& colours) {
        QImage img;
        PaintPlot(img, drawing, colours);
        return img;
    }
    // Trunc of the row of a value in the unzoomed window -100 .. 200.
    int Row(double value) const {
        const int H = drawing.plot.H;
        return static_cast<int>(H - (value + 100.0) * H / 300.0);
    }

    std::unique_ptr<GraphState> graph = std::make_unique<GraphState>();
    std::unique_ptr<MeasurementRecord> record = std::make_unique<MeasurementRecord>();
    MeterState meter;
    DrawingInputs inputs;
    GraphDrawing drawing;
    GraphColours colours = GraphColoursFor(kWhite, kBlue);
};

// Which colours a row of the image holds in the columns [x0, x1).
struct RowColours {
    bool red = false;
    bool line = false;
};
RowColours ColoursInRow(const QImage& img, int y, int x0, int x1, QRgb line) {
    RowColours c;
    for (int x = std::max(0, x0); x < std::min(img.width(), x1); ++x) {
        const QRgb p = img.pixel(x, y);
        c.red = c.red || p == kRed;
        c.line = c.line || p == line;
    }
    return c;
}

TEST_F(PainterTest, PlotBufferHasThePlotSize) {
    Compute();
    const QImage img = Plot(colours);
    EXPECT_EQ(img.width(), 485);
    EXPECT_EQ(img.height(), 365);
}

TEST_F(PainterTest, NoPlotAreaPaintsNothing) {
    ComputeDrawing(*graph, ClientRect{0, 0, 300, 200}, *record, inputs, drawing);
    QImage plot(10, 10, QImage::Format_RGB32);
    PaintPlot(plot, drawing, colours);
    EXPECT_TRUE(plot.isNull());
    QImage view(300, 200, QImage::Format_RGB32);
    view.fill(Qt::magenta);
    const QImage before = view;
    GraphPainter painter;
    painter.Paint(view, drawing, colours, QFont(), ButtonFaceColour(), QPoint(0, -30));
    EXPECT_EQ(view, before);
}

TEST_F(PainterTest, SegmentIsLineColouredBelowTheUpperLimitAndRedAbove) {
    SetReadings({100.0f, 200.0f});
    Compute();
    const QImage img = Plot(colours);
    const int yStart = Row(100.0);  // the segment runs from here up to row 0
    const int yHigh = Row(150.0);
    const int xEnd = static_cast<int>(std::ceil(485.0 / 99.0)) + 2;
    ASSERT_GT(yStart - yHigh, 20);
    int below = 0;
    int above = 0;
    for (int y = 1; y < yStart - 1; ++y) {
        if (std::abs(y - yHigh) <= 2) continue;  // the crossing and the green row
        const RowColours c = ColoursInRow(img, y, 0, xEnd, kBlue.rgb());
        if (y > yHigh) {
            EXPECT_TRUE(c.line) << "row " << y;
            EXPECT_FALSE(c.red) << "row " << y;
            ++below;
        } else {
            EXPECT_TRUE(c.red) << "row " << y;
            EXPECT_FALSE(c.line) << "row " << y;
            ++above;
        }
    }
    EXPECT_GT(below, 10);
    EXPECT_GT(above, 10);
    // Nothing of the trace right of reading 1.
    const RowColours rest = ColoursInRow(img, yHigh + 10, xEnd + 1, 485, kBlue.rgb());
    EXPECT_FALSE(rest.red || rest.line);
}

TEST_F(PainterTest, SegmentThroughBothLimitsIsRedLineRed) {
    SetReadings({-100.0f, 200.0f});
    Compute();
    const QImage img = Plot(colours);
    const int xEnd = 8;
    const int yLow = Row(-50.0);
    const int yHigh = Row(150.0);
    struct Case {
        int y;
        bool red;
    };
    for (const Case& c : {Case{yLow + 15, true}, Case{(yLow + yHigh) / 2, false},
                          Case{yHigh + 15, false}, Case{yHigh - 15, true}}) {
        const RowColours rc = ColoursInRow(img, c.y, 0, xEnd, kBlue.rgb());
        EXPECT_EQ(rc.red, c.red) << "row " << c.y;
        EXPECT_EQ(rc.line, !c.red) << "row " << c.y;
    }
}

TEST_F(PainterTest, LineColourFollowsTheSelection) {
    SetReadings({0.0f, 50.0f, 0.0f});
    Compute();
    for (const QColor& line : {QColor(0, 0, 255), QColor(255, 0, 255), QColor(0, 128, 0)}) {
        const QImage img = Plot(GraphColoursFor(kWhite, line));
        const RowColours rc = ColoursInRow(img, Row(25.0), 0, 12, line.rgb());
        EXPECT_TRUE(rc.line) << line.name().toStdString();
        EXPECT_FALSE(rc.red);
    }
}

TEST_F(PainterTest, AlarmRowsAreGreenAtTheirRows) {
    // Also with an empty series: the rows are drawn in every drawing.
    for (const std::vector<float>& values : {std::vector<float>{}, {100.0f, 200.0f, -90.0f}}) {
        SetReadings(values);
        Compute();
        const QImage img = Plot(colours);
        const int H = 365;
        const int high = static_cast<int>(H - 250.0 * H / 300.0);
        const int low = static_cast<int>(H - 50.0 * H / 300.0);
        EXPECT_EQ(high, Row(150.0));
        for (int y : {high, low}) {
            // Drawn last, over grid and trace: the whole row is green.
            for (int x = 0; x < img.width(); ++x) {
                ASSERT_EQ(img.pixel(x, y), kGreen) << "x " << x << " y " << y;
            }
        }
        for (int y : {high + 3, high - 3, low + 3, low - 3, (high + low) / 2}) {
            EXPECT_NE(img.pixel(200, y), kGreen) << "y " << y;
        }
    }
}

TEST_F(PainterTest, GridIsDottedGreyThreeOnThreeOff) {
    Compute();
    const QImage img = Plot(colours);
    const int H = img.height();
    const std::set<int> verticals(drawing.verticalGridX.begin(), drawing.verticalGridX.end());
    // Horizontal lines at trunc(i * H / 12), dots counted from x = 0.
    for (int i = 1; i < 12; ++i) {
        const int y = static_cast<int>(i * H * (1.0 / 12.0));
        if (std::abs(y - Row(150.0)) <= 1 || std::abs(y - Row(-50.0)) <= 1) continue;
        for (int x = 0; x < img.width(); ++x) {
            if (verticals.count(x)) continue;
            const QRgb expected = (x % 6 < 3) ? kGrey : kWhite.rgb();
            ASSERT_EQ(img.pixel(x, y), expected) << "x " << x << " y " << y;
        }
    }
    // Vertical lines run from the bottom edge (y = H) up; their dots count from there.
    ASSERT_GE(verticals.size(), 10u);
    const int x = *std::next(verticals.begin(), 3);
    for (int y = 0; y < H; ++y) {
        if (std::abs(y - Row(150.0)) <= 1 || std::abs(y - Row(-50.0)) <= 1) continue;
        bool onHorizontal = false;
        for (int i = 1; i < 12; ++i) onHorizontal |= y == static_cast<int>(i * H * (1.0 / 12.0));
        if (onHorizontal) continue;
        const int k = H - y;
        const QRgb expected = (k % 6 < 3) ? kGrey : kWhite.rgb();
        ASSERT_EQ(img.pixel(x, y), expected) << "x " << x << " y " << y;
    }
    // Between the lines the plot is background.
    EXPECT_EQ(img.pixel(*verticals.begin() + 3, 5), kWhite.rgb());
}

TEST_F(PainterTest, BackgroundFollowsTheSelection) {
    Compute();
    struct Case {
        QColor selection;  // invalid: no selection
        QRgb background;
        QRgb trackPen;
    };
    for (const Case& c : {Case{kDarkCyan, kDarkCyan.rgb(), kDarkCyan.rgb()},
                          Case{QColor(255, 255, 0), qRgb(255, 255, 0), qRgb(255, 255, 0)},
                          Case{QColor(0, 0, 0), qRgb(0, 0, 0), qRgb(0, 0, 0)},
                          Case{QColor(), qRgb(255, 255, 255), qRgb(0, 0, 0)}}) {
        const GraphColours gc = GraphColoursFor(c.selection, kBlue);
        EXPECT_EQ(gc.background.rgb(), c.background);
        EXPECT_EQ(gc.trackPen.rgb(), c.trackPen);
        const QImage img = Plot(gc);
        EXPECT_EQ(img.pixel(5, 5), c.background);
        EXPECT_EQ(img.pixel(480, 200), c.background);
        EXPECT_EQ(img.pixel(7, static_cast<int>(365 / 12)), kGrey);  // grid unchanged
    }
}

TEST_F(PainterTest, NoLineSelectionDrawsTheTraceBlack) {
    SetReadings({0.0f, 50.0f, 0.0f});
    Compute();
    const QImage img = Plot(GraphColoursFor(kWhite, QColor()));
    EXPECT_TRUE(ColoursInRow(img, Row(25.0), 0, 12, qRgb(0, 0, 0)).line);
}

TEST_F(PainterTest, TrackingLineTwiceRestoresThePicture) {
    SetReadings({100.0f, 200.0f, 20.0f, -80.0f, 160.0f});
    Compute();
    for (const QColor& selection : {kDarkCyan, QColor(), kWhite, QColor(255, 0, 0)}) {
        const GraphColours gc = GraphColoursFor(selection, kBlue);
        GraphPainter painter;
        QImage view(865, 610, QImage::Format_RGB32);
        view.fill(ButtonFaceColour());
        painter.Paint(view, drawing, gc, QFont(), ButtonFaceColour(), QPoint(0, -30));
        const QImage before = view;
        const int top = drawing.plot.top;
        const int bottom = drawing.plot.bottom;
        for (int x : {drawing.plot.left, drawing.plot.left + 3, drawing.plot.left + 7,
                      drawing.plot.left + 250, drawing.plot.right}) {
            XorTrackLine(view, x, top, bottom, gc.trackPen);
            if (selection != kWhite) {
                EXPECT_NE(view, before) << "x " << x;
            }
            XorTrackLine(view, x, top, bottom, gc.trackPen);
            EXPECT_EQ(view, before) << "x " << x;
        }
        // On the background the line shows: white on a coloured plot, black on white.
        XorTrackLine(view, drawing.plot.left + 300, top, bottom, gc.trackPen);
        const QRgb shown = selection.isValid() ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        if (selection != kWhite) {
            EXPECT_EQ(view.pixel(drawing.plot.left + 300, top + 1), shown);
        }
    }
}

TEST_F(PainterTest, TrackingLineIsDottedAndKeepsItsEndPixel) {
    QImage img(5, 20, QImage::Format_RGB32);
    img.fill(kDarkCyan);
    XorTrackLine(img, 2, 4, 16, kDarkCyan);
    for (int y = 0; y < 20; ++y) {
        const int k = y - 4;
        const bool on = k >= 0 && y < 16 && k % 6 < 3;
        EXPECT_EQ(img.pixel(2, y), on ? qRgb(255, 255, 255) : kDarkCyan.rgb()) << "y " << y;
        EXPECT_EQ(img.pixel(1, y), kDarkCyan.rgb());
    }
}

TEST_F(PainterTest, TrackingLinePutBackAfterNewDataMatchesTheScreen) {
    SetReadings({100.0f, 200.0f, 20.0f});
    Compute();
    const GraphColours gc = GraphColoursFor(kDarkCyan, kBlue);
    GraphPainter painter;
    QImage view(865, 610, QImage::Format_RGB32);
    view.fill(ButtonFaceColour());
    painter.Paint(view, drawing, gc, QFont(), ButtonFaceColour(), QPoint(0, -30));

    // The mouse draws the line on the screen.
    const MouseResult move =
        OnMouseMove(*graph, kClient, *record, meter, {drawing.plot.left + 6, 300});
    ASSERT_TRUE(move.drawTrackLine);
    XorTrackLine(view, move.drawTrackX, move.trackTop, move.trackBottom, gc.trackPen);
    const QImage withLine = view;

    // A new frame repaints: the line is put back into the new picture.
    record->m_bNewData = true;
    Compute();
    ASSERT_TRUE(drawing.restoreTrackLine);
    painter.Paint(view, drawing, gc, QFont(), ButtonFaceColour(), QPoint(0, -30));
    EXPECT_EQ(view, withLine);

    // The next move erases it exactly and draws the new one.
    const MouseResult next =
        OnMouseMove(*graph, kClient, *record, meter, {drawing.plot.left + 40, 300});
    ASSERT_TRUE(next.eraseTrackLine);
    XorTrackLine(view, next.eraseTrackX, next.trackTop, next.trackBottom, gc.trackPen);
    XorTrackLine(view, next.drawTrackX, next.trackTop, next.trackBottom, gc.trackPen);
    XorTrackLine(view, next.drawTrackX, next.trackTop, next.trackBottom, gc.trackPen);
    Compute();  // no new data: nothing put back
    EXPECT_FALSE(drawing.restoreTrackLine);
    QImage clean(865, 610, QImage::Format_RGB32);
    clean.fill(ButtonFaceColour());
    painter.Paint(clean, drawing, gc, QFont(), ButtonFaceColour(), QPoint(0, -30));
    EXPECT_EQ(view, clean);
}

TEST_F(PainterTest, DragRectangleAppearsAndTwiceRestores) {
    SetReadings({100.0f, 200.0f, 20.0f});
    Compute();
    GraphPainter painter;
    QImage view(865, 610, QImage::Format_RGB32);
    view.fill(ButtonFaceColour());
    painter.Paint(view, drawing, colours, QFont(), ButtonFaceColour(), QPoint(0, -30));
    const QImage before = view;
    const IntRect band{100, 200, 160, 240};
    XorDragRect(view, band);
    int changed = 0;
    for (int y = 0; y < view.height(); ++y) {
        for (int x = 0; x < view.width(); ++x) {
            if (view.pixel(x, y) == before.pixel(x, y)) continue;
            ++changed;
            const bool onFrame =
                (y == band.top || y == band.bottom - 1 || x == band.left || x == band.right - 1) &&
                x >= band.left && x < band.right && y >= band.top && y < band.bottom;
            ASSERT_TRUE(onFrame) << x << "," << y;
        }
    }
    // Halftone: about every other pixel of the 1-pixel frame.
    const int perimeter = 2 * (band.Width() + band.Height()) - 4;
    EXPECT_GE(changed, perimeter / 2 - 2);
    EXPECT_LE(changed, perimeter / 2 + 2);
    XorDragRect(view, band);
    EXPECT_EQ(view, before);
    // A moved band: the old one removed, the new one drawn, in either order.
    XorDragRect(view, band);
    XorDragRect(view, IntRect{100, 200, 190, 260});
    XorDragRect(view, band);
    QImage expect = before;
    XorDragRect(expect, IntRect{100, 200, 190, 260});
    EXPECT_EQ(view, expect);
    // An empty band draws nothing.
    QImage flat = before;
    XorDragRect(flat, IntRect{100, 200, 100, 260});
    EXPECT_EQ(flat, before);
}

TEST_F(PainterTest, LabelStripHasTicksAndRightAlignedValueLabels) {
    Compute();
    const QColor face(212, 208, 200);
    QImage strip;
    QFont font;
    font.setPixelSize(13);
    PaintLabelStrip(strip, drawing, font, face);
    ASSERT_EQ(strip.width(), 70);
    ASSERT_EQ(strip.height(), 365 + 17);
    const int H = 365;
    for (int k = 0; k < 13; ++k) {
        const int yt = H + 6 - (k * (H - 1)) / 12;
        for (int x = 65; x < 70; ++x) ASSERT_EQ(strip.pixel(x, yt), qRgb(0, 0, 0)) << k;
        EXPECT_EQ(strip.pixel(64, yt), face.rgb()) << k;
        // Value -100 + 25k: the opaque white cell begins at the width-class x.
        const double v = -100.0 + 25.0 * k;
        const int tx = v <= -100 ? 9 : v <= -10 ? 17 : v < 0 ? 24 : v < 10 ? 32 : v < 100 ? 24 : 17;
        const int ty = H - 1 - (k * (H - 2)) / 12;
        EXPECT_EQ(strip.pixel(tx, ty), qRgb(255, 255, 255)) << k;
        EXPECT_EQ(strip.pixel(tx - 1, ty), face.rgb()) << k;
        // Black text inside the cell.
        bool ink = false;
        for (int y = ty; y < ty + 13 && y < strip.height(); ++y) {
            for (int x = tx; x < 64; ++x) ink |= qGray(strip.pixel(x, y)) < 100;
        }
        EXPECT_TRUE(ink) << k;
    }
    EXPECT_EQ(strip.pixel(1, 1), face.rgb());
}

TEST_F(PainterTest, ReadingNumbersEraseTheirBandAndWriteEachNumber) {
    Compute();
    ASSERT_FALSE(drawing.readingNumbers.empty());
    QImage frame(865, 700, QImage::Format_RGB32);
    frame.fill(Qt::magenta);
    const QColor face(212, 208, 200);
    QFont font;
    font.setPixelSize(13);
    {
        QPainter p(&frame);
        PaintReadingNumbers(p, drawing, font, face);
    }
    const IntRect& band = drawing.readingNumberBand;
    EXPECT_EQ(band.left, 70);
    EXPECT_EQ(band.top, 535 + 33);
    EXPECT_EQ(band.Width(), 485 + 22);
    EXPECT_EQ(band.Height(), 29);
    EXPECT_EQ(frame.pixel(band.left, band.top), face.rgb());
    EXPECT_EQ(frame.pixel(band.right - 1, band.bottom - 1), face.rgb());
    EXPECT_EQ(frame.pixel(band.left - 1, band.top), QColor(Qt::magenta).rgb());
    EXPECT_EQ(frame.pixel(band.left, band.top - 1), QColor(Qt::magenta).rgb());
    EXPECT_EQ(frame.pixel(band.left, band.bottom), QColor(Qt::magenta).rgb());
    for (const ReadingNumber& n : drawing.readingNumbers) {
        bool ink = false;
        for (int y = n.y; y < n.y + 13; ++y) {
            for (int x = n.x; x < n.x + 8; ++x) ink |= qGray(frame.pixel(x, y)) < 100;
        }
        EXPECT_TRUE(ink) << n.text;
    }
    EXPECT_EQ(drawing.readingNumbers.front().text, "1");
}

TEST_F(PainterTest, ZoomedTraceIsCutAtTheZoomedLimitRow) {
    SetReadings({100.0f, 200.0f, 100.0f});
    Compute();
    const PlotRect p = drawing.plot;
    // A band around the first rise, from value ~90 to ~190 and readings 0..2.
    OnLButtonDown(*graph, kClient, *record, {p.left, p.top + Row(190.0)});
    OnMouseMove(*graph, kClient, *record, meter, {p.left + 12, p.top + Row(90.0)});
    const MouseResult up =
        OnLButtonUp(*graph, kClient, *record, meter, {p.left + 12, p.top + Row(90.0)});
    ASSERT_TRUE(up.zoomLevelAdded);
    Compute();
    ASSERT_EQ(graph->g_nZoomLevel, 1);
    const QImage img = Plot(colours);
    const float a0 = graph->g_fAxisValue[1][0];
    const float a12 = graph->g_fAxisValue[1][12];
    const int yHigh = static_cast<int>(365 - (150.0 - a0) * 365 / (a12 - a0));
    ASSERT_EQ(drawing.alarmRowY[0], yHigh);
    ASSERT_GT(yHigh, 60);
    ASSERT_LT(yHigh, 300);
    const RowColours below = ColoursInRow(img, yHigh + 20, 0, 485, kBlue.rgb());
    const RowColours above = ColoursInRow(img, yHigh - 20, 0, 485, kBlue.rgb());
    EXPECT_TRUE(below.line);
    EXPECT_FALSE(below.red);
    EXPECT_TRUE(above.red);
    EXPECT_FALSE(above.line);
}

}  // namespace
}  // namespace mivora::ui
