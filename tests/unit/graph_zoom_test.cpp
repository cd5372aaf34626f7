#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "graph/GraphDrawing.h"
#include "graph/GraphMouse.h"
#include "graph/GraphState.h"
#include "record/MeasurementRecord.h"

namespace mivora {
namespace {

// Plot 1000 x 300 at (70, 170); window -100 .. 200, one pixel per value unit.
constexpr ClientRect kClient{0, 0, 1380, 545};
constexpr int kLeft = 70;
constexpr int kTop = 170;
constexpr int kRight = 1070;
constexpr int kBottom = 470;

class GraphZoom : public ::testing::Test {
  protected:
    std::unique_ptr<GraphState> graph = std::make_unique<GraphState>();
    std::unique_ptr<MeasurementRecord> record = std::make_unique<MeasurementRecord>();
    MeterState meter;

    void Fill(int n) {
        for (int i = 0; i < n; ++i) {
            record->m_fScreenValue[i] = 20.0f + i;
            record->m_strScreenTime[i] = "12-11-26/10:00:" + std::to_string(10 + i % 50);
            record->m_strScreenUnit[i] = "C";
        }
        record->m_nScreenCount = n;
    }
    GraphDrawing Draw() { return ComputeDrawing(*graph, kClient, *record, DrawingInputs{}); }
    MouseResult Drag(Point from, Point to) {
        OnLButtonDown(*graph, kClient, *record, from);
        OnMouseMove(*graph, kClient, *record, meter, to);
        return OnLButtonUp(*graph, kClient, *record, meter, to);
    }
    // All points of the current level finite and trace pieces inside the clamp range.
    void ExpectSound(const GraphDrawing& d) {
        const int z = graph->g_nZoomLevel;
        for (int i = 0; i < record->m_nScreenCount; ++i) {
            ASSERT_TRUE(std::isfinite(graph->ReadingX(z)[i])) << i;
            ASSERT_TRUE(std::isfinite(graph->ReadingY(z)[i])) << i;
        }
        for (const TracePiece& p : d.trace) {
            ASSERT_LE(std::abs(p.x1), 1000000);
            ASSERT_LE(std::abs(p.y2), 1000000);
        }
        EXPECT_TRUE(std::isfinite(graph->g_fAxisValue[z][0]));
        EXPECT_LT(graph->g_fAxisValue[z][0], graph->g_fAxisValue[z][12]);
    }
};

TEST_F(GraphZoom, BandAddsALevelAndTheNextDrawingShowsIt) {
    Fill(100);
    Draw();
    const MouseResult down = OnLButtonDown(*graph, kClient, *record, {kLeft + 100, kTop + 50});
    EXPECT_TRUE(down.startDragTimer);
    EXPECT_TRUE(graph->g_bDragging);
    EXPECT_DOUBLE_EQ(graph->g_dZoomPressFracX[0], 0.1);
    EXPECT_DOUBLE_EQ(graph->g_dZoomPressFracY[0], 50.0 / 300);

    const MouseResult move =
        OnMouseMove(*graph, kClient, *record, meter, {kLeft + 300, kTop + 150});
    EXPECT_TRUE(meter.m_bRubberBand);
    EXPECT_TRUE(move.drawDragRect);
    EXPECT_EQ(move.dragRectNew, (IntRect{kLeft + 100, kTop + 50, kLeft + 300, kTop + 150}));
    EXPECT_EQ(move.dragRectOld, (IntRect{kLeft + 100, kTop + 50, kLeft + 100, kTop + 50}));
    EXPECT_FALSE(graph->g_bBandUnmoved);

    const MouseResult up = OnLButtonUp(*graph, kClient, *record, meter, {kLeft + 300, kTop + 150});
    EXPECT_TRUE(up.zoomLevelAdded);
    EXPECT_TRUE(up.repaint);
    EXPECT_TRUE(up.stopDragTimer);
    EXPECT_TRUE(up.eraseDragRect);
    EXPECT_EQ(up.dragRectErase, move.dragRectNew);
    EXPECT_FALSE(meter.m_bRubberBand);
    EXPECT_EQ(graph->g_nZoomLevel, 1);
    EXPECT_EQ(graph->g_bNotZoomed, 0);
    EXPECT_EQ(graph->g_bFirstVisibleSet, 0);
    // Value at the band's lower edge (row 150: 50) and a twelfth higher.
    EXPECT_FLOAT_EQ(graph->g_fAxisValue[1][0], 50.0f);
    EXPECT_NEAR(graph->g_fAxisValue[1][1], 50.0f + 100.0f / 12, 1e-4);

    const GraphDrawing d = Draw();
    EXPECT_NEAR(graph->g_fAxisValue[1][12], 150.0f, 1e-3);
    EXPECT_EQ(d.valueLabels[0].text, "50.00");
    // Reading 0 at (0 - 100) x 1000 / 200, a reading every 5 x W / 99.
    EXPECT_NEAR(graph->ReadingX(1)[0], -500.0f, 1e-3);
    EXPECT_NEAR(graph->ReadingX(1)[1] - graph->ReadingX(1)[0], 5000.0f / 99, 1e-3);
    EXPECT_EQ(graph->m_nFirstVisible, 9);
    EXPECT_TRUE(d.setAlarmScrollPos);
    EXPECT_EQ(d.alarmScrollPos, 9);
    EXPECT_TRUE(d.setAlarmScrollRange);
    EXPECT_EQ(d.alarmScrollMax, 100);
    EXPECT_EQ(graph->g_bFirstVisibleSet, 1);
    // Ten divisions from reading 9, k = trunc((W div 4) / d) = 4 apart, numbered from 10.
    // Reading 9 itself lies 45 pixels left of the plot, so its number is not written.
    ASSERT_EQ(d.verticalGridX.size(), 10u);
    EXPECT_EQ(graph->g_nIndexTick[0], 9);
    EXPECT_EQ(graph->g_nIndexTick[1], 13);
    EXPECT_EQ(graph->g_nIndexLabel[0], 10);
    EXPECT_EQ(d.verticalGridX[0], -45);
    ASSERT_EQ(d.readingNumbers.size(), 5u);
    EXPECT_EQ(d.readingNumbers[0].text, "14");
    EXPECT_EQ(d.readingNumbers[0].x, kLeft + static_cast<int>(13 * 5000.0 / 99 - 500));
    EXPECT_EQ(d.readingNumbers[4].text, "30");
    ExpectSound(d);

    // Only the next zoom fixes the first visible reading again.
    EXPECT_FALSE(Draw().setAlarmScrollPos);
}

TEST_F(GraphZoom, ReversedDragTakesTheSameStep) {
    Fill(100);
    Draw();
    Drag({kLeft + 100, kTop + 50}, {kLeft + 300, kTop + 150});
    Draw();
    auto forward = std::make_unique<GraphState>(*graph);

    graph = std::make_unique<GraphState>();
    Draw();
    Drag({kLeft + 300, kTop + 150}, {kLeft + 100, kTop + 50});
    EXPECT_EQ(graph->g_nZoomLevel, 1);
    // The pixel points are ordered, the fractions are kept as dragged.
    EXPECT_FLOAT_EQ(graph->g_fZoomPressX[0], kLeft + 100.0f);
    EXPECT_FLOAT_EQ(graph->g_fZoomReleaseY[0], kTop + 150.0f);
    EXPECT_DOUBLE_EQ(graph->g_dZoomPressFracX[0], 0.3);
    Draw();
    for (int k = 0; k < 13; ++k)
        EXPECT_FLOAT_EQ(graph->g_fAxisValue[1][k], forward->g_fAxisValue[1][k]);
    for (int i = 0; i < 100; ++i) {
        EXPECT_FLOAT_EQ(graph->ReadingX(1)[i], forward->ReadingX(1)[i]);
        EXPECT_FLOAT_EQ(graph->ReadingY(1)[i], forward->ReadingY(1)[i]);
    }
    EXPECT_EQ(graph->m_nFirstVisible, forward->m_nFirstVisible);
}

TEST_F(GraphZoom, FlatBandAddsNoLevelButCountsAsZoomed) {
    Fill(100);
    Draw();
    // One pixel high: a twelfth of one value unit, not more than 0.1.
    const MouseResult up = Drag({kLeft + 100, kTop + 50}, {kLeft + 300, kTop + 51});
    EXPECT_FALSE(up.zoomLevelAdded);
    EXPECT_TRUE(up.repaint);
    EXPECT_EQ(graph->g_nZoomLevel, 0);
    EXPECT_EQ(graph->g_bNotZoomed, 0);
    const GraphDrawing d = Draw();
    // Drawn as zoomed at level 0: the zoomed divisions, the whole series.
    EXPECT_EQ(d.verticalGridX.size(), 10u);
    EXPECT_TRUE(d.setAlarmScrollRange);
    EXPECT_EQ(graph->m_nFirstVisible, 0);
    // Two pixels: 2 / 12 > 0.1, a level.
    EXPECT_TRUE(Drag({kLeft + 100, kTop + 50}, {kLeft + 300, kTop + 52}).zoomLevelAdded);
}

TEST_F(GraphZoom, BandUnderOnePixelAddsNoLevel) {
    Fill(100);
    Draw();
    // Purely vertical: zero width, though its height alone would pass the 0.1 test.
    MouseResult up = Drag({kLeft + 100, kTop + 10}, {kLeft + 100, kTop + 290});
    EXPECT_FALSE(up.zoomLevelAdded);
    EXPECT_EQ(graph->g_nZoomLevel, 0);
    ExpectSound(Draw());
    // Purely horizontal.
    up = Drag({kLeft + 100, kTop + 10}, {kLeft + 900, kTop + 10});
    EXPECT_FALSE(up.zoomLevelAdded);
    ExpectSound(Draw());
}

TEST_F(GraphZoom, LevelWithoutFiniteScaleIsRefused) {
    Fill(100);
    Draw();
    // One-pixel-wide, full-height bands scale x by 1000 per level until floats overflow.
    for (int i = 0; i < 30; ++i) {
        Drag({kLeft + 500, kTop}, {kLeft + 501, kBottom});
        ExpectSound(Draw());
    }
    EXPECT_GT(graph->g_nZoomLevel, 3);
    EXPECT_LT(graph->g_nZoomLevel, 30);

    // A stored band that a smaller plot turns into less than a pixel is refused too.
    auto fresh = std::make_unique<GraphState>();
    graph = std::move(fresh);
    Draw();
    graph->g_nZoomLevel = 2;
    graph->g_bNotZoomed = 0;
    graph->g_dZoomReleaseFracX[0] = 1.0;
    graph->g_dZoomReleaseFracY[0] = 1.0;
    graph->g_dZoomPressFracX[1] = 0.5;
    graph->g_dZoomReleaseFracX[1] = 0.5005;  // half a pixel at W = 1000
    graph->g_dZoomReleaseFracY[1] = 1.0;
    ExpectSound(Draw());
    EXPECT_EQ(graph->g_nZoomLevel, 1);
}

TEST_F(GraphZoom, LevelNinetyNineIsTheLast) {
    Fill(100);
    Draw();
    for (int i = 0; i < 99; ++i) {
        ASSERT_TRUE(Drag({kLeft + 1, kTop + 1}, {kRight - 1, kBottom - 1}).zoomLevelAdded) << i;
        Draw();
    }
    EXPECT_EQ(graph->g_nZoomLevel, 99);
    const float before = graph->g_fAxisValue[99][0];
    const MouseResult up = Drag({kLeft + 1, kTop + 1}, {kRight - 1, kBottom - 1});
    EXPECT_FALSE(up.zoomLevelAdded);
    EXPECT_TRUE(up.repaint);
    EXPECT_EQ(graph->g_nZoomLevel, 99);
    EXPECT_FLOAT_EQ(graph->g_fAxisValue[99][0], before);
    ExpectSound(Draw());
}

TEST_F(GraphZoom, ClickWithoutMovingDoesNotZoom) {
    Fill(10);
    Draw();
    OnLButtonDown(*graph, kClient, *record, {kLeft + 40, kTop + 40});
    const MouseResult up = OnLButtonUp(*graph, kClient, *record, meter, {kLeft + 40, kTop + 40});
    EXPECT_FALSE(up.repaint);
    EXPECT_FALSE(up.zoomLevelAdded);
    EXPECT_TRUE(up.stopDragTimer);
    EXPECT_EQ(graph->g_bNotZoomed, 1);
    EXPECT_EQ(graph->g_nZoomLevel, 0);
    EXPECT_FALSE(graph->g_bDragging);
    EXPECT_FLOAT_EQ(graph->g_fZoomReleaseX[0], kLeft + 40.0f);
}

TEST_F(GraphZoom, PointsAreClampedToThePlot) {
    const PlotRect p = ComputePlotRect(kClient);
    EXPECT_EQ(ClampToPlot({0, 0}, p), (Point{kLeft, kTop}));
    EXPECT_EQ(ClampToPlot({5000, 5000}, p), (Point{kRight, kBottom}));
    EXPECT_EQ(ClampToPlot({500, 300}, p), (Point{500, 300}));
    Fill(10);
    Draw();
    OnLButtonDown(*graph, kClient, *record, {-20, 900});
    EXPECT_EQ(graph->g_ptDragAnchor, (Point{kLeft, kBottom}));
    EXPECT_DOUBLE_EQ(graph->g_dZoomPressFracX[0], 0.0);
    EXPECT_DOUBLE_EQ(graph->g_dZoomPressFracY[0], 1.0);
}

TEST_F(GraphZoom, DragLeavingThePlotIsCancelledByTheWatch) {
    Fill(10);
    Draw();
    OnLButtonDown(*graph, kClient, *record, {kLeft + 10, kTop + 10});
    OnMouseMove(*graph, kClient, *record, meter, {kLeft + 200, kTop + 200});
    // Inside the plot the tick does nothing.
    MouseResult tick = OnDragWatch(*graph, kClient, meter, {kLeft + 200, kTop + 200});
    EXPECT_FALSE(tick.repaint);
    EXPECT_FALSE(tick.stopDragTimer);
    EXPECT_TRUE(graph->g_bDragging);
    tick = OnDragWatch(*graph, kClient, meter, {kRight + 1, kTop + 200});
    EXPECT_TRUE(tick.repaint);
    EXPECT_TRUE(tick.stopDragTimer);
    EXPECT_FALSE(graph->g_bDragging);
    EXPECT_FALSE(meter.m_bRubberBand);
    EXPECT_TRUE(graph->g_bBandUnmoved);
    const MouseResult up = OnLButtonUp(*graph, kClient, *record, meter, {kRight, kTop + 200});
    EXPECT_FALSE(up.zoomLevelAdded);
    EXPECT_FALSE(up.eraseDragRect);
    EXPECT_EQ(graph->g_bNotZoomed, 1);
}

TEST_F(GraphZoom, UndoZoomReturnsToTheWholeSeries) {
    Fill(100);
    Draw();
    Drag({kLeft + 100, kTop + 50}, {kLeft + 300, kTop + 150});
    Draw();
    graph->g_fReadingStep = 4.5f;
    const MouseResult r = OnUndoZoom(*graph);
    EXPECT_TRUE(r.repaint);
    EXPECT_TRUE(r.disableAlarmScroll);
    EXPECT_EQ(graph->g_nZoomLevel, 0);
    EXPECT_EQ(graph->g_bNotZoomed, 1);
    EXPECT_FLOAT_EQ(graph->g_fBaseReadingStep, 4.5f);
    EXPECT_EQ(Draw().verticalGridX.size(), 20u);
}

TEST_F(GraphZoom, MouseDoesNothingWithoutReadings) {
    Draw();
    EXPECT_FALSE(OnLButtonDown(*graph, kClient, *record, {kLeft + 5, kTop + 5}).handled);
    const MouseResult m = OnMouseMove(*graph, kClient, *record, meter, {kLeft + 9, kTop + 9});
    EXPECT_FALSE(m.handled);
    EXPECT_FALSE(m.drawTrackLine);
    EXPECT_FALSE(m.setReadout);
    EXPECT_FALSE(OnLButtonUp(*graph, kClient, *record, meter, {kLeft + 9, kTop + 9}).handled);
    EXPECT_FALSE(graph->g_bDragging);
    EXPECT_EQ(graph->g_bTrackFresh, 1);
    EXPECT_FLOAT_EQ(graph->g_fZoomReleaseX[0], 0.0f);
}

TEST_F(GraphZoom, MouseDoesNothingWithoutAPlot) {
    Fill(10);
    const ClientRect tiny{0, 0, 380, 545};  // W = 0
    EXPECT_FALSE(OnLButtonDown(*graph, tiny, *record, {75, 200}).handled);
    EXPECT_FALSE(OnMouseMove(*graph, tiny, *record, meter, {75, 200}).handled);
    EXPECT_FALSE(OnLButtonUp(*graph, tiny, *record, meter, {75, 200}).handled);
    EXPECT_TRUE(std::isfinite(graph->g_dZoomPressFracX[0]));
}

TEST_F(GraphZoom, TrackingLineAndReadout) {
    Fill(100);
    record->m_fScreenValue[20] = kNoValueMarker;
    Draw();
    const double step = 1000.0 / 99;
    MouseResult m = OnMouseMove(*graph, kClient, *record, meter,
                                {kLeft + static_cast<int>(10 * step) + 1, 300});
    EXPECT_FALSE(m.eraseTrackLine);
    EXPECT_TRUE(m.drawTrackLine);
    EXPECT_EQ(m.trackTop, kTop);
    EXPECT_EQ(m.trackBottom, kBottom);
    EXPECT_EQ(graph->g_nHoverIndex, 10);
    ASSERT_TRUE(m.setReadout);
    EXPECT_EQ(m.pane1, "time:12-11-26/10:00:20");
    EXPECT_EQ(m.pane2, "temp:30.0C");

    const int firstX = m.drawTrackX;
    m = OnMouseMove(*graph, kClient, *record, meter,
                    {kLeft + static_cast<int>(20 * step) + 1, 300});
    EXPECT_TRUE(m.eraseTrackLine);
    EXPECT_EQ(m.eraseTrackX, firstX);
    EXPECT_EQ(graph->g_nTrackX, m.drawTrackX);
    EXPECT_EQ(m.pane2, "-----C");
    // Not dragging: no band.
    EXPECT_FALSE(m.drawDragRect);
    EXPECT_FALSE(meter.m_bRubberBand);
}

TEST_F(GraphZoom, ReadoutOutsideTheSeriesKeepsThePanes) {
    Fill(10);
    Draw();
    const MouseResult m = OnMouseMove(*graph, kClient, *record, meter, {kLeft + 500, 300});
    EXPECT_TRUE(m.drawTrackLine);
    EXPECT_FALSE(m.setReadout);
    EXPECT_EQ(graph->g_nHoverIndex, -1);
}

TEST_F(GraphZoom, ReadingIndexIsGuarded) {
    const PlotRect p = ComputePlotRect(kClient);
    // Fresh run with one reading: no step yet (0 pixels per reading).
    EXPECT_EQ(ReadingIndexAt(*graph, p, kLeft + 30, 1), -1);
    graph->ReadingX(0)[1] = -5.0f;  // a negative step
    EXPECT_EQ(ReadingIndexAt(*graph, p, kLeft + 30, 10), -1);
    graph->ReadingX(0)[1] = INFINITY;
    EXPECT_EQ(ReadingIndexAt(*graph, p, kLeft + 30, 10), -1);
    graph->ReadingX(0)[1] = 10.0f;
    EXPECT_EQ(ReadingIndexAt(*graph, p, kLeft + 35, 10), 3);
    EXPECT_EQ(ReadingIndexAt(*graph, p, kLeft + 100, 10), -1);  // index 10 of 10
    graph->ReadingX(0)[0] = 50.0f;                              // reading 0 right of the mouse
    graph->ReadingX(0)[1] = 60.0f;
    EXPECT_EQ(ReadingIndexAt(*graph, p, kLeft + 45, 10), 0);   // -0.5 truncates to 0
    EXPECT_EQ(ReadingIndexAt(*graph, p, kLeft + 30, 10), -1);  // -2

    Fill(1);
    graph = std::make_unique<GraphState>();
    Draw();
    const MouseResult m = OnMouseMove(*graph, kClient, *record, meter, {kLeft + 30, 300});
    EXPECT_FALSE(m.setReadout);
}

TEST_F(GraphZoom, ZoomWithASingleReadingStaysFinite) {
    // A fresh run: no unzoomed drawing of two readings yet, so no base window.
    Fill(1);
    Draw();
    ASSERT_EQ(graph->g_nBaseReadingsPerScreen, 0);
    EXPECT_TRUE(Drag({kLeft + 100, kTop + 50}, {kLeft + 600, kTop + 250}).zoomLevelAdded);
    GraphDrawing d = Draw();
    EXPECT_TRUE(d.trace.empty());
    EXPECT_TRUE(d.readingNumbers.empty());
    EXPECT_FALSE(d.setAlarmScrollPos);
    EXPECT_EQ(graph->m_nFirstVisible, 0);

    // The second reading arrives while zoomed: level 0 takes the real-time step.
    Fill(2);
    d = Draw();
    EXPECT_FLOAT_EQ(graph->g_fBaseReadingStep, 1000.0f / 99);
    EXPECT_GT(graph->ReadingX(1)[1] - graph->ReadingX(1)[0], 0.0f);
    EXPECT_TRUE(d.setAlarmScrollPos);
    EXPECT_FALSE(d.trace.empty());
    ExpectSound(d);
}

TEST_F(GraphZoom, FarLimitsAreClampedAtDeepZoom) {
    Fill(100);
    Draw();
    for (int i = 0; i < 5; ++i) {
        Drag({kLeft + 100, kTop + 100}, {kRight - 100, kTop + 130});
        Draw();
    }
    ASSERT_GE(graph->g_nZoomLevel, 2);
    graph->m_bAlarmHighFromBar = 0;
    graph->m_nAlarmHigh = 30000;
    const GraphDrawing d = Draw();
    EXPECT_EQ(d.alarmRowY[0], -1000000);
    ExpectSound(d);
}

}  // namespace
}  // namespace mivora
