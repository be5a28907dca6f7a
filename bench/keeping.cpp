// Keeping results without queries: text export, history save and import of
// 100,000 rows (goal under 0.5 s each) and a 65,535-row workbook (goal under
// 1 s, file within 1.5 x its cell bytes plus fixed overhead).
#include "keeping/excel_export.h"
#include "keeping/history_file.h"
#include "keeping/text_export.h"
#include "keeping/xls_writer.h"
#include "support/temp_dir.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tolvane;

// Appending pieces one by one (g++ 12 warns falsely on chained "+" of temporaries).
std::string joined(std::initializer_list<std::string_view> pieces) {
    std::string out;
    for (std::string_view piece : pieces)
        out.append(piece);
    return out;
}

// Rows shaped like real results: Chinese companies, updates and states.
std::vector<CellRow> resultRows(std::size_t count) {
    const Text companies[] = {Gbk("中通快递"), Gbk("圆通速递"), Gbk("顺丰速运"), Gbk("韵达快递")};
    const Text states[] = {Gbk("已签收"), Gbk("派件中"), Gbk("运输途中")};
    const Text arrived = Gbk(" 【杭州市】快件已到达 杭州转运中心，正发往下一站 第");
    const Text piece = Gbk("件");
    const Text none = Gbk("无");
    const Text note = Gbk("客户要求周一送");
    std::vector<CellRow> rows;
    rows.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string n = std::to_string(i + 1);
        const std::string minute = std::to_string(10 + i % 50);
        const std::string second = std::to_string(10 + i % 49);
        rows.push_back({n, joined({"2015-03-07 09:", minute, ":", second}),
                        joined({"7", std::to_string(100000000000 + i * 7919)}), companies[i % 4],
                        joined({"2015-03-07 08:", minute, arrived, n, piece}), states[i % 3],
                        i % 10 ? none : note});
    }
    return rows;
}

std::vector<HistoryEntry> historyOf(const std::vector<CellRow>& rows) {
    std::vector<HistoryEntry> entries;
    entries.reserve(rows.size());
    for (const CellRow& row : rows)
        entries.push_back({row[2], row[6]});
    return entries;
}

void BM_TextExport100k(benchmark::State& state) {
    const auto rows = resultRows(100000);
    test::TempDir dir;
    for (auto _ : state) {
        const WriteResult result = SaveExportText(dir.file("export.txt"), rows);
        if (!result)
            state.SkipWithError(result.error.c_str());
    }
}
BENCHMARK(BM_TextExport100k)->Unit(benchmark::kMillisecond);

void BM_HistorySave100k(benchmark::State& state) {
    const auto entries = historyOf(resultRows(100000));
    test::TempDir dir;
    for (auto _ : state) {
        const WriteResult result = SaveHistoryFile(dir.file("history.txt"), entries);
        if (!result)
            state.SkipWithError(result.error.c_str());
    }
}
BENCHMARK(BM_HistorySave100k)->Unit(benchmark::kMillisecond);

void BM_HistoryImport100k(benchmark::State& state) {
    test::TempDir dir;
    const auto path = dir.file("history.txt");
    SaveHistoryFile(path, historyOf(resultRows(100000)));
    for (auto _ : state) {
        const auto entries = ParseHistory(ReadHistoryText(path));
        benchmark::DoNotOptimize(entries.data());
        if (entries.size() != 100000)
            state.SkipWithError("wrong row count");
    }
}
BENCHMARK(BM_HistoryImport100k)->Unit(benchmark::kMillisecond);

void BM_Workbook65535(benchmark::State& state) {
    const auto rows = resultRows(kMaxWorkbookDataRows);
    const CellRow titles = {Gbk("序号"),
                            Gbk("查询时间"),
                            Gbk("快递单号"),
                            Gbk("快递公司"),
                            Gbk("最后更新（双击查询详细物流信息）"),
                            Gbk("最后状态"),
                            Gbk("备注")};
    std::size_t cellBytes = 0;
    for (const CellRow& row : rows)
        for (const Text& cell : row)
            cellBytes += cell.size();
    test::TempDir dir;
    std::size_t fileSize = 0;
    int round = 0;
    for (auto _ : state) {
        const auto path = dir.file(joined({"book", std::to_string(round++), ".xls"}));
        const WorkbookOutcome outcome = SaveWorkbook(path, titles, rows);
        if (outcome.status != WorkbookOutcome::Status::Saved)
            state.SkipWithError(outcome.error.c_str());
        fileSize = std::filesystem::file_size(path);
        state.PauseTiming();
        std::filesystem::remove(path);
        state.ResumeTiming();
    }
    state.counters["cell_bytes"] = static_cast<double>(cellBytes);
    state.counters["file_bytes"] = static_cast<double>(fileSize);
    state.counters["file_per_cell_byte"] =
        static_cast<double>(fileSize) / static_cast<double>(cellBytes);
    state.counters["overhead_per_cell"] =
        (static_cast<double>(fileSize) - static_cast<double>(cellBytes)) / (rows.size() * 7.0);
}
BENCHMARK(BM_Workbook65535)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
