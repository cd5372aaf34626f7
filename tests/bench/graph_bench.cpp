// One full drawing computation of the trend graph for a full record.
#include <benchmark/benchmark.h>

#include "GraphScene.h"

namespace mivora {
namespace {

void BM_GraphCompute(benchmark::State& bench) {
    const int readings = static_cast<int>(bench.range(0));
    const int levels = static_cast<int>(bench.range(1));

    mivora::bench::GraphScene scene;
    if (!scene.Prepare(readings, levels)) {
        bench.SkipWithError("zoom level not reached");
        return;
    }

    for (auto _ : bench) {
        scene.Compute();
        benchmark::DoNotOptimize(scene.drawing.trace.data());
        benchmark::ClobberMemory();
    }
    bench.counters["pieces"] = static_cast<double>(scene.drawing.trace.size());
}
BENCHMARK(BM_GraphCompute)->Args({4000, 0})->Args({4000, 99})->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mivora
