// One full repaint of the trend graph: the drawing computation and the painting
// of both buffers (and the reading numbers) into an image of the view's size.
#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "graph/GraphDrawing.h"
#include "graph/GraphMouse.h"
#include "graph/GraphState.h"
#include "record/MeasurementRecord.h"
#include "ui/GraphPainter.h"

namespace mivora::ui {
namespace {

// The view's client area inside the 865 x 700 window, between toolbar and status bar.
constexpr ClientRect kViewClient{0, 0, 865, 610};

// Fonts and images need the application object; one for the whole run.
void EnsureApplication() {
    static std::unique_ptr<QGuiApplication> app;
    if (app || QGuiApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "mivora-bench";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QGuiApplication>(argc, argv);
}

void BM_Repaint(benchmark::State& bench) {
    EnsureApplication();
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

    GraphDrawing drawing;
    // Let the real-time window grow until it holds every reading.
    for (int i = 0; i < 100; ++i) {
        ComputeDrawing(*graph, kViewClient, *record, inputs, drawing);
        if (!drawing.repaintRequested) break;
    }
    // Zoom in by dragging nearly the whole plot, one level per drag.
    const PlotRect plot = ComputePlotRect(kViewClient);
    for (int z = 0; z < levels; ++z) {
        OnLButtonDown(*graph, kViewClient, *record, {plot.left + 1, plot.top + 1});
        OnMouseMove(*graph, kViewClient, *record, meter, {plot.right - 1, plot.bottom - 1});
        OnLButtonUp(*graph, kViewClient, *record, meter, {plot.right - 1, plot.bottom - 1});
        ComputeDrawing(*graph, kViewClient, *record, inputs, drawing);
    }
    if (graph->g_nZoomLevel != levels) {
        bench.SkipWithError("zoom level not reached");
        return;
    }

    const GraphColours colours = GraphColoursFor(QColor(), QColor(0, 0, 255));
    QFont font;
    font.setPixelSize(13);
    const QColor face = ButtonFaceColour();
    QImage view(kViewClient.right, kViewClient.bottom, QImage::Format_RGB32);
    view.fill(face);
    GraphPainter painter;
    for (auto _ : bench) {
        ComputeDrawing(*graph, kViewClient, *record, inputs, drawing);
        painter.Paint(view, drawing, colours, font, face, QPoint(0, -30));
        benchmark::DoNotOptimize(view.constBits());
        benchmark::ClobberMemory();
    }
    bench.counters["pieces"] = static_cast<double>(drawing.trace.size());
}
BENCHMARK(BM_Repaint)->Args({4000, 0})->Args({4000, 99})->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mivora::ui
