// Throughput of the one-number query against the simulator on loopback, beside
// the same two GET requests made with plain libcurl, and the cutting of one page.
#include "query/query_number.h"
#include "support/sim_process.h"
#include "web/http.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <string>

namespace {

const tolvane::test::SimProcess& sim() {
    static const tolvane::test::SimProcess process;
    return process;
}

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

std::string plainGet(const std::string& url) {
    std::string body;
    CURL* handle = curl_easy_init();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_perform(handle);
    curl_easy_cleanup(handle);
    return body;
}

void BM_PlainCurlTwoRequests(benchmark::State& state) {
    const std::string host = sim().hostPort();
    for (auto _ : state) {
        const std::string reply = plainGet("http://" + host + "/autonumber/auto?num=S1");
        const std::string page = plainGet("http://" + host + "/queryDetail.php?com=yuantong&nu=S1");
        benchmark::DoNotOptimize(reply.size() + page.size());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_QueryNumber(benchmark::State& state) {
    const tolvane::QueryContext context{tolvane::test::SimHosts(sim())};
    for (auto _ : state) {
        const tolvane::QueryOutcome row = tolvane::QueryNumber("S1", context);
        benchmark::DoNotOptimize(row.status.size());
    }
    state.SetItemsProcessed(state.iterations());
}

// P2 is the simulator's largest ordinary page, 40 KB as sent.
void BM_ReadDetailPage(benchmark::State& state) {
    const tolvane::Text page = tolvane::FetchDetailPage("P2", tolvane::test::SimHosts(sim()));
    const tolvane::LocalTime now = tolvane::CurrentLocalTime();
    for (auto _ : state) {
        const tolvane::QueryOutcome row = tolvane::ReadDetailPage(page, now, now);
        benchmark::DoNotOptimize(row.lastUpdate.size());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
    state.counters["page_bytes"] = static_cast<double>(page.size());
}

} // namespace

// Every request opens and closes a connection, so each leaves a port in TIME_WAIT
// for a minute; the query and its baseline alternate so neither runs on a port
// range that the other has used up. Keep --benchmark_min_time short (0.5 s).
BENCHMARK(BM_ReadDetailPage);
BENCHMARK(BM_PlainCurlTwoRequests)->Threads(1)->UseRealTime();
BENCHMARK(BM_QueryNumber)->Threads(1)->UseRealTime();
BENCHMARK(BM_PlainCurlTwoRequests)->Threads(8)->UseRealTime();
BENCHMARK(BM_QueryNumber)->Threads(8)->UseRealTime();
BENCHMARK(BM_PlainCurlTwoRequests)->Threads(64)->UseRealTime();
BENCHMARK(BM_QueryNumber)->Threads(64)->UseRealTime();

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_ALL);
    sim(); // started before any timed thread
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
