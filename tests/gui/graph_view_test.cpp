// The trend graph in the real window: repaints from the core's drawing, the
// mouse readout, the tracking line, rubber-band zoom and UndoZoom.
#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <algorithm>
#include <string>
#include <vector>

#include "GuiFixture.h"
#include "graph/GraphDrawing.h"
#include "ui/GraphPainter.h"

namespace mivora::ui::test {
namespace {

class GraphViewTest : public FrameFixture {
protected:
    // Puts readings straight into the screen series and redraws, the way a
    // loaded or recorded series reaches the view.
    void SetSeries(const std::vector<float>& values) {
        MeasurementRecord& r = Record();
        for (std::size_t i = 0; i < values.size(); ++i) {
            r.m_fScreenValue[i] = values[i];
            r.m_fValue[i] = values[i];
            r.m_strScreenTime[i] = "12-11-26/10:00:" + std::to_string(10 + i % 50);
            r.m_strScreenUnit[i] = "C";
        }
        r.m_nScreenCount = static_cast<int>(values.size());
        r.m_nTotalCount = r.m_nScreenCount;
        m_doc->UpdateAllViews();
        View().RedrawNow();
    }
    std::vector<std::string> ValueLabels() {
        std::vector<std::string> out;
        for (const ValueLabel& l : View().LastDrawing().valueLabels) out.push_back(l.text);
        return out;
    }
    PlotRect Plot() { return ComputePlotRect(View().ViewClientRect()); }
    QString Pane(int i) { return m_frame->StatusPane(i)->text(); }
    // x of reading i in the unzoomed real-time window.
    int ReadingX(int i) {
        const PlotRect p = Plot();
        return p.left + static_cast<int>(i * (p.W / 99.0)) + 1;
    }
    // The pointer moves there: the cursor (which the drag watch reads) and the
    // view's mouse event.
    void MoveTo(QPoint p) {
        QCursor::setPos(View().mapToGlobal(p));
        QTest::mouseMove(&View(), p);
    }
    void Press(QPoint p) {
        QCursor::setPos(View().mapToGlobal(p));
        QTest::mousePress(&View(), Qt::LeftButton, {}, p);
    }
    void Release(QPoint p) { QTest::mouseRelease(&View(), Qt::LeftButton, {}, p); }
    QImage LabelStrip() {
        const PlotRect p = Plot();
        return View().grab(QRect(0, p.top - 7, p.left, p.H + 17)).toImage();
    }
};

TEST_F(GraphViewTest, EmptySeriesShowsTheGridAlarmRowsAndBarePanes) {
    View().RedrawNow();
    EXPECT_EQ(Pane(1), "time:");
    EXPECT_EQ(Pane(2), "temp:");
    const PlotRect p = Plot();
    ASSERT_TRUE(p.Usable());
    const QImage img = View().grab().toImage();
    const int high = static_cast<int>(p.H - 250.0 * p.H / 300.0);
    const int low = static_cast<int>(p.H - 50.0 * p.H / 300.0);
    for (int y : {high, low}) {
        EXPECT_EQ(img.pixelColor(p.left + p.W / 2, p.top + y), QColor(0, 155, 0)) << y;
    }
    // Default background index 14: white plot, grey dotted grid.
    EXPECT_EQ(img.pixelColor(p.left + 5, p.top + 5), QColor(Qt::white));
    const int grid = static_cast<int>(p.H / 12.0);
    EXPECT_EQ(img.pixelColor(p.left + 1, p.top + grid), QColor(170, 170, 170));
    EXPECT_EQ(img.pixelColor(p.left + 4, p.top + grid), QColor(Qt::white));
    EXPECT_EQ(ValueLabels().front(), "-100.00");
    EXPECT_EQ(ValueLabels().back(), "200.00");
    EXPECT_FALSE(View().LastDrawing().readingNumbers.empty());
    EXPECT_FALSE(m_frame->m_actUndoZoom->isEnabled());
}

TEST_F(GraphViewTest, FramesFromTheMeterAreDrawnInTheLineColourAndRedAboveTheLimit) {
    SwitchOn();
    SendAndWait(1000);
    SendAndWait(2000);
    ASSERT_EQ(Record().m_nScreenCount, 2);
    const PlotRect p = Plot();
    const QImage img = View().grab().toImage();
    auto rowHas = [&](int y, const QColor& c) {
        for (int x = p.left; x < p.left + 10; ++x) {
            if (img.pixelColor(x, p.top + y) == c) return true;
        }
        return false;
    };
    const int yHigh = static_cast<int>(p.H - 250.0 * p.H / 300.0);
    const QColor blue(0, 0, 255);  // the default LineColor index 2
    const QColor red(255, 0, 0);
    EXPECT_TRUE(rowHas(yHigh + 15, blue));
    EXPECT_FALSE(rowHas(yHigh + 15, red));
    EXPECT_TRUE(rowHas(yHigh - 15, red));
    EXPECT_FALSE(rowHas(yHigh - 15, blue));
}

TEST_F(GraphViewTest, ReadoutShowsTheReadingUnderTheMouse) {
    SwitchOn();
    SendAndWait(215);
    SendAndWait(123, kStatusCelsius | kStatusNegative);
    SendAndWait(876);
    ASSERT_EQ(Record().m_nScreenCount, 3);
    const PlotRect p = Plot();
    struct Case {
        int index;
        const char* temp;
    };
    for (const Case& c : {Case{0, "temp:21.5"}, Case{1, "temp:-12.3"}, Case{2, "temp:87.6"}}) {
        MoveTo(QPoint(ReadingX(c.index), p.top + 100));
        EXPECT_EQ(Pane(1).toStdString(), "time:" + Record().m_strScreenTime[c.index]);
        EXPECT_EQ(Pane(2).toStdString(), std::string(c.temp) + Record().m_strScreenUnit[c.index]);
    }
    // Right of the last reading the panes keep their texts.
    MoveTo(QPoint(p.left + p.W / 2, p.top + 100));
    EXPECT_EQ(Pane(2).toStdString(), "temp:87.6" + Record().m_strScreenUnit[2]);
}

TEST_F(GraphViewTest, ReadoutOfALoggedEntryWithoutAValue) {
    SetSeries({20.0f, kNoValueMarker, 30.0f});
    MoveTo(QPoint(ReadingX(1), Plot().top + 50));
    EXPECT_EQ(Pane(2), "-----C");
}

TEST_F(GraphViewTest, TrackingLineFollowsTheMouseAndLeavesNoTrace) {
    SetSeries({20.0f, 60.0f, 30.0f, 90.0f});
    const PlotRect p = Plot();
    const QImage clean = View().Screen();
    const int x1 = p.left + 200;
    const int x2 = p.left + 260;
    MoveTo(QPoint(x1, p.top + 50));
    QImage shown = View().Screen();
    // Default colours: white plot, black not-xor pen.
    EXPECT_EQ(shown.pixelColor(x1, p.top), QColor(Qt::black));
    EXPECT_EQ(shown.pixelColor(x1, p.top + 3), QColor(Qt::white));
    // Painting afresh wipes the line; the next move draws it anew.
    View().RedrawNow();
    EXPECT_EQ(View().Screen(), clean);
    EXPECT_EQ(View().Graph().g_bTrackFresh, 1);
    MoveTo(QPoint(x1 + 1, p.top + 50));
    EXPECT_EQ(View().Screen().pixelColor(x1 + 1, p.top), QColor(Qt::black));
    MoveTo(QPoint(x2, p.top + 50));
    shown = View().Screen();
    EXPECT_EQ(shown.pixelColor(x1 + 1, p.top), QColor(Qt::white)) << "the old line is erased";
    EXPECT_EQ(shown.pixelColor(x2, p.top), QColor(Qt::black));
    QImage expected = clean;
    XorTrackLine(expected, x2, p.top, p.bottom, QColor(Qt::black));
    EXPECT_EQ(shown, expected);
}

TEST_F(GraphViewTest, TrackingLineIsPutBackAfterANewFrame) {
    SwitchOn();
    SendAndWait(200);
    SendAndWait(300);
    const PlotRect p = Plot();
    const int x = p.left + 300;
    MoveTo(QPoint(x, p.top + 50));
    ASSERT_EQ(View().Screen().pixelColor(x, p.top), QColor(Qt::black));
    SendAndWait(400);
    ASSERT_TRUE(WaitFor([&] { return View().LastDrawing().trace.size() >= 2; }));
    EXPECT_TRUE(View().LastDrawing().restoreTrackLine);
    EXPECT_EQ(View().Screen().pixelColor(x, p.top), QColor(Qt::black));
    // The next move erases it exactly.
    MoveTo(QPoint(x + 40, p.top + 50));
    EXPECT_EQ(View().Screen().pixelColor(x, p.top), QColor(Qt::white));
}

TEST_F(GraphViewTest, ZoomDragChangesTheLabelsAndUndoZoomRestoresThem) {
    std::vector<float> values;
    for (int i = 0; i < 60; ++i) values.push_back(static_cast<float>(50 + (i % 7) * 10));
    SetSeries(values);
    const std::vector<std::string> before = ValueLabels();
    const QImage stripBefore = LabelStrip();
    const std::vector<ReadingNumber> numbersBefore = View().LastDrawing().readingNumbers;
    const PlotRect p = Plot();
    const QPoint from(p.left + 40, p.top + 60);
    const QPoint to(p.left + 200, p.top + 200);

    Press(from);
    EXPECT_TRUE(View().DragTimer().isActive());
    MoveTo(to);
    EXPECT_TRUE(State().m_bRubberBand);
    EXPECT_EQ(View().DragBand().left, from.x());
    EXPECT_EQ(View().DragBand().bottom, to.y());
    // The band is on the screen while dragging...
    const QImage dragging = View().grab().toImage();
    QImage noBand = View().Screen();
    EXPECT_NE(dragging.pixelColor(from.x(), from.y()), noBand.pixelColor(from.x(), from.y()));
    Release(to);
    // ... and gone afterwards; the drag watch stopped with the drag.
    EXPECT_FALSE(State().m_bRubberBand);
    EXPECT_FALSE(View().DragTimer().isActive());
    EXPECT_EQ(View().DragBand().Width(), 0);

    EXPECT_EQ(View().Graph().g_nZoomLevel, 1);
    const std::vector<std::string> zoomed = ValueLabels();
    EXPECT_NE(zoomed, before);
    EXPECT_NE(LabelStrip(), stripBefore);
    EXPECT_TRUE(m_frame->m_actUndoZoom->isEnabled());
    // The numbers under the plot start at the first visible reading.
    ASSERT_FALSE(View().LastDrawing().readingNumbers.empty());
    EXPECT_GT(View().m_nFirstVisible, 0);
    const int first = std::stoi(View().LastDrawing().readingNumbers.front().text);
    EXPECT_GE(first, View().m_nFirstVisible + 1);
    EXPECT_EQ(View().Graph().g_nIndexLabel[0], View().m_nFirstVisible + 1);
    EXPECT_EQ(View().m_barAlarm.m_scrollBar.value(), View().m_nFirstVisible);
    EXPECT_EQ(View().m_barAlarm.m_scrollBar.maximum(), 60);
    EXPECT_FALSE(View().m_barAlarm.m_scrollBar.isEnabled());

    // Undo through the toolbar's (and the Tools menu's) action.
    ASSERT_TRUE(m_frame->ToolBar()->actions().contains(m_frame->m_actUndoZoom));
    m_frame->m_actUndoZoom->trigger();
    EXPECT_EQ(View().Graph().g_nZoomLevel, 0);
    EXPECT_EQ(ValueLabels(), before);
    EXPECT_EQ(LabelStrip(), stripBefore);
    EXPECT_EQ(View().LastDrawing().readingNumbers.size(), numbersBefore.size());
    EXPECT_FALSE(m_frame->m_actUndoZoom->isEnabled());
}

TEST_F(GraphViewTest, ClickWithoutMovingDoesNotZoom) {
    SetSeries({20.0f, 60.0f, 30.0f});
    const std::vector<std::string> before = ValueLabels();
    const QPoint at(Plot().left + 100, Plot().top + 100);
    Press(at);
    Release(at);
    EXPECT_EQ(View().Graph().g_nZoomLevel, 0);
    EXPECT_EQ(ValueLabels(), before);
    EXPECT_FALSE(m_frame->m_actUndoZoom->isEnabled());
}

TEST_F(GraphViewTest, DragLeavingThePlotIsCancelledByTheWatch) {
    SetSeries({20.0f, 60.0f, 30.0f, 40.0f});
    const PlotRect p = Plot();
    Press(QPoint(p.left + 40, p.top + 40));
    MoveTo(QPoint(p.left + 150, p.top + 150));
    ASSERT_GT(View().DragBand().Width(), 0);
    QTest::qWait(50);
    ASSERT_GT(View().DragBand().Width(), 0) << "the watch leaves a band inside the plot alone";
    ASSERT_TRUE(View().DragTimer().isActive());
    // The pointer leaves the plot; the next tick of the watch cancels the band.
    const QPoint outside = View().mapToGlobal(QPoint(p.right + 40, p.top + 150));
    QCursor::setPos(outside);
    ASSERT_EQ(QCursor::pos(), outside);
    ASSERT_TRUE(WaitFor([&] { return !View().DragTimer().isActive(); }, 2000));
    EXPECT_EQ(View().DragBand().Width(), 0);
    EXPECT_FALSE(State().m_bRubberBand);
    Release(QPoint(p.right - 1, p.top + 150));
    EXPECT_EQ(View().Graph().g_nZoomLevel, 0);
    EXPECT_FALSE(m_frame->m_actUndoZoom->isEnabled());
}

TEST_F(GraphViewTest, FramesDuringADragAreCommittedWithoutRepainting) {
    SwitchOn();
    SendAndWait(200);
    SendAndWait(300);
    const PlotRect p = Plot();
    Press(QPoint(p.left + 2, p.top + 40));
    MoveTo(QPoint(p.left + 150, p.top + 250));
    ASSERT_TRUE(State().m_bRubberBand);
    const std::size_t pieces = View().LastDrawing().trace.size();
    SendAndWait(400);
    EXPECT_EQ(Record().m_nScreenCount, 3);
    QTest::qWait(50);
    EXPECT_EQ(View().LastDrawing().trace.size(), pieces) << "no repaint while banding";
    EXPECT_GT(View().DragBand().Width(), 0);
    Release(QPoint(p.left + 150, p.top + 250));
    EXPECT_GT(View().LastDrawing().trace.size(), 0u);
    EXPECT_EQ(View().DragBand().Width(), 0);
}

TEST_F(GraphViewTest, ValueScrollBarMovesTheValueWindow) {
    View().RedrawNow();
    View().m_barScroll.Bar().triggerAction(QAbstractSlider::SliderSingleStepSub);
    View().RedrawNow();
    EXPECT_EQ(ValueLabels().front(), "-75.00");
    EXPECT_EQ(ValueLabels().back(), "225.00");
    View().m_barScroll.Bar().triggerAction(QAbstractSlider::SliderPageStepSub);
    View().RedrawNow();
    EXPECT_EQ(ValueLabels().front(), "1700.00");
    EXPECT_EQ(View().m_barScroll.Bar().value(), 0);
}

TEST_F(GraphViewTest, WindowGrowsPastTheRightEdge) {
    std::vector<float> values(101, 25.0f);
    SetSeries(values);
    // The drawing that found 101 readings asked for one more.
    ASSERT_TRUE(WaitFor([&] { return View().Graph().g_nReadingsPerScreen == 110; }));
    QTest::qWait(50);
    EXPECT_FALSE(View().LastDrawing().repaintRequested);
    const PlotRect p = Plot();
    EXPECT_FLOAT_EQ(View().Graph().g_fReadingStep, static_cast<float>(p.W / 109.0));
}

TEST_F(GraphViewTest, SwappedLimitsStayExchanged) {
    View().m_barAlarm.m_editHigh.setText("-80");
    View().RedrawNow();
    EXPECT_EQ(View().m_nAlarmHigh, -50);
    EXPECT_EQ(View().m_nAlarmLow, -80);
}

}  // namespace
}  // namespace mivora::ui::test
