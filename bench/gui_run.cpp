// The window under load, offscreen against the simulator: a 10,000-number run
// beside the command-line batch of the same numbers, the longest gap between
// 10 ms UI timer ticks during the run, peak memory; filling 100,000 rows; and
// ColourByStatus over 100,000 rows.
#include "query/batch_cli.h"
#include "query/number_list.h"
#include "support/qt/test_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>

namespace tolvane {
namespace {

Text NumberList(int count) {
    static const char letters[] = "SPDTRWZOFB";
    Text list;
    for (int i = 0; i < count; ++i)
        list += letters[i % 10] + std::to_string(100000 + i) + "\r\n";
    return list;
}

double PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void WindowRunOf10000(benchmark::State& state) {
    const Text list = NumberList(10000);
    for (auto _ : state) {
        test::TestWindow t;
        SetNumberBoxText(*t.parts().numberBox, list);

        QElapsedTimer cli;
        cli.start();
        const auto outcomes = QueryAll(NumbersOfList(list), t.parts().hosts, 0, SystemClock());
        const double cliSeconds = static_cast<double>(cli.nsecsElapsed()) / 1e9;

        qint64 largestGap = 0;
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout,
                         [&] { largestGap = std::max(largestGap, sinceTick.restart()); });
        QElapsedTimer run;
        run.start();
        sinceTick.start();
        ticker.start(10);
        t.window().runs().QueryButtonClicked();
        t.waitForRunEnd(600000);
        ticker.stop();
        // The window's run includes its fixed 1000 ms pause before the first start.
        const double runSeconds = static_cast<double>(run.nsecsElapsed()) / 1e9;
        state.SetIterationTime(runSeconds);
        state.counters["window_s"] = runSeconds;
        state.counters["window_minus_pause_s"] = runSeconds - 1.0;
        state.counters["cli_s"] = cliSeconds;
        state.counters["ratio_minus_pause"] = (runSeconds - 1.0) / cliSeconds;
        state.counters["largest_tick_gap_ms"] = static_cast<double>(largestGap);
        state.counters["peak_rss_mb"] = PeakRssMb();
        state.counters["rows"] = t.parts().table->rowCount();
        benchmark::DoNotOptimize(outcomes.size());
    }
}
BENCHMARK(WindowRunOf10000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void FillOf100000Rows(benchmark::State& state) {
    const Text list = NumberList(100000);
    test::TestWindow t({.simulator = false});
    std::vector<ResultsTable::Row> rows;
    for (auto _ : state) {
        state.PauseTiming();
        t.parts().table->deleteAllRows();
        state.ResumeTiming();
        // What FillFromList does: split, then rows handed over in chunks.
        const std::vector<Text> numbers = NumbersOfList(list);
        NumberSlots.replace(numbers);
        const Text none = Gbk("无");
        for (size_t first = 0; first < numbers.size(); first += 2000) {
            rows.clear();
            for (size_t j = first; j < std::min(numbers.size(), first + 2000); ++j)
                rows.push_back({std::to_string(j + 1), {}, numbers[j], {}, {}, {}, none});
            t.parts().table->appendRows(std::move(rows));
        }
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = t.parts().table->rowCount();
}
BENCHMARK(FillOf100000Rows)->Unit(benchmark::kMillisecond);

// The whole fill as a user sees it: the query button's fill thread, through the
// UI thread, up to the run's first worker (which fails at once: no service).
void QueryButtonFillOf100000Rows(benchmark::State& state) {
    const Text list = NumberList(100000);
    for (auto _ : state) {
        state.PauseTiming();
        test::TestWindow t({.simulator = false});
        t.window().show();
        SetNumberBoxText(*t.parts().numberBox, list);
        state.ResumeTiming();
        QElapsedTimer filled;
        filled.start();
        t.window().runs().QueryButtonClicked();
        while (t.parts().table->rowCount() < 100000)
            QTest::qWait(1);
        state.SetIterationTime(static_cast<double>(filled.nsecsElapsed()) / 1e9);
        state.PauseTiming();
        t.waitForRunEnd(600000);
        state.ResumeTiming();
    }
}
BENCHMARK(QueryButtonFillOf100000Rows)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void ColourByStatusOf100000Rows(benchmark::State& state) {
    test::TestWindow t({.simulator = false});
    t.window().show();
    static const char* const words[] = {"已签收", "派件中", "运输途中", "无"};
    std::vector<ResultsTable::Row> rows(100000);
    for (size_t j = 0; j < rows.size(); ++j)
        rows[j][5] = Gbk(words[j % 4]);
    t.parts().table->appendRows(std::move(rows));
    for (auto _ : state) {
        state.PauseTiming();
        t.window().colouring().ClearRowColours();
        state.ResumeTiming();
        t.window().colouring().ColourByStatus();
    }
    state.counters["rules"] = static_cast<double>(t.window().colouring().ruleCount());
}
BENCHMARK(ColourByStatusOf100000Rows)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tolvane

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
