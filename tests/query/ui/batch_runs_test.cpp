// Batch runs through the real window against the tracking simulator: the number
// list rules, the run lock, the completion targets of each entry point.
#include "query/number_list.h"
#include "support/qt/test_window.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>

namespace tolvane {
namespace {

using test::TestWindow;

std::string Completion(int count) {
    return "快递单号查询完毕，本次共查询 " + std::to_string(count) + " 个，谢谢使用！";
}

// Records the writes of the three completion targets, in order.
struct TargetLog {
    explicit TargetLog(const WindowParts& parts) {
        for (const char* name : {"编辑框2", "编辑框7", "编辑框8"}) {
            TriggerBox* box = parts.trigger(name);
            QObject::connect(box, &TriggerBox::written, box, [this, box, name] {
                writes.push_back(std::string(name) + "=" + ToUtf8(box->text()));
            });
        }
    }
    std::vector<std::string> writes;
};

TEST(BatchRunDelay, LeadingIntegerOrZero) {
    const std::pair<const char*, int> cases[] = {
        {"500", 500},   {"abc", 0}, {"-5", 0},
        {"300ms", 300}, {"", 0},    {"+7", 7},
        {" 12", 12},    {"0", 0},   {"99999999999999999999", 2147483647},
        {"1.5", 1},     {"-", 0},   {"５", 0}};
    for (const auto& [text, delay] : cases)
        EXPECT_EQ(BatchRuns::ParseDelay(Gbk(text)), delay) << text;
}

struct ListCase {
    const char* list;
    std::vector<std::string> numbers;
};

class NumberListRun : public ::testing::TestWithParam<ListCase> {};

TEST_P(NumberListRun, MakesOneRowPerLineWithSerialNumberAndNote) {
    TestWindow t;
    t.setNumbers(GetParam().list);
    t.window().runs().QueryButtonClicked();
    ASSERT_TRUE(t.waitForRunEnd());
    const auto& numbers = GetParam().numbers;
    ASSERT_EQ(t.parts().table->rowCount(), static_cast<int>(numbers.size()));
    for (size_t j = 0; j < numbers.size(); ++j) {
        const int row = static_cast<int>(j);
        EXPECT_EQ(t.cell(row, 0), std::to_string(j + 1));
        EXPECT_EQ(t.cell(row, 2), numbers[j]);
        EXPECT_EQ(t.cell(row, 6), "无");
        EXPECT_EQ(t.cell(row, 1), "2015-03-07 09:05:07") << "every row was queried";
    }
    EXPECT_EQ(t.status(), Completion(static_cast<int>(numbers.size())));
}

INSTANTIATE_TEST_SUITE_P(Lists, NumberListRun,
                         ::testing::Values(ListCase{"S1\r\nP2\r\n", {"S1", "P2"}},
                                           ListCase{"S1\r\n\r\nR3", {"S1", "", "R3"}},
                                           ListCase{"\r\n", {""}},
                                           ListCase{"123----abc\r\n----abc", {"123", ""}},
                                           ListCase{" S1 \r\n\tW2", {" S1 ", "\tW2"}}));

TEST(BatchRun, WorkersFillTheirOwnRowsWithTheStatus) {
    TestWindow t;
    t.setNumbers("S1\r\nP2\r\nR3\r\nW4");
    t.window().runs().QueryButtonClicked();
    ASSERT_TRUE(t.waitForRunEnd());
    EXPECT_EQ(t.cell(0, 5), "已签收");
    EXPECT_EQ(t.cell(1, 5), "派件中");
    EXPECT_EQ(t.cell(2, 5), "运输途中");
    EXPECT_EQ(t.cell(3, 5), "无");
    EXPECT_EQ(t.cell(3, 3), "无");
    EXPECT_EQ(InFlightCount.load(), 0);
}

TEST(BatchRun, EmptyNumberBoxAsksForNumbersAndStartsNothing) {
    TestWindow t;
    t.window().runs().QueryButtonClicked();
    EXPECT_FALSE(t.window().runActive());
    ASSERT_EQ(t.prompts().shownTexts(), std::vector<std::string>{"请输入单号！"});
    EXPECT_EQ(ToUtf8(t.prompts().shown()[0].message.caption), "信息：");
    EXPECT_EQ(t.prompts().shown()[0].message.icon, Prompts::Icon::None);
}

TEST(BatchRun, LockCoversExactlyTheListedItemsWhileTheRunLasts) {
    TestWindow t;
    t.setNumbers("S1\r\nP2");
    auto& window = t.window();
    const std::vector<QWidget*> locked = {
        window.findChild<QWidget*>("按钮4"),   window.findChild<QWidget*>("编辑框3"),
        window.findChild<QWidget*>("编辑框4"), window.findChild<QWidget*>("超级列表框2"),
        window.findChild<QWidget*>("状态条1"), window.findChild<QWidget*>("选择框1")};
    auto* progress = window.findChild<QProgressBar*>("图片框1");
    auto* busy = window.findChild<QWidget*>("图形按钮1");
    window.show();

    QTest::mouseClick(window.findChild<QPushButton*>("按钮4"), Qt::LeftButton);
    ASSERT_TRUE(window.runActive());
    for (QWidget* control : locked)
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    for (QAction* item : window.findChild<QMenu*>("菜单2")->actions())
        EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    for (const char* menu : {"菜单1", "菜单3"}) {
        for (QAction* item : window.findChild<QMenu*>(menu)->actions())
            EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
    }
    EXPECT_TRUE(window.findChild<QWidget*>("分组框1")->isEnabled());
    EXPECT_TRUE(progress->isVisible());
    EXPECT_TRUE(busy->isVisible());

    ASSERT_TRUE(t.waitForRunEnd());
    for (QWidget* control : locked)
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    for (QAction* item : window.findChild<QMenu*>("菜单2")->actions())
        EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
    EXPECT_FALSE(progress->isVisible());
    EXPECT_FALSE(busy->isVisible());
    EXPECT_EQ(progress->value(), 2);
}

TEST(BatchRun, ASecondStartDuringARunDoesNothing) {
    TestWindow t;
    t.setNumbers("S1\r\nP2");
    TargetLog log(t.parts());
    auto& runs = t.window().runs();
    runs.QueryButtonClicked();
    t.setNumbers("R1");
    runs.QueryButtonClicked();
    runs.Requery();
    t.parts().startRequeryBuffer();
    t.prompts().queueOpenFileName(t.dir().file("never.txt").string());
    runs.ImportQuery();
    ASSERT_TRUE(t.waitForRunEnd());
    EXPECT_EQ(t.parts().table->rowCount(), 2);
    EXPECT_EQ(log.writes,
              (std::vector<std::string>{"编辑框8=" + Completion(2), "编辑框2=" + Completion(2)}));
    EXPECT_TRUE(t.prompts().fileDialogs().empty());
}

TEST(BatchRun, QueryButtonCompletesIntoBox8ThenBox2) {
    TestWindow t;
    TargetLog log(t.parts());
    t.setNumbers("S1\r\nS1");
    t.window().runs().QueryButtonClicked();
    ASSERT_TRUE(t.waitForRunEnd());
    EXPECT_EQ(log.writes,
              (std::vector<std::string>{"编辑框8=" + Completion(2), "编辑框2=" + Completion(2)}));
}

TEST(BatchRun, ImportReadsTheFileUpToItsFirstZeroByteAndCompletesIntoBox2) {
    TestWindow t;
    TargetLog log(t.parts());
    const auto file = t.dir().file("numbers.txt");
    test::WriteFileBytes(file, std::string("S1\r\nP2----x\r\n\0R3\r\n", 19));
    t.prompts().queueOpenFileName(file.string());
    t.window().runs().ImportQuery();
    ASSERT_TRUE(t.waitForRunEnd());
    ASSERT_EQ(t.parts().table->rowCount(), 2);
    EXPECT_EQ(t.cell(1, 2), "P2");
    EXPECT_EQ(log.writes, std::vector<std::string>{"编辑框2=" + Completion(2)});

    // The next import starts in the RunDirectory; an empty file empties the table.
    const auto empty = t.dir().file("empty.txt");
    test::WriteFileBytes(empty, "");
    t.prompts().queueOpenFileName(empty.string());
    t.window().runs().ImportQuery();
    ASSERT_TRUE(t.waitForRunEnd());
    EXPECT_EQ(t.parts().table->rowCount(), 0);
    EXPECT_EQ(t.status(), Completion(0));
    ASSERT_EQ(t.prompts().fileDialogs().size(), 2u);
    EXPECT_EQ(t.prompts().fileDialogs()[0].dialog.name, "通用对话框1");
    EXPECT_EQ(t.prompts().fileDialogs()[1].dialog.directory, t.dir().path().string());
}

TEST(BatchRun, CancelledImportLeavesTheTableAlone) {
    TestWindow t;
    t.parts().table->insertRow();
    t.window().runs().ImportQuery();
    EXPECT_FALSE(t.window().runActive());
    EXPECT_EQ(t.parts().table->rowCount(), 1);
}

TEST(BatchRun, BinaryImportIsHandledWithoutHarm) {
    TestWindow t;
    std::string bytes;
    for (int i = 1; i < 2000; ++i)
        bytes += static_cast<char>(i % 255 + 1);
    const auto file = t.dir().file("binary.bin");
    test::WriteFileBytes(file, bytes + std::string(1, '\0') + bytes);
    t.prompts().queueOpenFileName(file.string());
    t.window().runs().ImportQuery();
    ASSERT_TRUE(t.waitForRunEnd());
    EXPECT_EQ(t.parts().table->rowCount(), static_cast<int>(NumbersOfList(bytes).size()));
}

TEST(BatchRun, RequeryRebuildsRowsResetsNotesAndCompletesIntoBox2ThenBox7) {
    TestWindow t;
    t.setNumbers("S1\r\n\r\nR3");
    t.window().runs().QueryButtonClicked();
    ASSERT_TRUE(t.waitForRunEnd());
    t.parts().table->setCellText(0, 6, Gbk("客户A"));
    t.parts().table->setCellText(2, 0, "99");

    TargetLog log(t.parts());
    t.action("菜单2", "重新查询")->trigger();
    EXPECT_EQ(ToUtf8(t.parts().trigger("编辑框1")->text()), "S1\r\n\r\nR3\r\n");
    ASSERT_TRUE(t.waitForRunEnd());
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(t.cell(row, 0), std::to_string(row + 1));
        EXPECT_EQ(t.cell(row, 6), "无");
    }
    EXPECT_EQ(t.cell(0, 5), "已签收");
    EXPECT_EQ(log.writes,
              (std::vector<std::string>{"编辑框2=" + Completion(3), "编辑框7=" + Completion(3)}));
}

TEST(BatchRun, RequeryOfAnEmptyTableEndsWithCountZero) {
    TestWindow t;
    TargetLog log(t.parts());
    t.window().runs().Requery();
    ASSERT_TRUE(t.waitForRunEnd());
    EXPECT_EQ(log.writes,
              (std::vector<std::string>{"编辑框2=" + Completion(0), "编辑框7=" + Completion(0)}));
}

TEST(BatchRun, RequeryBufferFromAnotherThreadQueriesTheBufferedRows) {
    TestWindow t;
    for (const char* number : {"P1", "S2----note"}) {
        const int row = t.parts().table->insertRow();
        t.parts().table->setCellText(row, 2, Gbk(number));
    }
    t.parts().trigger("编辑框1")->setText("P1\r\nS2----note\r\n");
    TargetLog log(t.parts());
    std::thread([&parts = t.parts()] { parts.startRequeryBuffer(); }).join();
    QTest::qWait(20);
    ASSERT_TRUE(t.waitForRunEnd());
    EXPECT_EQ(t.cell(0, 5), "派件中");
    EXPECT_EQ(t.cell(1, 5), "已签收");
    EXPECT_EQ(t.cell(1, 2), "S2----note") << "the rows themselves are not touched";
    EXPECT_EQ(log.writes,
              (std::vector<std::string>{"编辑框2=" + Completion(2), "编辑框7=" + Completion(2)}));
}

TEST(BatchRun, DelayIsWaitedAfterEveryStart) {
    TestWindow t({.simulator = true, .trayAvailable = false, .delay = "150ms"});
    t.setNumbers("S1\r\nS2\r\nS3");
    QElapsedTimer elapsed;
    elapsed.start();
    t.window().runs().QueryButtonClicked();
    ASSERT_TRUE(t.waitForRunEnd());
    EXPECT_GE(elapsed.elapsed(), 1000 + 3 * 150);
}

} // namespace
} // namespace tolvane
