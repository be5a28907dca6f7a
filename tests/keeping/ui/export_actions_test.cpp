// Text export, clipboard copies, row notes and Excel workbooks from the window.
#include "keeping/excel_export.h"
#include "keeping/text_export.h"
#include "keeping/ui/keeping_actions.h"
#include "keeping/ui/note_dialog.h"
#include "keeping/workbook_readers.h"
#include "support/qt/test_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace tolvane {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::TestWindow;

// Two result rows; the second has an apostrophe, quotes and a note with "&".
void addRows(TestWindow& t) {
    t.parts().table->appendRows({
        {"1", "2015-03-07 09:05:07", "SF1001", Gbk("顺丰速运"), Gbk("08:00 已签收,签收人是：本人"),
         Gbk("已签收"), Gbk("无")},
        {"2", "2015-03-07 09:05:08", "O'B 7", Gbk("中通快递"), Gbk("派送中 \"张三\""),
         Gbk("派件中"), Gbk("a&b  c")},
    });
}

std::string clipboard() {
    return QGuiApplication::clipboard()->text().toStdString();
}

void selectRow(TestWindow& t, int row) {
    t.parts().tableView->selectRow(row);
}

KeepingActions& actions(TestWindow& t) {
    return *t.window().findChild<KeepingActions*>();
}

TEST(ExportText, AsksThenWritesEveryCellWithTwoSpacesAndCrLf) {
    TestWindow t(TestWindow::Offline());
    addRows(t);
    const auto path = t.dir().file("查询记录.txt");
    t.prompts().queueAnswer(Prompts::Answer::Ok);
    t.prompts().queueSaveFileName(path.string());
    t.action("菜单2", "保存为TXT")->trigger();

    ASSERT_EQ(t.prompts().shown().size(), 2u);
    const Prompts::Message& question = t.prompts().shown()[0].message;
    EXPECT_EQ(ToUtf8(question.text), "请问：是否保存？ By：Halvik");
    EXPECT_EQ(ToUtf8(question.caption), "保存所有查询记录");
    EXPECT_EQ(question.buttons, Prompts::Buttons::OkCancel);
    ASSERT_EQ(t.prompts().fileDialogs().size(), 1u);
    const auto& dialog = t.prompts().fileDialogs()[0];
    EXPECT_TRUE(dialog.save);
    EXPECT_EQ(dialog.dialog.name, "通用对话框3");
    EXPECT_EQ(ToUtf8(dialog.dialog.filter), "文本文件(*.txt)");
    EXPECT_EQ(dialog.dialog.defaultSuffix, "txt");
    EXPECT_EQ(dialog.dialog.initialName, "查询记录");
    EXPECT_EQ(t.prompts().shownTexts()[1], "保存成功！");
    EXPECT_EQ(ToUtf8(t.prompts().shown()[1].message.caption), "信息：");

    EXPECT_EQ(
        ReadFileBytes(path),
        Gbk("1  2015-03-07 09:05:07  SF1001  顺丰速运  08:00 已签收,签收人是：本人  已签收  "
            "无  \r\n"
            "2  2015-03-07 09:05:08  O'B 7  中通快递  派送中 \"张三\"  派件中  a&b  c  \r\n"));
}

TEST(ExportText, EmptyTableCancelAndUnwritablePath) {
    TestWindow t(TestWindow::Offline());
    // Declined: no dialog, nothing more.
    t.action("菜单2", "保存为TXT")->trigger();
    EXPECT_EQ(t.prompts().shown().size(), 1u);
    EXPECT_TRUE(t.prompts().fileDialogs().empty());

    // Dialog cancelled: silent.
    t.prompts().clear();
    t.prompts().queueAnswer(Prompts::Answer::Ok);
    t.action("菜单2", "保存为TXT")->trigger();
    EXPECT_EQ(t.prompts().shown().size(), 1u);
    EXPECT_EQ(t.prompts().fileDialogs().size(), 1u);

    // Empty table: a zero-byte file and success.
    t.prompts().clear();
    const auto path = t.dir().file("empty.txt");
    t.prompts().queueAnswer(Prompts::Answer::Ok);
    t.prompts().queueSaveFileName(path.string());
    t.action("菜单2", "保存为TXT")->trigger();
    EXPECT_EQ(t.prompts().shownTexts().back(), "保存成功！");
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);

    // A path that cannot be written (its folder is a file).
    t.prompts().clear();
    t.prompts().queueAnswer(Prompts::Answer::Ok);
    t.prompts().queueSaveFileName((path / "x.txt").string());
    t.action("菜单2", "保存为TXT")->trigger();
    EXPECT_EQ(t.prompts().shownTexts().back(), "保存失败！");
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(Copies, ClipboardHoldsExactlyTheText) {
    TestWindow t(TestWindow::Offline());
    addRows(t);
    selectRow(t, 1);
    t.action("菜单2", "复制整行")->trigger();
    EXPECT_EQ(clipboard(), "查询时间：2015-03-07 09:05:08  快递单号：O'B 7  快递公司：中通快递  "
                           "最后更新：派送中 \"张三\"  最后状态：派件中");
    t.action("菜单2", "复制单号")->trigger();
    EXPECT_EQ(clipboard(), "O'B 7");
    EXPECT_TRUE(t.prompts().shown().empty());

    t.setNumbers("SF1\r\n中通2\r\n");
    t.action("菜单3", "复制全部")->trigger();
    EXPECT_EQ(clipboard(), "SF1\r\n中通2\r\n");
    t.action("菜单3", "清空单号")->trigger();
    EXPECT_EQ(t.parts().numberBox->toPlainText().toStdString(), "");
    t.action("菜单3", "复制全部")->trigger();
    EXPECT_EQ(clipboard(), "");
}

