// The detail copy's text for a service page with 1,000 events, the event
// search included (goal: under 5 ms).
#include "query/detail_text.h"
#include "query/query_number.h"
#include "support/sim_process.h"

#include <benchmark/benchmark.h>

namespace {

void detailTextOfThousandEvents(benchmark::State& state) {
    const tolvane::test::SimProcess sim;
    const tolvane::Text number = "N1000";
    const tolvane::Text page = tolvane::FetchDetailPage(number, tolvane::test::SimHosts(sim));
    const tolvane::LocalTime now{2015, 3, 7, 9, 5, 7};
    for (auto _ : state) {
        auto text = tolvane::DetailText(page, number, tolvane::Gbk("中通快递"), now);
        benchmark::DoNotOptimize(text);
    }
    state.counters["page_bytes"] = static_cast<double>(page.size());
}
BENCHMARK(detailTextOfThousandEvents)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
