// One full drawing computation of the trend graph for a full record.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "graph/GraphDrawing.h"
#include "graph/GraphMouse.h"
#include "graph/GraphState.h"
#include "record/MeasurementRecord.h"

namespace mivora {
namespace {

// The view's client area inside the 865 x 700 window, between toolbar and status bar.
constexpr ClientRect kViewClient{0, 0, 865, 610};

void BM_GraphCompute(benchmark::State& bench) {
    const int readings = static_cast<int>(bench.range(0));
    const int levels = static_cast<int>(bench.range(1));

    auto graph = std::make_unique<GraphState>();
    auto record = std::make_unique<MeasurementRecord>();
    MeterState meter;
    DrawingInputs inputs;
    for (int i = 0; i < readings; ++i) {
        record->m_fScreenValue[i] = static_cast<float>(25.0 + 150.0 * std::sin(i * 0.01));
        record->m_strScreenTime[i] = "12-11-26/10:00:00";
        record->m_strScreenUnit[i] = "C";
    }
    record->m_nScreenCount = readings;

    GraphDrawing out;
    // Let the real-time window grow until it holds every reading.
    for (int i = 0; i < 100; ++i) {
        ComputeDrawing(*graph, kViewClient, *record, inputs, out);
        if (!out.repaintRequested) break;
    }
    // Zoom in by dragging nearly the whole plot, one level per drag.
    const PlotRect plot = ComputePlotRect(kViewClient);
    for (int z = 0; z < levels; ++z) {
        OnLButtonDown(*graph, kViewClient, *record, {plot.left + 1, plot.top + 1});
        OnMouseMove(*graph, kViewClient, *record, meter, {plot.right - 1, plot.bottom - 1});
        OnLButtonUp(*graph, kViewClient, *record, meter, {plot.right - 1, plot.bottom - 1});
        ComputeDrawing(*graph, kViewClient, *record, inputs, out);
    }
    if (graph->g_nZoomLevel != levels) {
        bench.SkipWithError("zoom level not reached");
        return;
    }

    for (auto _ : bench) {
        ComputeDrawing(*graph, kViewClient, *record, inputs, out);
        benchmark::DoNotOptimize(out.trace.data());
        benchmark::ClobberMemory();
    }
    bench.counters["pieces"] = static_cast<double>(out.trace.size());
}
BENCHMARK(BM_GraphCompute)->Args({4000, 0})->Args({4000, 99})->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mivora