TEST(Copies, WithoutSelectionCopyEmptyCellsThenAsk) {
    TestWindow t(TestWindow::Offline());
    addRows(t);
    t.parts().tableView->clearSelection();
    t.action("菜单2", "复制整行")->trigger();
    EXPECT_EQ(clipboard(), "查询时间：  快递单号：  快递公司：  最后更新：  最后状态：");
    t.action("菜单2", "复制单号")->trigger();
    EXPECT_EQ(clipboard(), "");
    ASSERT_EQ(t.prompts().shown().size(), 2u);
    for (const auto& shown : t.prompts().shown()) {
        EXPECT_EQ(ToUtf8(shown.message.text), "请选择一条！");
        EXPECT_EQ(ToUtf8(shown.message.caption), "提示：");
        EXPECT_EQ(shown.message.buttons, Prompts::Buttons::Ok);
    }
}

// Runs steps inside the modal note dialog once it is shown.
void whileNoteDialogOpen(std::function<void(NoteDialog&)> steps) {
    QTimer::singleShot(0, [steps = std::move(steps)] {
        auto* dialog = qobject_cast<NoteDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        steps(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

TEST(Notes, DialogLayoutAndCommitByButton) {
    TestWindow t(TestWindow::Offline());
    addRows(t);
    selectRow(t, 0);
    whileNoteDialogOpen([](NoteDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "添加/修改备注");
        EXPECT_EQ(dialog.size(), QSize(310, 72));
        auto* label = dialog.findChild<QLabel*>(QStringLiteral("透明标签1"));
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("编辑框1"));
        auto* button = dialog.findChild<QPushButton*>(QStringLiteral("按钮1"));
        ASSERT_TRUE(label && edit && button);
        EXPECT_EQ(label->geometry(), QRect(8, 10, 70, 24));
        EXPECT_EQ(label->text().toStdString(), "请输入备注：");
        EXPECT_EQ(edit->geometry(), QRect(85, 9, 137, 24));
        EXPECT_EQ(button->geometry(), QRect(228, 8, 63, 24));
        EXPECT_EQ(button->text().toStdString(), "添加/修改");
        EXPECT_EQ(edit->text().toStdString(), "无");
        edit->setText(QString::fromUtf8("周一再送 & 电话"));
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
    });
    t.action("菜单2", "添加/修改备注")->trigger();
    EXPECT_EQ(t.cell(0, 6), "周一再送 & 电话");
    EXPECT_TRUE(t.prompts().shown().empty());
}

TEST(Notes, EnterOnEmptyRefusesOnceThenSpacesAreAccepted) {
    TestWindow t(TestWindow::Offline());
    addRows(t);
    selectRow(t, 1);
    whileNoteDialogOpen([&](NoteDialog& dialog) {
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("编辑框1"));
        edit->clear();
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(t.prompts().shownTexts(), std::vector<std::string>{"备注不能为空"});
        EXPECT_EQ(ToUtf8(t.prompts().shown()[0].message.caption), "信息：");
        QTest::keyClicks(edit, QStringLiteral("   "));
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
    });
    actions(t).EditNote();
    EXPECT_EQ(t.cell(1, 6), "   ");
    EXPECT_EQ(t.prompts().shown().size(), 1u);
}

// A pasted note with line breaks must not split the row in the history file.
TEST(Notes, PastedLineBreaksBecomeBlanksAndTheHistoryKeepsOneRow) {
    TestWindow t(TestWindow::Offline());
    addRows(t);
    selectRow(t, 0);
    whileNoteDialogOpen([](NoteDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("编辑框1"))
            ->setText(QString::fromUtf8("周一\r\n再送\n电话\r前"));
        dialog.CommitNote();
    });
    actions(t).EditNote();
    EXPECT_EQ(t.cell(0, 6), "周一 再送 电话 前");

    actions(t).SaveHistory();
    const std::string saved = ReadFileBytes(t.dir().file("history.txt"));
    EXPECT_EQ(Split(saved, "\r\n").size(), static_cast<size_t>(t.parts().table->rowCount()));
}

