// The automatic re-query through the real window and dialog, with scripted
// prompts; timer ticks are fired by calling their handlers.
#include "app/auto_query.h"
#include "app/auto_query_dialog.h"
#include "app/main_window.h"
#include "support/qt/scripted_prompts.h"
#include "support/qt/test_window.h"
#include "support/sim_process.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace tolvane {
namespace {

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class AutoQueryTest : public testing::Test {
protected:
    static void SetUpTestSuite() { sim_ = std::make_unique<test::SimProcess>(); }
    static void TearDownTestSuite() { sim_.reset(); }

    void SetUp() override {
        AppServices services = test::TestServices(prompts_, test::SimHosts(*sim_));
        services.features.push_back(InstallAutoQuery);
        window_ = std::make_unique<MainWindow>(std::move(services));
        window_->show();
        checkBox_ = window_->findChild<QCheckBox*>(q("选择框1"));
        runTimer_ = window_->findChild<QTimer*>(q("时钟1"));
        autoQuery_ = window_->findChild<AutoQuery*>();
        ASSERT_TRUE(checkBox_ && runTimer_ && autoQuery_);
    }

    void TearDown() override {
        if (window_->runActive()) {
            QSignalSpy finished(&window_->runs(), &BatchRuns::runFinished);
            finished.wait(30000);
        }
        window_.reset();
    }

    // Checks the main box like a user; the dialog opens without blocking.
    AutoQueryDialog* openDialog() {
        QTest::mouseClick(checkBox_, Qt::LeftButton);
        return window_->findChild<AutoQueryDialog*>();
    }

    void confirm(AutoQueryDialog* dialog, const char* typedInterval, int source, bool save) {
        auto* interval = dialog->findChild<QLineEdit*>(q("编辑框1"));
        interval->clear();
        QTest::keyClicks(interval, QString::fromLatin1(typedInterval));
        dialog->findChild<QComboBox*>(q("组合框1"))->setCurrentIndex(source);
        dialog->findChild<QCheckBox*>(q("选择框1"))->setChecked(save);
        QTest::mouseClick(dialog->findChild<QPushButton*>(q("按钮1")), Qt::LeftButton);
    }

    void waitForDialogGone() { QTRY_VERIFY(window_->findChild<AutoQueryDialog*>() == nullptr); }

    Text trigger(const char* name) const { return window_->parts().trigger(name)->text(); }
    Text status() const { return window_->statusText(); }

    static std::unique_ptr<test::SimProcess> sim_;
    test::ScriptedPrompts prompts_;
    std::unique_ptr<MainWindow> window_;
    QCheckBox* checkBox_ = nullptr;
    QTimer* runTimer_ = nullptr;
    AutoQuery* autoQuery_ = nullptr;
};

std::unique_ptr<test::SimProcess> AutoQueryTest::sim_;

TEST_F(AutoQueryTest, DialogIsBuiltFromItsDefaultsEveryTime) {
    for (int round = 0; round < 2; ++round) {
        AutoQueryDialog* dialog = openDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), q("请选择自动查询方式"));
        EXPECT_EQ(dialog->size(), QSize(306, 132));
        EXPECT_TRUE(dialog->isModal());
        struct Control {
            const char* name;
            QRect place;
        };
        for (const Control& c : {Control{"透明标签2", {8, 8, 179, 24}},
                                 {"编辑框1", {195, 8, 93, 24}},
                                 {"透明标签1", {8, 41, 46, 24}},
                                 {"组合框1", {66, 42, 144, 20}},
                                 {"选择框1", {9, 72, 206, 24}},
                                 {"按钮1", {226, 58, 63, 32}}}) {
            auto* widget = dialog->findChild<QWidget*>(q(c.name));
            ASSERT_NE(widget, nullptr) << c.name;
            EXPECT_EQ(widget->geometry(), c.place) << c.name;
        }
        EXPECT_EQ(dialog->findChild<QLabel*>(q("透明标签2"))->text(),
                  q("请输入自动查询间隔(单位/毫秒)："));
        EXPECT_EQ(dialog->findChild<QLabel*>(q("透明标签1"))->text(), q("请选择："));
        EXPECT_EQ(dialog->findChild<QLineEdit*>(q("编辑框1"))->text(), q("300000"));
        auto* source = dialog->findChild<QComboBox*>(q("组合框1"));
        EXPECT_FALSE(source->isEditable());
        ASSERT_EQ(source->count(), 2);
        EXPECT_EQ(source->itemText(0), q("自动查询左侧编辑框"));
        EXPECT_EQ(source->itemText(1), q("自动查询超级列表框"));
        EXPECT_EQ(source->currentIndex(), 0);
        auto* save = dialog->findChild<QCheckBox*>(q("选择框1"));
        EXPECT_EQ(save->text(), q("自动保存每次查询结果为Excel文件"));
        EXPECT_FALSE(save->isChecked());
        EXPECT_EQ(dialog->findChild<QPushButton*>(q("按钮1"))->text(), q("确定"));

