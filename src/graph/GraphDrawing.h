#pragma once
// One repaint of the trend graph, computed without a window: the state changes
// of the drawing and a plain description of what to paint.
#include <array>
#include <string>
#include <vector>

#include "graph/GraphState.h"
#include "record/MeasurementRecord.h"

namespace mivora {

// The view's client rectangle.
struct ClientRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The plot inside the client rectangle, in client pixels, with W and H.
struct PlotRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int W = 0;
    int H = 0;
    bool Usable() const { return W > 0 && H > 0; }
};

PlotRect ComputePlotRect(const ClientRect& client);

// Normalised rectangle, left <= right and top <= bottom (right/bottom exclusive
// as in the platform's rectangles).
struct IntRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const IntRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

enum class TraceColour { Red, Line };

// One straight piece of the trace, plot-relative, endpoints already truncated.
// As with the platform's lines, the end pixel itself is not set.
struct TracePiece {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    TraceColour colour = TraceColour::Line;
    bool operator==(const TracePiece& o) const {
        return x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2 && colour == o.colour;
    }
};

struct ValueLabel {
    std::string text;  // "%.2f" of the division's value
    int widthClass = 0;
    int tickY = 0;  // label strip coordinates; tick runs from x = plot left - 5 to plot left
    int textX = 0;  // label strip coordinates, top-left of the text
    int textY = 0;
};

struct ReadingNumber {
    std::string text;
    int x = 0;  // frame client coordinates (the view's numbers used unchanged)
    int y = 0;
};

struct DrawingInputs {
    int alarmHighFromBar = 150;  // the alarm bar's limits, used while the FromBar flags are set
    int alarmLowFromBar = -50;
    bool restartSampleTimer = false;  // MeterState::m_bRestartSampleTimer
    int sampleIntervalMs = 2000;      // MeterState::m_nSampleInterval
};

struct GraphDrawing {
    PlotRect plot;
    // False when the client area leaves no plot (W or H <= 0): nothing in the plot,
    // the label strip or the reading-number band is drawn.
    bool canDraw = false;

    // Background: fill the W x H plot buffer with the BGColor selection and the
    // label strip with the button face colour.
    bool fillBackground = false;
    // The label strip: client rectangle (0, plot top - 7), (plot left) x (H + 17).
    IntRect labelStrip;

    // Grid lines, dotted grey, plot-relative: vertical from (x, H) to (x, 0),
    // horizontal from (0, y) to (W, y). Lines outside the plot are clipped away.
    std::vector<int> verticalGridX;
    std::vector<int> horizontalGridY;

    // Value labels k = 0..12 (k = 0 at the bottom) in the label strip.
    std::array<ValueLabel, kAxisDivisions> valueLabels;
    bool drawValueLabels = false;

    // Reading numbers written on the frame; the band is erased first.
    bool eraseReadingNumbers = false;
    IntRect readingNumberBand;
    std::vector<ReadingNumber> readingNumbers;

    // Alarm limit rows (high, then low), plot-relative, drawn last from (0, y) to (W, y).
    bool drawAlarmRows = false;
    std::array<int, 2> alarmRowY{};

    // Trace pieces in draw order.
    std::vector<TracePiece> trace;

    // Tracking line put back into the new image (white dotted, plot-relative x).
    bool restoreTrackLine = false;
    int trackLineX = 0;
    bool newDataCleared = false;  // m_bNewData was cleared
    bool trackFreshSet = false;   // g_bTrackFresh was set to 1

    // Status bar panes 1 and 2, set only on an empty series.
    bool setStatusTexts = false;
    std::string statusTime;
    std::string statusTemp;

    // Value scroll bar (panel 161), set on every drawing.
    int valueScrollMin = 0;
    int valueScrollMax = kValueScrollMax;
    int valueScrollPos = kValueScrollMax;

    // Alarm bar's (disabled) scroll bar while zoomed.
    bool setAlarmScrollRange = false;
    int alarmScrollMax = 0;  // range 0..alarmScrollMax
    bool setAlarmScrollPos = false;
    int alarmScrollPos = 0;

    // Re-arm the sample timer with this period; the caller clears
    // MeterState::m_bRestartSampleTimer.
    bool restartSampleTimer = false;
    int sampleIntervalMs = 0;

    // The window grew: one more complete drawing is wanted.
    bool repaintRequested = false;

    // Empty every list, keeping its capacity, and reset the flags.
    void Clear();
};

// One drawing: changes the state (and m_bNewData) in the drawing's order and
// describes what to paint. Reusing `out` across drawings avoids allocation.
void ComputeDrawing(GraphState& state, const ClientRect& client, MeasurementRecord& record,
                    const DrawingInputs& inputs, GraphDrawing& out);
GraphDrawing ComputeDrawing(GraphState& state, const ClientRect& client, MeasurementRecord& record,
                            const DrawingInputs& inputs);

// Width class and text x of a value label (right-aligns the "%.2f" texts).
int ValueLabelWidthClass(float v);
int ValueLabelTextX(float v);

// Alarm colouring of the segment Ps -> Pe (values vs, ve; plot-relative points),
// cut at the limit rows yH (upper, hi) and yL (lower, lo), hi >= lo. Appends the
// pieces in draw order.
void ColourSegment(float vs, float ve, float xs, float ys, float xe, float ye, int hi, int lo,
                   float yH, float yL, std::vector<TracePiece>& out);

// Conversion of a pixel position to int: truncation toward zero after clamping
// to +-kPixelLimit, so far-away values never overflow; NaN gives 0.
constexpr double kPixelLimit = 1e6;
int TruncPixel(double v);

}  // namespace mivora