TEST(Notes, ClosingKeepsTheNoteAndNoSelectionAsks) {
    TestWindow t(TestWindow::Offline());
    addRows(t);
    selectRow(t, 1);
    whileNoteDialogOpen([](NoteDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("编辑框1"))->setText(QStringLiteral("x"));
        dialog.reject();
    });
    actions(t).EditNote();
    EXPECT_EQ(t.cell(1, 6), "a&b  c");

    t.parts().tableView->clearSelection();
    actions(t).EditNote(); // no dialog: it would block here
    EXPECT_EQ(t.prompts().shownTexts(), std::vector<std::string>{"请选择一条！"});
}

// The workbook goes to the current working directory; each test gets its own.
class Workbooks : public testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(cwd_.path());
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    std::filesystem::path workbook() const {
        return cwd_.file(WorkbookFileName(TestWindow::FixedTime()));
    }
    std::size_t filesInCwd() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(cwd_.path()),
                          std::filesystem::directory_iterator()));
    }

    TempDir cwd_;
    std::filesystem::path previous_;
};

TEST_F(Workbooks, SaveAsExcelWritesTheTableAndNeverReplaces) {
    TestWindow t(TestWindow::Offline());
    t.action("菜单2", "保存为Excel")->trigger();
    EXPECT_EQ(t.prompts().shownTexts(), std::vector<std::string>{"请查询后再保存！"});
    EXPECT_EQ(filesInCwd(), 0u);

    addRows(t);
    t.prompts().clear();
    t.action("菜单2", "保存为Excel")->trigger();
    EXPECT_TRUE(t.prompts().shown().empty()) << "success says nothing";
    ASSERT_TRUE(std::filesystem::exists(workbook()));
    const std::string first = ReadFileBytes(workbook());

    t.parts().table->setCellText(0, 6, "changed");
    t.action("菜单2", "保存为Excel")->trigger(); // the same second
    EXPECT_TRUE(t.prompts().shown().empty());
    EXPECT_EQ(ReadFileBytes(workbook()), first);
    EXPECT_EQ(filesInCwd(), 1u);

    if (const std::string missing = test::ReaderMissing(test::WorkbookReader::Xlrd);
        !missing.empty())
        GTEST_SKIP() << missing;
    std::string error;
    const auto book = test::ReadBack(test::WorkbookReader::Xlrd, workbook(), &error);
    ASSERT_TRUE(book) << error;
    EXPECT_EQ(book->sheetName, "Tolvane，软件作者，Halvik");
    ASSERT_EQ(book->rows.size(), 3u);
    EXPECT_EQ(book->rows[0],
              (std::vector<std::string>{"序号", "查询时间", "快递单号", "快递公司",
                                        "最后更新（双击查询详细物流信息）", "最后状态", "备注"}));
    EXPECT_EQ(book->rows[2],
              (std::vector<std::string>{"2", "2015-03-07 09:05:08", "O'B 7", "中通快递",
                                        "派送中 \"张三\"", "派件中", "a&b  c"}));
}

TEST_F(Workbooks, AutoSaveOnlyWhenTheFlagSaysSo) {
    TestWindow t(TestWindow::Offline());
    addRows(t);
    TriggerBox* flag = t.parts().trigger("编辑框_记录是否自动保存查询结果");
    for (const char* value : {"", "不自动保存", "自动保存 "}) {
        flag->setText(Gbk(value));
        t.parts().trigger("编辑框8")->setText(Gbk("done"));
        t.parts().trigger("编辑框7")->setText(Gbk("done"));
    }
    EXPECT_EQ(filesInCwd(), 0u);

    flag->setText(Gbk("自动保存"));
    t.parts().trigger("编辑框8")->setText(Gbk("done"));
    EXPECT_TRUE(std::filesystem::exists(workbook()));
    std::filesystem::remove(workbook());
    t.parts().trigger("编辑框7")->setText(Gbk("done"));
    EXPECT_TRUE(std::filesystem::exists(workbook()));
    EXPECT_TRUE(t.prompts().shown().empty());
}

TEST_F(Workbooks, MoreRowsThanASheetHoldsAreRefusedWithAMessage) {
    TestWindow t(TestWindow::Offline());
    std::vector<ResultsTable::Row> rows(kMaxWorkbookDataRows + 1);
    for (auto& row : rows)
        row[2] = "SF1";
    t.parts().table->appendRows(std::move(rows));
    t.action("菜单2", "保存为Excel")->trigger();
    EXPECT_EQ(t.prompts().shownTexts(),
              std::vector<std::string>{"记录超过65535行，无法保存为Excel！"});
    EXPECT_EQ(filesInCwd(), 0u);
}

} // namespace
} // namespace tolvane
