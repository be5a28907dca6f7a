// One docking decision, as the 10 ms timer makes it (goal: under 1 us).
#include "app/dock_geometry.h"

#include <benchmark/benchmark.h>

namespace {

void dockDecision(benchmark::State& state) {
    const tolvane::DockScreen screen{1920, 1080};
    tolvane::DockRect window{0, 0, 400, 300};
    tolvane::DockPoint cursor{960, 540};
    for (auto _ : state) {
        benchmark::DoNotOptimize(window);
        benchmark::DoNotOptimize(cursor);
        const tolvane::DockPlacement placed = tolvane::dockPlacement(window, cursor, screen);
        benchmark::DoNotOptimize(placed);
    }
}
BENCHMARK(dockDecision)->Unit(benchmark::kNanosecond);

} // namespace

BENCHMARK_MAIN();