        // Choose everything differently; the next opening shows the defaults again.
        confirm(dialog, "600000", 1, true);
        waitForDialogGone();
        QTest::mouseClick(checkBox_, Qt::LeftButton); // off
    }
}

TEST_F(AutoQueryTest, DefaultChoiceConfirmsAndStartsTheTimerOneIntervalAhead) {
    AutoQueryDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    QTest::mouseClick(dialog->findChild<QPushButton*>(q("按钮1")), Qt::LeftButton);
    waitForDialogGone();
    EXPECT_EQ(status(), Gbk("您已选择自动查询左侧编辑框，不自动保存为Excel文件！"));
    EXPECT_TRUE(checkBox_->isChecked());
    EXPECT_TRUE(runTimer_->isActive());
    EXPECT_EQ(runTimer_->interval(), 300000);
    EXPECT_EQ(trigger("编辑框6"), AutoQuery::NumberBoxMode());
    EXPECT_EQ(trigger("编辑框_记录是否自动保存查询结果"), Gbk("不自动保存"));
    EXPECT_TRUE(prompts_.shown().empty());
}

TEST_F(AutoQueryTest, TheFourConfirmations) {
    struct Case {
        int source;
        bool save;
        const char* status;
        const char* mode;
        const char* flag;
    };
    const Case cases[] = {
        {0, true, "您已选择自动查询左侧编辑框，且自动保存为Excel文件！", "自动查询左侧编辑框",
         "自动保存"},
        {0, false, "您已选择自动查询左侧编辑框，不自动保存为Excel文件！", "自动查询左侧编辑框",
         "不自动保存"},
        {1, true, "您已选择自动查询超级列表框，且自动保存为Excel文件！", "自动查询超级列表框",
         "自动保存"},
        {1, false, "您已选择自动查询超级列表框，不自动保存为Excel文件！", "自动查询超级列表框",
         "不自动保存"},
    };
    for (const Case& c : cases) {
        AutoQueryDialog* dialog = openDialog();
        ASSERT_NE(dialog, nullptr);
        confirm(dialog, "300000", c.source, c.save);
        waitForDialogGone();
        EXPECT_EQ(status(), Gbk(c.status));
        EXPECT_EQ(trigger("编辑框6"), Gbk(c.mode));
        EXPECT_EQ(trigger("编辑框_记录是否自动保存查询结果"), Gbk(c.flag));
        QTest::mouseClick(checkBox_, Qt::LeftButton); // off
    }
}

TEST_F(AutoQueryTest, IntervalBoxRules) {
    struct Case {
        const char* typed;
        bool accepted;
        int interval;
    };
    // Letters cannot be typed at all: "ab-1c2" arrives as "-12".
    const Case cases[] = {{"299999", false, 0},
                          {"300000", true, 300000},
                          {"", false, 0},
                          {"-", false, 0},
                          {"abc", false, 0},
                          {"ab-1c2", false, 0},
                          {"-300000", false, 0},
                          {"99999999999", true, 2147483647},
                          {"3x0y0z000", true, 300000}};
    for (const Case& c : cases) {
        prompts_.clear();
        AutoQueryDialog* dialog = openDialog();
        ASSERT_NE(dialog, nullptr) << c.typed;
        confirm(dialog, c.typed, 0, false);
        if (c.accepted) {
            waitForDialogGone();
            EXPECT_TRUE(prompts_.shown().empty()) << c.typed;
            EXPECT_EQ(runTimer_->interval(), c.interval) << c.typed;
            QTest::mouseClick(checkBox_, Qt::LeftButton); // off
            continue;
        }
        ASSERT_EQ(prompts_.shown().size(), 1u) << c.typed;
        const Prompts::Message& shown = prompts_.shown()[0].message;
        EXPECT_EQ(shown.text, Gbk("最少也要5分钟哦！不要查询那么频繁！"));
        EXPECT_EQ(shown.caption, Gbk("温馨提示！"));
        EXPECT_EQ(shown.buttons, Prompts::Buttons::Ok);
        EXPECT_EQ(shown.owner, dialog);
        EXPECT_EQ(window_->findChild<AutoQueryDialog*>(), dialog) << "the dialog stays open";
        EXPECT_TRUE(checkBox_->isChecked());
        dialog->close();
        waitForDialogGone();
    }
}

