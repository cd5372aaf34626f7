#include "ui/GraphPainter.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLine>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QString>
#include <QVector>
#include <algorithm>
#include <cstdlib>

namespace mivora::ui {

namespace {

// A dotted pen of the platform: three pixels on, three off, counted from the
// line's start point.
constexpr int kDotOn = 3;
constexpr int kDotPeriod = 6;

enum class PixelOp { Copy, NotXor };

// Axis-parallel dotted line from (x1, y1) towards (x2, y2); like the platform's
// lines it does not set the end pixel. Clipped to the image.
void DottedLine(QImage& image, int x1, int y1, int x2, int y2, QRgb colour, PixelOp op) {
    if (x1 != x2 && y1 != y2) return;
    const int dx = (x2 > x1) - (x2 < x1);
    const int dy = (y2 > y1) - (y2 < y1);
    const int length = std::abs(x2 - x1) + std::abs(y2 - y1);
    const QRgb src = colour & 0x00FFFFFFu;
    for (int k = 0; k < length; ++k) {
        if (k % kDotPeriod >= kDotOn) continue;
        const int x = x1 + k * dx;
        const int y = y1 + k * dy;
        if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) continue;
        QRgb* px = reinterpret_cast<QRgb*>(image.scanLine(y)) + x;
        if (op == PixelOp::Copy) {
            *px = 0xFF000000u | src;
        } else {
            *px = 0xFF000000u | (~(src ^ *px) & 0x00FFFFFFu);
        }
    }
}

// Makes `image` a w x h RGB image, reusing its storage when the size is unchanged.
void Prepare(QImage& image, int w, int h) {
    if (image.width() != w || image.height() != h || image.format() != QImage::Format_RGB32) {
        image = QImage(w, h, QImage::Format_RGB32);
    }
}

QPen SolidPen(const QColor& colour) {
    QPen pen(colour);
    pen.setWidth(2);
    pen.setStyle(Qt::SolidLine);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// Text with its top-left corner at (x, y), on an opaque cell of `background`
// as wide as the text and as high as the font.
void OpaqueText(QPainter& p, const QFontMetrics& fm, int x, int y, const QString& text,
                const QColor& background) {
    p.fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.height()), background);
    p.drawText(QPoint(x, y + fm.ascent()), text);
}

}  // namespace

GraphColours GraphColoursFor(const QColor& bgSelection, const QColor& lineSelection) {
    GraphColours c;
    if (bgSelection.isValid()) {
        c.background = bgSelection;
        c.trackPen = bgSelection;
    } else {
        c.background = QColor(255, 255, 255);
        c.trackPen = QColor(0, 0, 0);
    }
    c.line = lineSelection.isValid() ? lineSelection : QColor(0, 0, 0);
    return c;
}

QColor ButtonFaceColour() {
    // The frame's own background, which the panels and the label margin show.
    return QGuiApplication::palette().color(QPalette::Window);
}

void PaintPlot(QImage& plot, const GraphDrawing& d, const GraphColours& colours) {
    if (!d.canDraw) {
        plot = QImage();
        return;
    }
    const int W = d.plot.W;
    const int H = d.plot.H;
    Prepare(plot, W, H);
    plot.fill(colours.background);

    const QRgb grid = GridColour().rgb();
    for (int x : d.verticalGridX) DottedLine(plot, x, H, x, 0, grid, PixelOp::Copy);
    for (int y : d.horizontalGridY) DottedLine(plot, 0, y, W, y, grid, PixelOp::Copy);

    {
        QPainter p(&plot);
        p.setRenderHint(QPainter::Antialiasing, false);
        const QPen red = SolidPen(AlarmTraceColour());
        const QPen line = SolidPen(colours.line);
        // Runs of pieces of one colour go out together; the order of drawing,
        // and so which colour wins where pieces meet, stays that of the trace.
        QVector<QLine> run;
        run.reserve(64);
        const auto& trace = d.trace;
        for (std::size_t i = 0; i < trace.size();) {
            const TraceColour colour = trace[i].colour;
            run.clear();
            for (; i < trace.size() && trace[i].colour == colour; ++i) {
                run.append(QLine(trace[i].x1, trace[i].y1, trace[i].x2, trace[i].y2));
            }
            p.setPen(colour == TraceColour::Red ? red : line);
            p.drawLines(run);
        }
        if (d.drawAlarmRows) {
            p.setPen(SolidPen(AlarmRowColour()));
            for (int y : d.alarmRowY) p.drawLine(0, y, W, y);
        }
    }

    // Put back the tracking line the mouse had drawn on the screen, with the
    // same pen and raster operation, over everything: the next mouse move
    // then erases it exactly, trace and grid included.
    if (d.restoreTrackLine) XorTrackLine(plot, d.trackLineX, 0, H, colours.trackPen);
}

