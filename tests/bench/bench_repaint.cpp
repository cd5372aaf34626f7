// One full repaint of the trend graph: the drawing computation and the painting
// of both buffers (and the reading numbers) into an image of the view's size.
#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <cstdlib>
#include <memory>

#include "GraphScene.h"
#include "ui/GraphPainter.h"

namespace mivora::ui {
namespace {

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

    mivora::bench::GraphScene scene;
    if (!scene.Prepare(readings, levels)) {
        bench.SkipWithError("zoom level not reached");
        return;
    }

    const GraphColours colours = GraphColoursFor(QColor(), QColor(0, 0, 255));
    QFont font;
    font.setPixelSize(13);
    const QColor face = ButtonFaceColour();
    QImage view(mivora::bench::kViewClient.right, mivora::bench::kViewClient.bottom,
                QImage::Format_RGB32);
    view.fill(face);
    GraphPainter painter;
    for (auto _ : bench) {
        scene.Compute();
        painter.Paint(view, scene.drawing, colours, font, face, QPoint(0, -30));
        benchmark::DoNotOptimize(view.constBits());
        benchmark::ClobberMemory();
    }
    bench.counters["pieces"] = static_cast<double>(scene.drawing.trace.size());
}
BENCHMARK(BM_Repaint)->Args({4000, 0})->Args({4000, 99})->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mivora::ui
