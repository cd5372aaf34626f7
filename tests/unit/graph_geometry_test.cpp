#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "graph/GraphDrawing.h"
#include "graph/GraphState.h"
#include "record/MeasurementRecord.h"

namespace mivora {
namespace {

// A client rectangle whose plot is 1000 x 300 pixels at (70, 170).
constexpr ClientRect kClient1000{0, 0, 1380, 545};

class GraphGeometry : public ::testing::Test {
  protected:
    std::unique_ptr<GraphState> graph = std::make_unique<GraphState>();
    std::unique_ptr<MeasurementRecord> record = std::make_unique<MeasurementRecord>();
    DrawingInputs inputs;

    void Fill(int n, float value = 25.0f) {
        for (int i = 0; i < n; ++i) {
            record->m_fScreenValue[i] = value;
            record->m_strScreenTime[i] = "12-11-26/10:00:00";
            record->m_strScreenUnit[i] = "C";
        }
        record->m_nScreenCount = n;
    }
    GraphDrawing Draw(const ClientRect& client = kClient1000) {
        return ComputeDrawing(*graph, client, *record, inputs);
    }
};

TEST_F(GraphGeometry, PlotRectangleLeavesThePanelMargins) {
    const PlotRect p = ComputePlotRect({10, 20, 1390, 565});
    EXPECT_EQ(p.left, 80);
    EXPECT_EQ(p.top, 190);
    EXPECT_EQ(p.right, 1080);
    EXPECT_EQ(p.bottom, 490);
    EXPECT_EQ(p.W, 1000);
    EXPECT_EQ(p.H, 300);
}

TEST_F(GraphGeometry, InitialValueWindowAndScrolledToTop) {
    GraphDrawing d = Draw();
    for (int k = 0; k < 13; ++k) EXPECT_FLOAT_EQ(graph->g_fAxisValue[0][k], -100.0f + 25 * k);
    EXPECT_EQ(d.valueLabels[0].text, "-100.00");
    EXPECT_EQ(d.valueLabels[12].text, "200.00");
    EXPECT_EQ(graph->m_strValueLabel[4], "0.00");
    EXPECT_EQ(d.valueScrollPos, 72);
    EXPECT_EQ(d.valueScrollMax, 72);

    graph->m_nValueScrollPos = 0;
    d = Draw();
    EXPECT_FLOAT_EQ(graph->g_fAxisValue[0][0], 1700.0f);
    EXPECT_FLOAT_EQ(graph->g_fAxisValue[0][12], 2000.0f);
    EXPECT_EQ(d.valueLabels[12].text, "2000.00");
    EXPECT_EQ(graph->g_nBaseScrollPos, 0);
    EXPECT_EQ(d.valueScrollPos, 0);
}

TEST_F(GraphGeometry, ZoomedScrollMovesLevelZeroByOneUnitPerStep) {
    Fill(5);
    graph->m_nValueScrollPos = 60;
    Draw();
    graph->g_bNotZoomed = 0;
    graph->m_nValueScrollPos = 70;
    Draw();
    // 25 x (k + 68 - 60) + (72 - 70)
    EXPECT_FLOAT_EQ(graph->g_fAxisValue[0][0], 202.0f);
    EXPECT_FLOAT_EQ(graph->g_fAxisValue[0][12], 502.0f);
    EXPECT_EQ(graph->g_nBaseScrollPos, 60);
}

TEST_F(GraphGeometry, RealTimeDivisionsForW1000) {
    const GraphDrawing d = Draw();
    EXPECT_FLOAT_EQ(graph->g_fReadingStep, 1000.0f / 99.0f);
    ASSERT_EQ(d.verticalGridX.size(), 20u);
    EXPECT_EQ(d.verticalGridX[0], 0);
    EXPECT_EQ(d.verticalGridX[1], 80);
    EXPECT_EQ(d.verticalGridX[2], 161);
    EXPECT_EQ(d.verticalGridX[3], 242);
    // k = 8: numbered 1, 9, 17, 25, ... and written while left of the plot's right edge.
    ASSERT_EQ(d.readingNumbers.size(), 13u);
    const char* expected[] = {"1", "9", "17", "25"};
    const int x[] = {70, 150, 231, 312};
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(d.readingNumbers[j].text, expected[j]);
        EXPECT_EQ(d.readingNumbers[j].x, x[j]);
        EXPECT_EQ(d.readingNumbers[j].y, 510);
    }
    EXPECT_EQ(graph->m_strIndexLabel[19], "153");
    EXPECT_TRUE(d.eraseReadingNumbers);
    EXPECT_EQ(d.readingNumberBand, (IntRect{70, 503, 1092, 532}));
}

TEST_F(GraphGeometry, HorizontalGridAndValueLabelPositions) {
    const GraphDrawing d = Draw();
    ASSERT_EQ(d.horizontalGridY.size(), 12u);
    EXPECT_EQ(d.horizontalGridY[0], 25);
    EXPECT_EQ(d.horizontalGridY[11], 300);
    // Tick 0 on the plot's last row, tick 12 on its first (strip starts 7 above the plot).
    EXPECT_EQ(d.valueLabels[0].tickY, 306);
    EXPECT_EQ(d.valueLabels[12].tickY, 7);
    EXPECT_EQ(d.valueLabels[0].textY, 299);
    EXPECT_EQ(d.valueLabels[12].textY, 1);
    EXPECT_EQ(d.labelStrip, (IntRect{0, 163, 70, 480}));
}

TEST(ValueLabels, WidthClassRightAlignsTheTexts) {
    struct Case {
        float v;
        int q;
        int x;
    };
    const Case cases[] = {{-1500.0f, 0, 2}, {-1000.0f, 1, 9}, {-100.0f, 1, 9}, {-99.0f, 2, 17},
                          {-10.0f, 2, 17},  {-5.0f, 3, 24},   {0.0f, 4, 32},   {5.0f, 4, 32},
                          {10.0f, 3, 24},   {99.5f, 3, 24},   {100.0f, 2, 17}, {999.0f, 2, 17},
                          {1000.0f, 1, 9},  {2000.0f, 1, 9}};
    for (const Case& c : cases) {
        EXPECT_EQ(ValueLabelWidthClass(c.v), c.q) << c.v;
        EXPECT_EQ(ValueLabelTextX(c.v), c.x) << c.v;
    }
}

TEST_F(GraphGeometry, ValueLabelOf1000IsWrittenAt9) {
    graph->m_nValueScrollPos = 28;  // bottom division 1000
    const GraphDrawing d = Draw();
    EXPECT_EQ(d.valueLabels[0].text, "1000.00");
    EXPECT_EQ(d.valueLabels[0].textX, 9);
    EXPECT_EQ(d.valueLabels[0].widthClass, 1);
}

TEST_F(GraphGeometry, HundredReadingsSpanTheWidthAndTheNextSqueezes) {
    Fill(100);
    GraphDrawing d = Draw();
    EXPECT_FALSE(d.repaintRequested);
    EXPECT_NEAR(graph->g_fPointX[99], 1000.0f, 1e-3);
    EXPECT_EQ(graph->g_nReadingsPerScreen, 100);
    EXPECT_EQ(graph->g_nBaseReadingsPerScreen, 100);

    Fill(101);
    d = Draw();
    EXPECT_TRUE(d.repaintRequested);
    EXPECT_FLOAT_EQ(graph->g_fReadingStep, static_cast<float>((1000.0 - 1000.0 / 12) / 100));
    EXPECT_EQ(graph->g_nReadingsPerScreen, 110);
    // The growth is tested after the first point; the points after it are squeezed into
    // eleven twelfths of the width.
    EXPECT_NEAR(graph->g_fPointX[1], 1000.0f / 99.0f, 1e-4);
    EXPECT_NEAR(graph->g_fPointX[100], 1000.0f * 11 / 12, 1e-3);

    d = Draw();
    EXPECT_FALSE(d.repaintRequested);
    EXPECT_FLOAT_EQ(graph->g_fReadingStep, 1000.0f / 109.0f);
    EXPECT_NEAR(graph->g_fPointX[100], 100 * 1000.0f / 109.0f, 1e-3);
}

TEST_F(GraphGeometry, FitAllDivisions) {
    record->m_bReloaded = 1;
    struct Case {
        int n;
        std::vector<int> x;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {1, {0}, {"1"}},
        {2, {0, 1000}, {"1"}},  // k = 2 puts the second line on x = W
        {3, {0, 333, 666}, {"1", "2", "3"}},
        {4, {0, 250, 500, 750}, {"1", "2", "3", "4"}},
    };
    for (const Case& c : cases) {
        Fill(c.n);
        const GraphDrawing d = Draw();
        EXPECT_EQ(d.verticalGridX, c.x) << c.n;
        ASSERT_EQ(d.readingNumbers.size(), c.labels.size()) << c.n;
        for (std::size_t j = 0; j < c.labels.size(); ++j) {
            EXPECT_EQ(d.readingNumbers[j].text, c.labels[j]) << c.n;
        }
    }
    for (int n = 3; n <= 12; ++n) {
        Fill(n);
        const GraphDrawing d = Draw();
        ASSERT_EQ(d.verticalGridX.size(), static_cast<std::size_t>(n)) << n;
        ASSERT_EQ(d.readingNumbers.size(), static_cast<std::size_t>(n)) << n;
        for (int j = 0; j < n; ++j) {
            EXPECT_EQ(d.readingNumbers[j].text, std::to_string(j + 1)) << n;
        }
    }
    // 13 and more: every trunc((W div 12) / (W / n)) readings.
    const int many[] = {13, 100, 4000};
    const int k[] = {1, 8, 332};
    for (int i = 0; i < 3; ++i) {
        Fill(many[i]);
        const GraphDrawing d = Draw();
        ASSERT_EQ(d.verticalGridX.size(), 20u);
        EXPECT_EQ(graph->g_nIndexLabel[1], 1 + k[i]) << many[i];
        EXPECT_EQ(graph->g_nIndexLabel[19], 1 + 19 * k[i]) << many[i];
    }
}

TEST_F(GraphGeometry, FitAllWithoutReadingsDrawsNoDivisions) {
    Draw();
    const float step = graph->g_fReadingStep;
    record->m_bReloaded = 1;
    const GraphDrawing d = Draw();
    EXPECT_TRUE(d.verticalGridX.empty());
    EXPECT_TRUE(d.readingNumbers.empty());
    EXPECT_TRUE(d.trace.empty());
    EXPECT_FLOAT_EQ(graph->g_fReadingStep, step);
    EXPECT_TRUE(std::isfinite(graph->g_fReadingStep));
}

TEST_F(GraphGeometry, AlarmRowsForTheInitialLimits) {
    GraphDrawing d = Draw();
    ASSERT_TRUE(d.drawAlarmRows);
    EXPECT_EQ(d.alarmRowY[0], 50);
    EXPECT_EQ(d.alarmRowY[1], 250);
    // A height that does not divide evenly: trunc(H - 250 H / 300), trunc(H - 50 H / 300).
    d = Draw({0, 0, 865, 610});
    ASSERT_EQ(d.plot.H, 365);
    EXPECT_EQ(d.alarmRowY[0], static_cast<int>(365 - 250 * 365 / 300.0));
    EXPECT_EQ(d.alarmRowY[1], static_cast<int>(365 - 50 * 365 / 300.0));
    EXPECT_EQ(d.alarmRowY[0], 60);
    EXPECT_EQ(d.alarmRowY[1], 304);
}

TEST_F(GraphGeometry, LimitsFromTheBarAndReversedLimitsStayExchanged) {
    inputs.alarmHighFromBar = -20;
    inputs.alarmLowFromBar = 120;
    Draw();
    EXPECT_EQ(graph->m_nAlarmHigh, 120);
    EXPECT_EQ(graph->m_nAlarmLow, -20);
    // Once the edits own the limits the bar's values are no longer read.
    graph->m_bAlarmHighFromBar = 0;
    graph->m_bAlarmLowFromBar = 0;
    graph->m_nAlarmHigh = 10;
    graph->m_nAlarmLow = 90;
    inputs.alarmHighFromBar = 500;
    Draw();
    EXPECT_EQ(graph->m_nAlarmHigh, 90);
    EXPECT_EQ(graph->m_nAlarmLow, 10);
}

TEST_F(GraphGeometry, StatusTextsOnlyOnAnEmptySeries) {
    GraphDrawing d = Draw();
    EXPECT_TRUE(d.setStatusTexts);
    EXPECT_EQ(d.statusTime, "time:");
    EXPECT_EQ(d.statusTemp, "temp:");
    Fill(1);
    d = Draw();
    EXPECT_FALSE(d.setStatusTexts);
}

TEST_F(GraphGeometry, TrackingLineAfterNewData) {
    Fill(5);
    graph->g_nTrackX = 300;
    graph->g_bTrackFresh = 0;
    record->m_bNewData = true;
    GraphDrawing d = Draw();
    EXPECT_TRUE(d.restoreTrackLine);
    EXPECT_EQ(d.trackLineX, 230);
    EXPECT_TRUE(d.newDataCleared);
    EXPECT_FALSE(record->m_bNewData);
    EXPECT_EQ(graph->g_bTrackFresh, 0);

    // Any other repaint wipes the line and says so.
    d = Draw();
    EXPECT_FALSE(d.restoreTrackLine);
    EXPECT_TRUE(d.trackFreshSet);
    EXPECT_EQ(graph->g_bTrackFresh, 1);

    // New data without a line on the screen: nothing happens, the flag stays.
    record->m_bNewData = true;
    d = Draw();
    EXPECT_FALSE(d.restoreTrackLine);
    EXPECT_FALSE(d.newDataCleared);
    EXPECT_TRUE(record->m_bNewData);
}

TEST_F(GraphGeometry, SampleTimerRearmedWhenAsked) {
    GraphDrawing d = Draw();
    EXPECT_FALSE(d.restartSampleTimer);
    inputs.restartSampleTimer = true;
    inputs.sampleIntervalMs = 30000;
    d = Draw();
    EXPECT_TRUE(d.restartSampleTimer);
    EXPECT_EQ(d.sampleIntervalMs, 30000);
}

TEST_F(GraphGeometry, EmptySeriesResetsZoomAndWindowUnlessLoaded) {
    graph->g_nZoomLevel = 3;
    graph->g_bNotZoomed = 0;
    for (int b = 0; b < 3; ++b) {  // three bands over the whole plot
        graph->g_dZoomReleaseFracX[b] = 1.0;
        graph->g_dZoomReleaseFracY[b] = 1.0;
    }
    graph->g_nReadingsPerScreen = 121;
    graph->g_fReadingStep = 7.0f;
    record->m_bReloaded = 1;
    Draw();
    EXPECT_EQ(graph->g_nZoomLevel, 3);
    EXPECT_EQ(graph->g_nReadingsPerScreen, 121);

    record->m_bReloaded = 0;
    Draw();
    EXPECT_EQ(graph->g_nZoomLevel, 0);
    EXPECT_EQ(graph->g_bNotZoomed, 1);
    EXPECT_EQ(graph->g_nReadingsPerScreen, 100);
    EXPECT_FLOAT_EQ(graph->g_fBaseReadingStep, 7.0f);
    EXPECT_FLOAT_EQ(graph->g_fReadingStep, 1000.0f / 99.0f);
}

TEST_F(GraphGeometry, NoValueMarkerLiesFarAboveThePlot) {
    Fill(3);
    record->m_fScreenValue[1] = kNoValueMarker;
    const GraphDrawing d = Draw();
    EXPECT_FLOAT_EQ(graph->g_fPointY[1], 300.0f - 3100.0f);
    // Into and out of the marker: red from the upper-limit crossing on.
    ASSERT_EQ(d.trace.size(), 4u);
    EXPECT_EQ(d.trace[0].colour, TraceColour::Red);
    EXPECT_EQ(d.trace[0].y1, 50);
    EXPECT_EQ(d.trace[0].y2, -2800);
    EXPECT_EQ(d.trace[1].colour, TraceColour::Line);
    EXPECT_EQ(d.trace[2].colour, TraceColour::Red);
    EXPECT_EQ(d.trace[3].colour, TraceColour::Line);
}

TEST_F(GraphGeometry, NoPlotAreaDrawsNothingAndStaysFinite) {
    Fill(50, 100.0f);
    Draw();
    const float step = graph->g_fReadingStep;
    // Narrower than 381 and lower than 246 pixels.
    const ClientRect tiny[] = {{0, 0, 380, 545}, {0, 0, 1380, 245}, {0, 0, 200, 100}};
    for (const ClientRect& c : tiny) {
        const GraphDrawing d = Draw(c);
        EXPECT_FALSE(d.canDraw);
        EXPECT_FALSE(d.fillBackground);
        EXPECT_TRUE(d.trace.empty());
        EXPECT_TRUE(d.verticalGridX.empty());
        EXPECT_TRUE(d.horizontalGridY.empty());
        EXPECT_TRUE(d.readingNumbers.empty());
        EXPECT_FALSE(d.drawAlarmRows);
        EXPECT_FALSE(d.drawValueLabels);
        EXPECT_FALSE(d.repaintRequested);
        EXPECT_FLOAT_EQ(graph->g_fReadingStep, step);
        EXPECT_TRUE(std::isfinite(graph->g_fAlarmHighY));
    }
    // The scroll bar and texts are still kept in step.
    const GraphDrawing d = Draw({0, 0, 200, 100});
    EXPECT_EQ(graph->m_strValueLabel[12], "200.00");
    EXPECT_EQ(d.valueScrollPos, 72);
}

TEST(TruncPixel, ClampsFarValuesAndNaN) {
    EXPECT_EQ(TruncPixel(12.9), 12);
    EXPECT_EQ(TruncPixel(-12.9), -12);
    EXPECT_EQ(TruncPixel(1e12), 1000000);
    EXPECT_EQ(TruncPixel(-1e12), -1000000);
    EXPECT_EQ(TruncPixel(INFINITY), 1000000);
    EXPECT_EQ(TruncPixel(-INFINITY), -1000000);
    EXPECT_EQ(TruncPixel(NAN), 0);
}

TEST(GraphStateStorage, TablesAllocatedOnceAtTheSpecifiedSize) {
    GraphState s;
    EXPECT_EQ(s.g_fReadingX.size(), 100u * 17280u);
    EXPECT_EQ(s.g_fReadingY.size(), 100u * 17280u);
    EXPECT_EQ(s.g_fPointX.size(), 17280u);
    EXPECT_EQ(s.g_nReadingsPerScreen, 100);
    EXPECT_EQ(s.g_nBaseReadingsPerScreen, 0);
    EXPECT_EQ(s.g_bNotZoomed, 1);
    EXPECT_EQ(s.g_bFirstVisibleSet, 1);
    EXPECT_EQ(s.m_nValueScrollPos, 72);

    MeasurementRecord r;
    for (int i = 0; i < 4000; ++i) r.m_fScreenValue[i] = static_cast<float>(i % 300);
    r.m_nScreenCount = 4000;
    const float* before = s.g_fReadingX.data();
    GraphDrawing d;
    ComputeDrawing(s, kClient1000, r, DrawingInputs{}, d);
    ComputeDrawing(s, kClient1000, r, DrawingInputs{}, d);
    EXPECT_EQ(before, s.g_fReadingX.data());
    // A reused drawing keeps its storage.
    const TracePiece* pieces = d.trace.data();
    ComputeDrawing(s, kClient1000, r, DrawingInputs{}, d);
    EXPECT_EQ(pieces, d.trace.data());
}

}  // namespace
}  // namespace mivora