TEST_F(AutoQueryTest, LeavingTheBoxShowsTheClampedValue) {
    AutoQueryDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    auto* interval = dialog->findChild<QLineEdit*>(q("编辑框1"));
    for (const auto& [typed, shown] : {std::pair{"99999999999", "2147483647"},
                                       {"-", "0"},
                                       {"-99999999999", "-2147483648"},
                                       {"0300000", "300000"}}) {
        interval->clear();
        QTest::keyClicks(interval, QString::fromLatin1(typed));
        emit interval->editingFinished();
        EXPECT_EQ(interval->text(), QString::fromLatin1(shown)) << typed;
    }
    dialog->close();
}

TEST_F(AutoQueryTest, ClosingTheDialogOrUncheckingSwitchesOff) {
    AutoQueryDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->close();
    waitForDialogGone();
    EXPECT_FALSE(checkBox_->isChecked());
    EXPECT_FALSE(runTimer_->isActive());
    EXPECT_EQ(status(), AutoQuery::SwitchedOffText());

    dialog = openDialog();
    confirm(dialog, "300000", 1, true);
    waitForDialogGone();
    ASSERT_TRUE(runTimer_->isActive());
    QTest::mouseClick(checkBox_, Qt::LeftButton);
    EXPECT_FALSE(checkBox_->isChecked());
    EXPECT_FALSE(runTimer_->isActive());
    EXPECT_EQ(status(), AutoQuery::SwitchedOffText());
    // Mode and save flag keep their values.
    EXPECT_EQ(trigger("编辑框6"), AutoQuery::ListMode());
    EXPECT_EQ(trigger("编辑框_记录是否自动保存查询结果"), Gbk("自动保存"));
}

TEST_F(AutoQueryTest, WatchdogStopsTheFeatureWhenItsSourceIsEmpty) {
    struct Case {
        int source;
        const char* message;
    };
    for (const Case& c : {Case{0, "左侧编辑框为空，请输入单号后再试！"},
                          Case{1, "超级列表框为空，请至少查询一次后再试！"}}) {
        AutoQueryDialog* dialog = openDialog();
        confirm(dialog, "300000", c.source, true);
        waitForDialogGone();
        autoQuery_->WatchdogTick();
        EXPECT_FALSE(checkBox_->isChecked()) << c.message;
        EXPECT_FALSE(runTimer_->isActive());
        EXPECT_EQ(status(), Gbk(c.message));
        EXPECT_EQ(trigger("编辑框6"), "");
        EXPECT_EQ(trigger("编辑框_记录是否自动保存查询结果"), Gbk("自动保存"));
    }
}

TEST_F(AutoQueryTest, WatchdogLeavesAFilledSourceAlone) {
    SetNumberBoxText(*window_->parts().numberBox, "S1\r\nP2");
    AutoQueryDialog* dialog = openDialog();
    confirm(dialog, "300000", 0, false);
    waitForDialogGone();
    const Text confirmed = status();
    autoQuery_->WatchdogTick();
    EXPECT_TRUE(checkBox_->isChecked());
    EXPECT_TRUE(runTimer_->isActive());
    EXPECT_EQ(status(), confirmed);
}

TEST_F(AutoQueryTest, TickStartsTheChosenRunAndNeverASecondBesideIt) {
    MainWindow& window = *window_;
    ResultsTable& table = *window.parts().table;
    SetNumberBoxText(*window.parts().numberBox, "L1\r\nS1");
    AutoQueryDialog* dialog = openDialog();
    confirm(dialog, "300000", 0, false);
    waitForDialogGone();

    QSignalSpy finished(&window.runs(), &BatchRuns::runFinished);
    autoQuery_->AutoTick();
    QTRY_VERIFY(window.runActive());
    QTRY_COMPARE(table.rowCount(), 2);
    // The numbers change and the timer fires again while the slow number is out.
    SetNumberBoxText(*window.parts().numberBox, "P7\r\nD8\r\nT9");
    autoQuery_->AutoTick();
    ASSERT_TRUE(finished.wait(30000));
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.cellText(0, 2), "L1");
    EXPECT_EQ(table.cellText(1, 5), Gbk("已签收"));

    // The list source re-queries the rows in place.
    table.setCellText(0, 6, Gbk("备注"));
    window.parts().trigger("编辑框6")->setText(AutoQuery::ListMode());
    autoQuery_->AutoTick();
    EXPECT_TRUE(window.runActive());
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.cellText(0, 6), Gbk("无"));

    // Without a mode a tick starts nothing.
    window.parts().trigger("编辑框6")->setText({});
    autoQuery_->AutoTick();
    EXPECT_FALSE(window.runActive());
}

} // namespace
} // namespace tolvane
