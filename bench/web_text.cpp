// Cutting and decoding a 40 KB detail page: TextBetween with a marker near the
// end of a GBK page, UrlDecode with and without the UTF-8 to GBK step.
#include "web/text.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr size_t kPageBytes = 40 * 1024;

// A mobile detail page in UTF-8: mostly markup, a Chinese event text per item,
// some percent escapes as the service writes them.
std::string utf8Page() {
    std::string page = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>"
                       "<section class=\"result-top\"><span id=\"companyName\">中通快递</span>";
    for (int i = 0; page.size() < kPageBytes - 200; ++i) {
        page += "<li class=\"\"><div class=\"time\">2015-03-0" + std::to_string(i % 9 + 1) +
                " 09:0" + std::to_string(i % 10) +
                ":07</div><div class=\"text\">【杭州市】快件已到达 杭州中转部，正在派件中 "
                "%E5%BF%AB%E9%80%92 a+b</div></li>\n";
    }
    page += "<li class=\"first last\"><div class=\"text\">已签收</div></li></ul></body></html>";
    return page;
}

void textBetweenNearTheEnd(benchmark::State& state) {
    const tolvane::Text page = tolvane::Gbk(utf8Page());
    const tolvane::Text left =
        tolvane::Gbk("<li class=#引号first last#引号><div class=#引号text#引号>");
    for (auto _ : state) {
        auto cut = tolvane::TextBetween(page, left, "</div>");
        benchmark::DoNotOptimize(cut);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(textBetweenNearTheEnd)->Unit(benchmark::kMicrosecond);

void urlDecodeBytes(benchmark::State& state) {
    const std::string page = utf8Page();
    for (auto _ : state) {
        auto decoded = tolvane::UrlDecode(page);
        benchmark::DoNotOptimize(decoded);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(urlDecodeBytes)->Unit(benchmark::kMicrosecond);

void urlDecodeFromUtf8(benchmark::State& state) {
    const std::string page = utf8Page();
    for (auto _ : state) {
        auto decoded = tolvane::UrlDecode(page, true);
        benchmark::DoNotOptimize(decoded);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(urlDecodeFromUtf8)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
