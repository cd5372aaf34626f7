#pragma once
// Rubber-band zoom, tracking line and readout of the trend graph as pure state
// functions: they change the graph state and say what to draw on the screen.
#include <string>

#include "graph/GraphDrawing.h"
#include "graph/GraphState.h"
#include "record/MeasurementRecord.h"

namespace mivora {

struct MouseResult {
    // False when the handler did nothing (no readings on the screen, or no plot).
    bool handled = false;

    // Tracking line, client x, from (x, plot top) to (x, plot bottom), dotted in the
    // BGColor selection with a not-xor raster operation: erase the old, draw the new.
    bool eraseTrackLine = false;
    int eraseTrackX = 0;
    bool drawTrackLine = false;
    int drawTrackX = 0;
    int trackTop = 0;
    int trackBottom = 0;

    // Status bar panes 1 and 2 (immediate update); only when a reading is under the mouse.
    bool setReadout = false;
    std::string pane1;
    std::string pane2;

    // Drag rectangle (client coordinates, normalised, 1-pixel border): the band
    // drawn last is removed while the new one is drawn.
    bool drawDragRect = false;
    IntRect dragRectOld;
    IntRect dragRectNew;
    // Release: remove the band drawn last (to an empty rectangle).
    bool eraseDragRect = false;
    IntRect dragRectErase;

    bool repaint = false;         // invalidate the whole view (no erase) and update at once
    bool startDragTimer = false;  // timer 3, 10 ms
    bool stopDragTimer = false;
    bool zoomLevelAdded = false;      // release: the level advanced
    bool disableAlarmScroll = false;  // UndoZoom: disable the alarm bar's scroll bar
};

// The point clamped to the plot: x to [left, right], then y to [top, bottom].
Point ClampToPlot(Point pt, const PlotRect& plot);

// Index of the reading under client x at the current level, or -1 when there is
// none: the step must be finite and positive and the index within 0..n-1.
int ReadingIndexAt(const GraphState& state, const PlotRect& plot, int x, int n);

MouseResult OnLButtonDown(GraphState& state, const ClientRect& client,
                          const MeasurementRecord& record, Point pt);
MouseResult OnMouseMove(GraphState& state, const ClientRect& client,
                        const MeasurementRecord& record, MeterState& meter, Point pt);
MouseResult OnLButtonUp(GraphState& state, const ClientRect& client,
                        const MeasurementRecord& record, MeterState& meter, Point pt);
// Timer 3 tick with the cursor's client position: cancels a drag that left the plot.
MouseResult OnDragWatch(GraphState& state, const ClientRect& client, MeterState& meter,
                        Point cursor);
MouseResult OnUndoZoom(GraphState& state);

// Readout texts of reading i: "time:" + time, and "temp:%.1f" (or "-----" for the
// no-value marker) + unit.
std::string ReadoutTimeText(const MeasurementRecord& record, int i);
std::string ReadoutTempText(const MeasurementRecord& record, int i);

}  // namespace mivora
