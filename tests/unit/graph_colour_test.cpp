#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "graph/GraphDrawing.h"
#include "graph/GraphMouse.h"
#include "graph/GraphState.h"
#include "record/MeasurementRecord.h"

namespace mivora {

// Readable failure output for pieces.
void PrintTo(const TracePiece& p, std::ostream* os) {
    *os << (p.colour == TraceColour::Red ? "red" : "line") << " (" << p.x1 << "," << p.y1 << ")->("
        << p.x2 << "," << p.y2 << ")";
}

namespace {

constexpr TraceColour R = TraceColour::Red;
constexpr TraceColour L = TraceColour::Line;

// Window -100 .. 200 on a plot 300 high: one pixel per value unit, y = 200 - v.
// Limits 150 and -50 lie on rows 50 and 250; segments run from x = 0 to x = 100.
std::vector<TracePiece> Segment(float vs, float ve) {
    std::vector<TracePiece> out;
    ColourSegment(vs, ve, 0.0f, 200.0f - vs, 100.0f, 200.0f - ve, 150, -50, 50.0f, 250.0f, out);
    return out;
}

TEST(TraceColouring, SegmentRules) {
    struct Case {
        float vs;
        float ve;
        std::vector<TracePiece> pieces;
    };
    const Case cases[] = {
        // Line colour up to the row of 150, red above it.
        {100, 200, {{50, 50, 100, 0, R}, {50, 50, 0, 100, L}}},
        // Red below -50, line colour between, red above 150 (crossings 16.67 and 83.33).
        {-100, 200, {{83, 50, 100, 0, R}, {16, 250, 83, 50, L}, {16, 250, 0, 300, R}}},
        // Starting exactly on the upper limit: all line colour, or all red.
        {150, 100, {{0, 50, 100, 100, L}}},
        {150, 200, {{0, 50, 100, 0, R}}},
        // Red below -50, line colour to the end at exactly 150.
        {-100, 150, {{20, 250, 0, 300, R}, {20, 250, 100, 50, L}}},
        // From exactly -50: line colour up to 150, red above.
        {-50, 200, {{80, 50, 100, 0, R}, {80, 50, 0, 250, L}}},
        // Falling through both limits.
        {200, -100, {{16, 50, 0, 0, R}, {83, 250, 16, 50, L}, {83, 250, 100, 300, R}}},
        // Falling through the upper limit into the band.
        {200, 100, {{50, 50, 0, 0, R}, {50, 50, 100, 100, L}}},
        // Falling through the lower limit only.
        {100, -100, {{75, 250, 100, 300, R}, {75, 250, 0, 100, L}}},
        // Both below, both above, both inside.
        {-100, -80, {{0, 300, 100, 280, R}}},
        {160, 190, {{0, 40, 100, 10, R}}},
        {0, 100, {{0, 200, 100, 100, L}}},
        // Lying on a limit: red, then over-drawn in the line colour.
        {150, 150, {{0, 50, 100, 50, R}, {0, 50, 100, 50, L}}},
        {-50, -50, {{0, 250, 100, 250, R}, {0, 250, 100, 250, L}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Segment(c.vs, c.ve), c.pieces) << c.vs << " -> " << c.ve;
    }
}

TEST(TraceColouring, NoValueMarkerIsRedFromTheUpperCrossing) {
    // 100 -> 3000 -> 100: y = 200 - 3000 = -2800.
    const std::vector<TracePiece> up = Segment(100, kNoValueMarker);
    ASSERT_EQ(up.size(), 2u);
    EXPECT_EQ(up[0].colour, R);
    EXPECT_EQ(up[0].y1, 50);
    EXPECT_EQ(up[0].y2, -2800);
    EXPECT_EQ(up[1].colour, L);
    const std::vector<TracePiece> down = Segment(kNoValueMarker, 100);
    ASSERT_EQ(down.size(), 2u);
    EXPECT_EQ(down[0].colour, R);
    EXPECT_EQ(down[0].y2, -2800);
    EXPECT_EQ(down[1].colour, L);
}

TEST(TraceColouring, CrossingsTruncateTowardZero) {
    // A crossing left of the plot, at x = -2.5, becomes -2.
    std::vector<TracePiece> out;
    ColourSegment(100, 200, -10.0f, 100.0f, 10.0f, 0.0f, 150, -50, 57.5f, 250.0f, out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].x1, -1);  // 10 - (57.5 - 0) / 5 = -1.5
    EXPECT_EQ(out[0].y1, 57);
    EXPECT_EQ(out[1].x2, -10);
}

class ZoomedColouring : public ::testing::Test {
  protected:
    std::unique_ptr<GraphState> graph = std::make_unique<GraphState>();
    std::unique_ptr<MeasurementRecord> record = std::make_unique<MeasurementRecord>();
    MeterState meter;
    static constexpr ClientRect kClient{0, 0, 1380, 545};  // plot 1000 x 300 at (70, 170)
};

TEST_F(ZoomedColouring, PiecesAreCutAtTheZoomedLimitRows) {
    // A ramp from 1 to 298 over 100 readings crosses 150 once, between readings.
    for (int i = 0; i < 100; ++i) record->m_fScreenValue[i] = 3.0f * i + 1.0f;
    record->m_nScreenCount = 100;
    ComputeDrawing(*graph, kClient, *record, DrawingInputs{});
    // Band over values 100 .. 200 (rows 100 .. 0) and the middle of the width.
    OnLButtonDown(*graph, kClient, *record, {70 + 300, 170 + 0});
    OnMouseMove(*graph, kClient, *record, meter, {70 + 700, 170 + 100});
    OnLButtonUp(*graph, kClient, *record, meter, {70 + 700, 170 + 100});
    ASSERT_EQ(graph->g_nZoomLevel, 1);
    const GraphDrawing d = ComputeDrawing(*graph, kClient, *record, DrawingInputs{});
    // 150 sits in the middle of the zoomed window 100 .. 200.
    EXPECT_NEAR(graph->g_fAxisValue[1][0], 100.0f, 1e-3);
    EXPECT_NEAR(graph->g_fAxisValue[1][12], 200.0f, 1e-3);
    EXPECT_NEAR(graph->g_fAlarmHighY, 150.0f, 1e-3);
    EXPECT_EQ(d.alarmRowY[0], 150);
    int crossings = 0;
    for (std::size_t i = 0; i < d.trace.size(); ++i) {
        if (d.trace[i].colour == R && d.trace[i].y1 == 150) {
            ++crossings;
            ASSERT_LT(i + 1, d.trace.size());
            EXPECT_EQ(d.trace[i + 1].colour, L);
            EXPECT_EQ(d.trace[i + 1].y1, 150);
        }
    }
    EXPECT_EQ(crossings, 1);
    // The unzoomed pass drew nothing: one or two pieces per segment, 99 segments.
    EXPECT_EQ(d.trace.size(), 100u);
}

}  // namespace
}  // namespace mivora