void PaintLabelStrip(QImage& strip, const GraphDrawing& d, const QFont& font,
                     const QColor& buttonFace) {
    if (!d.canDraw || d.labelStrip.Width() <= 0 || d.labelStrip.Height() <= 0) {
        strip = QImage();
        return;
    }
    Prepare(strip, d.labelStrip.Width(), d.labelStrip.Height());
    strip.fill(buttonFace);
    if (!d.drawValueLabels) return;

    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 0));
    const QFontMetrics fm(font);
    const int plotLeft = d.plot.left;
    for (const ValueLabel& label : d.valueLabels) {
        // Tick from (plot left - 5) up to, not including, plot left.
        p.fillRect(QRect(plotLeft - 5, label.tickY, 5, 1), QColor(0, 0, 0));
        OpaqueText(p, fm, label.textX, label.textY, QString::fromStdString(label.text),
                   QColor(255, 255, 255));
    }
}

void PaintReadingNumbers(QPainter& frame, const GraphDrawing& d, const QFont& font,
                         const QColor& buttonFace) {
    if (!d.canDraw) return;
    if (d.eraseReadingNumbers) {
        const IntRect& band = d.readingNumberBand;
        frame.fillRect(QRect(band.left, band.top, band.Width(), band.Height()), buttonFace);
    }
    frame.save();
    frame.setFont(font);
    frame.setPen(QColor(0, 0, 0));
    const QFontMetrics fm(font);
    for (const ReadingNumber& number : d.readingNumbers) {
        OpaqueText(frame, fm, number.x, number.y, QString::fromStdString(number.text), buttonFace);
    }
    frame.restore();
}

void XorTrackLine(QImage& image, int x, int top, int bottom, const QColor& pen) {
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32) {
        return;
    }
    DottedLine(image, x, top, x, bottom, pen.rgb(), PixelOp::NotXor);
}

void XorDragRect(QImage& image, const IntRect& rect) {
    if (rect.Width() <= 0 || rect.Height() <= 0) return;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32) {
        return;
    }
    const int w = image.width();
    const int h = image.height();
    auto invert = [&](int x, int y) {
        // Halftone: every other pixel, in a checkerboard fixed to the image.
        if (x < 0 || y < 0 || x >= w || y >= h || ((x + y) & 1) != 0) return;
        QRgb* px = reinterpret_cast<QRgb*>(image.scanLine(y)) + x;
        *px ^= 0x00FFFFFFu;
    };
    const int l = rect.left;
    const int t = rect.top;
    const int r = rect.right - 1;
    const int b = rect.bottom - 1;
    for (int x = l; x <= r; ++x) {
        invert(x, t);
        if (b != t) invert(x, b);
    }
    for (int y = t + 1; y < b; ++y) {
        invert(l, y);
        if (r != l) invert(r, y);
    }
}

void GraphPainter::Paint(QImage& view, const GraphDrawing& d, const GraphColours& colours,
                         const QFont& font, const QColor& buttonFace, QPoint frameOrigin) {
    if (!d.canDraw) return;
    PaintPlot(m_plot, d, colours);
    PaintLabelStrip(m_strip, d, font, buttonFace);

    QPainter p(&view);
    // Reading numbers first, in frame coordinates; the buffers are copied over them.
    p.save();
    p.translate(frameOrigin);
    PaintReadingNumbers(p, d, font, buttonFace);
    p.restore();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(d.plot.left, d.plot.top), m_plot);
    p.drawImage(QPoint(d.labelStrip.left, d.labelStrip.top), m_strip);
}

}  // namespace mivora::ui
