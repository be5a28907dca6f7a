// The history file from the window: save, delete, and the import at start-up.
#include "keeping/history_file.h"
#include "keeping/ui/keeping_actions.h"
#include "support/qt/test_window.h"

#include <QAction>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace tolvane {
namespace {

using test::ReadFileBytes;
using test::TestWindow;
using test::WriteFileBytes;

void addRows(TestWindow& t, const std::vector<std::pair<std::string, std::string>>& numberNotes) {
    std::vector<ResultsTable::Row> rows;
    int serial = 0;
    for (const auto& [number, note] : numberNotes)
        rows.push_back({std::to_string(++serial), "2015-03-07 09:05:07", Gbk(number), Gbk("顺丰"),
                        "u", Gbk("已签收"), Gbk(note)});
    t.parts().table->appendRows(std::move(rows));
}

std::string buffer(TestWindow& t) {
    return ToUtf8(t.parts().trigger("编辑框1")->text());
}

TEST(HistoryActions, SaveThenImportAtStartUpRoundTrips) {
    TestWindow first(TestWindow::Offline());
    addRows(first,
            {{"A1", "无"}, {"B2", "call"}, {"", "无"}, {"a&b", "x&y"}, {"中通1", "周一'再送\""}});
    first.action("菜单2", "保存历史查询记录")->trigger();
    EXPECT_EQ(first.status(), "历史查询记录保存成功，谢谢使用！");
    const std::string saved = ReadFileBytes(first.dir().file("history.txt"));
    EXPECT_EQ(saved, Gbk("A1&无\r\nB2&call\r\n&无\r\na&b&x&y\r\n中通1&周一'再送\"\r\n"));

    TestWindow next(TestWindow::Offline());
    WriteFileBytes(next.dir().file("history.txt"), saved);
    next.prompts().queueAnswer(Prompts::Answer::Ok); // the start-up tip
    next.prompts().queueAnswer(Prompts::Answer::Yes);
    next.window().runStartUp();

    ASSERT_EQ(next.prompts().shown().size(), 2u);
    const Prompts::Message& question = next.prompts().shown()[1].message;
    EXPECT_EQ(ToUtf8(question.text), "请问是否导入上次保存的历史记录？");
    EXPECT_EQ(ToUtf8(question.caption), "信息：");
    EXPECT_EQ(question.buttons, Prompts::Buttons::YesNo);
    EXPECT_EQ(question.owner, nullptr);

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"A1", "无"}, {"B2", "call"}, {"", "无"}, {"a", "b"}, {"中通1", "周一'再送\""}};
    auto expectRows = [&] {
        ASSERT_EQ(next.parts().table->rowCount(), static_cast<int>(expected.size()));
        for (int r = 0; r < static_cast<int>(expected.size()); ++r) {
            EXPECT_EQ(next.cell(r, 0), std::to_string(r + 1));
            EXPECT_EQ(next.cell(r, 2), expected[static_cast<std::size_t>(r)].first);
            EXPECT_EQ(next.cell(r, 6), expected[static_cast<std::size_t>(r)].second);
        }
    };
    expectRows();
    EXPECT_EQ(buffer(next), "A1\r\nB2\r\n\r\na\r\n中通1\r\n");
    EXPECT_TRUE(next.parts().runActive()) << "the import starts a re-query of its numbers";
    ASSERT_TRUE(next.waitForRunEnd());
    expectRows();
    EXPECT_FALSE(next.cell(0, 1).empty()) << "the re-query fills the query time";
    EXPECT_EQ(ReadFileBytes(next.dir().file("history.txt")), saved) << "import leaves the file";
}

TEST(HistoryActions, HandMadeNumberListImports) {
    TestWindow t(TestWindow::Offline());
    WriteFileBytes(t.dir().file("history.txt"), "SF1\r\n\r\nYT2&\r\nZT3&note\r\n\r\n");
    t.prompts().queueAnswer(Prompts::Answer::Yes);
    t.window().findChild<KeepingActions*>()->ImportHistory();
    ASSERT_EQ(t.parts().table->rowCount(), 3);
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(t.cell(r, 0), std::to_string(r + 1)) << "serials stay consecutive";
    EXPECT_EQ(t.cell(0, 2), "SF1");
    EXPECT_EQ(t.cell(0, 6), "无");
    EXPECT_EQ(t.cell(1, 2), "YT2");
    EXPECT_EQ(t.cell(1, 6), "无");
    EXPECT_EQ(t.cell(2, 6), "note");
    EXPECT_EQ(buffer(t), "SF1\r\nYT2\r\nZT3\r\n");
    t.waitForRunEnd();
}

TEST(HistoryActions, EmptyTableSavesZeroBytesAndNoQuestionFollows) {
    TestWindow first(TestWindow::Offline());
    first.action("菜单2", "保存历史查询记录")->trigger();
    EXPECT_EQ(first.status(), "历史查询记录保存成功，谢谢使用！");
    EXPECT_TRUE(std::filesystem::exists(first.dir().file("history.txt")));
    EXPECT_EQ(std::filesystem::file_size(first.dir().file("history.txt")), 0u);

    TestWindow next(TestWindow::Offline());
    WriteFileBytes(next.dir().file("history.txt"), "");
    next.window().runStartUp();
    EXPECT_EQ(next.prompts().shown().size(), 1u) << "only the start-up tip";
    EXPECT_EQ(next.parts().table->rowCount(), 0);
}

TEST(HistoryActions, AnsweringNoLeavesTableAndFile) {
    TestWindow t(TestWindow::Offline());
    WriteFileBytes(t.dir().file("history.txt"), "A1&x\r\n");
    t.window().findChild<KeepingActions*>()->ImportHistory(); // unscripted: No
    ASSERT_EQ(t.prompts().shown().size(), 1u);
    EXPECT_EQ(t.parts().table->rowCount(), 0);
    EXPECT_FALSE(t.parts().runActive());
    EXPECT_EQ(ReadFileBytes(t.dir().file("history.txt")), "A1&x\r\n");
}

TEST(HistoryActions, DeleteReportsWhetherAFileWasRemoved) {
    TestWindow t(TestWindow::Offline());
    WriteFileBytes(t.dir().file("history.txt"), "A1&x\r\n");
    t.action("菜单2", "删除历史查询记录")->trigger();
    EXPECT_EQ(t.status(), "历史查询记录删除成功，谢谢使用！");
    EXPECT_FALSE(std::filesystem::exists(t.dir().file("history.txt")));
    t.action("菜单2", "删除历史查询记录")->trigger();
    EXPECT_EQ(t.status(), "历史查询记录删除失败，请重试！");
    EXPECT_TRUE(t.prompts().shown().empty());
}

// A file size limit makes the write fail even for root, who ignores folder
// permissions; the previous history must survive it whole.
TEST(HistoryActions, FailedSaveReportsAndKeepsThePreviousFile) {
    TestWindow t(TestWindow::Offline());
    WriteFileBytes(t.dir().file("history.txt"), "OLD&kept\r\n");
    std::vector<std::pair<std::string, std::string>> many;
    for (int i = 0; i < 200; ++i)
        many.push_back({"SF" + std::to_string(100000 + i), "无"});
    addRows(t, many);

    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 256;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    t.action("菜单2", "保存历史查询记录")->trigger();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(t.status(), "历史查询记录保存失败，请重试！");
    EXPECT_EQ(ReadFileBytes(t.dir().file("history.txt")), "OLD&kept\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(t.dir().path()),
                            std::filesystem::directory_iterator()),
              1);
}

} // namespace
} // namespace tolvane
