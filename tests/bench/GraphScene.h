#pragma once
// The graph the benchmarks draw: a full screen series in the view's client area
// inside the 865 x 700 window, grown to hold every reading and zoomed `levels` deep.
#include <cmath>
#include <memory>

#include "graph/GraphDrawing.h"
#include "graph/GraphMouse.h"
#include "graph/GraphState.h"
#include "record/MeasurementRecord.h"

namespace mivora::bench {

// Between toolbar and status bar.
constexpr ClientRect kViewClient{0, 0, 865, 610};

struct GraphScene {
    std::unique_ptr<GraphState> graph = std::make_unique<GraphState>();
    std::unique_ptr<MeasurementRecord> record = std::make_unique<MeasurementRecord>();
    MeterState meter;
    DrawingInputs inputs;
    GraphDrawing drawing;

    // False when the zoom level could not be reached.
    bool Prepare(int readings, int levels) {
        for (int i = 0; i < readings; ++i) {
            record->m_fScreenValue[i] = static_cast<float>(25.0 + 150.0 * std::sin(i * 0.01));
            record->m_strScreenTime[i] = "12-11-26/10:00:00";
            record->m_strScreenUnit[i] = "C";
        }
        record->m_nScreenCount = readings;
        // Let the real-time window grow until it holds every reading.
        for (int i = 0; i < 100; ++i) {
            Compute();
            if (!drawing.repaintRequested) break;
        }
        // Zoom in by dragging nearly the whole plot, one level per drag.
        const PlotRect plot = ComputePlotRect(kViewClient);
        for (int z = 0; z < levels; ++z) {
            OnLButtonDown(*graph, kViewClient, *record, {plot.left + 1, plot.top + 1});
            OnMouseMove(*graph, kViewClient, *record, meter, {plot.right - 1, plot.bottom - 1});
            OnLButtonUp(*graph, kViewClient, *record, meter, {plot.right - 1, plot.bottom - 1});
            Compute();
        }
        return graph->g_nZoomLevel == levels;
    }

    void Compute() { ComputeDrawing(*graph, kViewClient, *record, inputs, drawing); }
};

}  // namespace mivora::bench
