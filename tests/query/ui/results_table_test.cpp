// The results table's list operations, from the UI thread and from other threads.
#include "query/ui/results_table.h"
#include "query/ui/trigger_box.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QTableView>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace tolvane {
namespace {

// Runs work on a thread of its own while the UI thread keeps handling events.
template <typename Work> void RunOnOtherThread(Work work) {
    std::atomic<bool> done{false};
    std::thread thread([&] {
        work();
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    thread.join();
}

TEST(ResultsTable, ColumnsHaveTheirTitlesAndWidths) {
    ResultsTable table;
    EXPECT_EQ(table.columnCount(), 7);
    const char* titles[] = {
        "序号",     "查询时间", "快递单号", "快递公司", "最后更新（双击查询详细物流信息）",
        "最后状态", "备注"};
    const int widths[] = {40, 150, 130, 70, 390, 70, 70};
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(ResultsTable::ColumnTitle(c), Gbk(titles[c]));
        EXPECT_EQ(ResultsTable::ColumnWidth(c), widths[c]);
        EXPECT_EQ(table.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                  QString::fromUtf8(titles[c]));
    }
    EXPECT_EQ(ResultsTable::ColumnTitle(7), "");
}

TEST(ResultsTable, ListOperationsKeepTheModelConsistent) {
    ResultsTable table;
    QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(table.insertRow(), 0);
    EXPECT_EQ(table.insertRow(), 1);
    table.setCellText(1, 2, Gbk("单号"));
    EXPECT_EQ(table.cellText(1, 2), Gbk("单号"));
    EXPECT_EQ(table.data(table.index(1, 2), Qt::DisplayRole).toString(), QStringLiteral("单号"));
    EXPECT_EQ(table.appendRows(std::vector<ResultsTable::Row>(3)), 2);
    EXPECT_EQ(table.rowCount(), 5);
    table.deleteAllRows();
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.appendRows({}), 0);
}

TEST(ResultsTable, MissingCellsReadEmptyAndWritesToThemAreIgnored) {
    ResultsTable table;
    table.insertRow();
    table.setCellText(0, 0, "1");
    QSignalSpy changed(&table, &QAbstractItemModel::dataChanged);
    for (auto [row, column] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 7}}) {
        EXPECT_EQ(table.cellText(row, column), "") << row << "," << column;
        table.setCellText(row, column, "x");
    }
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(table.cellText(0, 0), "1");
}

TEST(ResultsTable, SelectedRowFollowsTheViewAndIsMinusOneWithoutSelection) {
    ResultsTable table;
    QTableView view;
    view.setModel(&table);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    table.attachView(&view);
    EXPECT_EQ(table.selectedRow(), -1);
    table.appendRows(std::vector<ResultsTable::Row>(4));
    view.selectRow(2);
    EXPECT_EQ(table.selectedRow(), 2);
    table.setEnabled(false);
    EXPECT_FALSE(view.isEnabled());
    table.deleteAllRows();
    EXPECT_EQ(table.selectedRow(), -1);
}

TEST(ResultsTable, CallsFromAnotherThreadHaveCompletedWhenTheyReturn) {
    ResultsTable table;
    QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::Fatal);
    Text readBack;
    int count = 0;
    RunOnOtherThread([&] {
        const int row = table.insertRow();
        table.setCellText(row, 5, Gbk("已签收"));
        readBack = table.cellText(row, 5);
        table.appendRows(std::vector<ResultsTable::Row>(10));
        count = table.rowCount();
    });
    EXPECT_EQ(readBack, Gbk("已签收"));
    EXPECT_EQ(count, 11);
}

TEST(TriggerBox, EveryWriteFiresOnceOnTheUiThreadBeforeItReturns) {
    TriggerBox box(QStringLiteral("编辑框2"), nullptr);
    std::vector<Text> seen;
    bool onUiThread = true;
    QObject::connect(&box, &TriggerBox::written, [&] {
        seen.push_back(box.text());
        onUiThread = onUiThread && QThread::currentThread() == qApp->thread();
    });
    box.setText("same");
    box.setText("same");
    size_t seenWhenReturned = 0;
    RunOnOtherThread([&] {
        box.setText("same");
        seenWhenReturned = seen.size();
    });
    EXPECT_EQ(seen, (std::vector<Text>{"same", "same", "same"}));
    EXPECT_EQ(seenWhenReturned, 3u);
    EXPECT_TRUE(onUiThread);
    EXPECT_EQ(box.objectName(), QStringLiteral("编辑框2"));
}

TEST(NumberSlots, ReadOutsideTheSlotsAsEmpty) {
    NumberSlotArray numbers;
    numbers.replace({"A", "B"});
    EXPECT_EQ(numbers.count(), 2);
    EXPECT_EQ(numbers.at(1), "A");
    EXPECT_EQ(numbers.at(2), "B");
    EXPECT_EQ(numbers.at(0), "");
    EXPECT_EQ(numbers.at(3), "");
}

} // namespace
} // namespace tolvane
