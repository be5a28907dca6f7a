// The main window: its controls, menus, status bar, start-up, tray and close guard.
#include "support/qt/test_window.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace tolvane {
namespace {

using test::TestWindow;

struct ControlRow {
    const char* name;
    const char* className;
    QRect place;
    bool visible;
    const char* text;
};

QString TextOf(QWidget* widget) {
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return group->title();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget))
        return box->toPlainText();
    return {};
}

TEST(MainWindow, ControlTable) {
    TestWindow t({.simulator = false});
    auto& window = t.window();
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tolvane6.0"));
    EXPECT_EQ(window.size(), QSize(1179, 471));
    const ControlRow rows[] = {
        {"分组框1", "QGroupBox", {4, 1, 224, 416}, true, "单号列表（一行一个）"},
        {"编辑框4", "QPlainTextEdit", {8, 78, 207, 326}, true, ""},
        {"透明标签4", "QLabel", {70, 23, 76, 25}, true, "延时(毫秒):"},
        {"编辑框3", "QLineEdit", {154, 24, 61, 24}, true, "0"}, // TestWindow sets the delay
        {"按钮4", "QPushButton", {70, 51, 60, 20}, true, "查询"},
        {"外形框1", "QFrame", {136, 51, 79, 22}, true, ""},
        {"图片框2", "QLabel", {9, 24, 48, 48}, true, ""},
        {"选择框1", "QCheckBox", {147, 56, 68, 16}, true, "自动查询"},
        {"超级列表框2", "QTableView", {232, 12, 942, 405}, true, ""},
        {"图片框1", "QProgressBar", {76, 74, 57, 3}, false, ""},
        {"图形按钮1", "QLabel", {1035, 286, 136, 136}, false, ""},
    };
    for (const ControlRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto* widget = window.findChild<QWidget*>(QString::fromUtf8(row.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), row.className);
        EXPECT_EQ(widget->geometry(), row.place);
        EXPECT_EQ(widget->isVisible(), row.visible);
        EXPECT_TRUE(widget->isEnabled());
        EXPECT_EQ(TextOf(widget), QString::fromUtf8(row.text));
    }
    EXPECT_FALSE(window.findChild<QCheckBox*>("选择框1")->isChecked());

    for (const char* name : {"编辑框1", "编辑框2", "编辑框5", "编辑框6", "编辑框7", "编辑框8",
                             "编辑框_记录是否自动保存查询结果"}) {
        TriggerBox* box = t.parts().trigger(name);
        ASSERT_NE(box, nullptr) << name;
        EXPECT_EQ(box, window.findChild<TriggerBox*>(QString::fromUtf8(name)));
        EXPECT_EQ(box->text(), "") << name;
    }
    const std::tuple<const char*, int, bool> timers[] = {
        {"时钟1", 20000, true}, {"时钟2", 1000, true}, {"时钟3", 0, false}};
    for (const auto& [name, interval, active] : timers) {
        auto* timer = window.findChild<QTimer*>(QString::fromUtf8(name));
        ASSERT_NE(timer, nullptr) << name;
        EXPECT_EQ(timer->isActive(), active) << name;
        if (active) {
            EXPECT_EQ(timer->interval(), interval) << name;
        }
    }

    auto* view = t.parts().tableView;
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(view->columnWidth(column), ResultsTable::ColumnWidth(column));
    EXPECT_EQ(view->model(), t.parts().table);
    EXPECT_EQ(t.parts().table->rowCount(), 0);
}

TEST(MainWindow, PopupMenusHoldTheirItemsInOrder) {
    TestWindow t({.simulator = false});
    const std::pair<const char*, std::vector<const char*>> menus[] = {
        {"菜单1", {"显示", "退出"}},
        {"菜单2",
         {"导入查询", "重新查询", "复制单号", "复制整行", "保存为TXT", "保存为Excel",
          "添加/修改备注", "删除历史查询记录", "保存历史查询记录"}},
        {"菜单3", {"复制全部", "清空单号"}},
    };
    for (const auto& [name, items] : menus) {
        auto* menu = t.window().findChild<QMenu*>(QString::fromUtf8(name));
        ASSERT_NE(menu, nullptr) << name;
        const QList<QAction*> actions = menu->actions();
        ASSERT_EQ(actions.size(), static_cast<qsizetype>(items.size())) << name;
        for (size_t i = 0; i < items.size(); ++i) {
            QAction* action = actions[static_cast<qsizetype>(i)];
            EXPECT_EQ(action->text(), QString::fromUtf8(items[i]));
            EXPECT_EQ(action->objectName(), QString::fromUtf8(items[i]));
            EXPECT_FALSE(action->isSeparator() || action->isCheckable());
            EXPECT_TRUE(action->shortcut().isEmpty());
        }
    }
}

TEST(MainWindow, StatusBarHasFourPartsAndOpensTheLinksOnALeftPress) {
    TestWindow t({.simulator = false});
    auto& window = t.window();
    window.show();
    auto* bar = window.findChild<QStatusBar*>("状态条1");
    ASSERT_NE(bar, nullptr);
    const int widths[] = {250, 250, 250, 300};
    for (int part = 0; part < 4; ++part) {
        auto* label = bar->findChild<QLabel*>(QStringLiteral("状态条1_%1").arg(part));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->width(), widths[part]);
        EXPECT_FALSE(label->text().isEmpty());
    }
    EXPECT_EQ(t.status(), "欢迎使用Tolvane！Welcome to use！");
    t.window().setStatusText(Gbk("新的消息"));
    EXPECT_EQ(bar->findChild<QLabel*>("状态条1_3")->text(), QStringLiteral("新的消息"));

    QTest::mouseClick(bar, Qt::RightButton);
    EXPECT_TRUE(t.openedLinks().empty());
    QTest::mousePress(bar->findChild<QLabel*>("状态条1_1"), Qt::LeftButton);
    EXPECT_EQ(t.openedLinks().size(), 2u);
}

TEST(MainWindow, StartUpShowsTheTipThenRunsTheImportHook) {
    test::ScriptedPrompts prompts;
    std::vector<std::string> order;
    AppServices services;
    services.prompts = &prompts;
    services.trayAvailable = [] { return false; };
    services.startUpImport = [&](const WindowParts& parts) {
        order.push_back("import:" + std::to_string(prompts.shown().size()));
        EXPECT_NE(parts.table, nullptr);
    };
    MainWindow window(std::move(services));
    window.runStartUp();
    ASSERT_EQ(prompts.shown().size(), 1u);
    const auto& tip = prompts.shown()[0].message;
    EXPECT_EQ(ToUtf8(tip.caption), "友情提示：");
    EXPECT_EQ(tip.text, MainWindow::StartUpTip());
    EXPECT_EQ(
        ToUtf8(tip.text),
        "该软件有两个输入延迟的地方，第一个延迟默认是500毫秒 "
        "指的是你输入的单号每个之间的查询间隔时间；第二个是默认300000也就是5分钟，"
        "指的是你自动查询(每隔5分钟自动把所有的单号重新查询一次)的间隔时间，最低设置为5分钟！");
    EXPECT_EQ(tip.buttons, Prompts::Buttons::Ok);
    EXPECT_EQ(order, std::vector<std::string>{"import:1"});
    auto* dock = window.findChild<QTimer*>("时钟3");
    EXPECT_TRUE(dock->isActive());
    EXPECT_EQ(dock->interval(), 10);
}

TEST(MainWindow, CloseIsRefusedWhileWorkersRunAndAllowedAfterwards) {
    TestWindow t;
    auto& window = t.window();
    window.show();
    t.setNumbers("L2\r\nS1");
    window.runs().QueryButtonClicked();
    while (InFlightCount.load() == 0 && window.runActive())
        QTest::qWait(10);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(t.prompts().shownTexts(),
              std::vector<std::string>{"快递单号还未查询完毕，请稍后退出！"});
    EXPECT_EQ(t.prompts().shown()[0].message.icon, Prompts::Icon::Information);
    EXPECT_EQ(ToUtf8(t.prompts().shown()[0].message.caption), "信息：");

    ASSERT_TRUE(t.waitForRunEnd());
    EXPECT_TRUE(window.close());
    EXPECT_EQ(t.prompts().shown().size(), 1u);
}

TEST(MainWindow, QuitEndsAtOnceEvenWithWorkersInFlight) {
    TestWindow t;
    t.setNumbers("L2");
    t.window().runs().QueryButtonClicked();
    while (InFlightCount.load() == 0 && t.window().runActive())
        QTest::qWait(10);
    t.action("菜单1", "退出")->trigger();
    EXPECT_EQ(t.exitCalls(), 1);
    EXPECT_TRUE(t.prompts().shown().empty()) << "the close guard is not asked";
}

TEST(MainWindowDeathTest, QuitExitsTheProcessWithStatusZeroWhileAWorkerWaits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto quitDuringSlowQuery = [] {
        // A service that accepts connections and never answers. (No simulator here:
        // a child process of ours would hold the death test's output pipe open.)
        const int silent = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(silent, reinterpret_cast<sockaddr*>(&address), length);
        listen(silent, 16);
        getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
        const std::string host = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));

        test::ScriptedPrompts prompts;
        AppServices services;
        services.prompts = &prompts;
        services.hosts = {host, host};
        services.trayAvailable = [] { return false; };
        MainWindow window(std::move(services));
        SetNumberBoxText(*window.parts().numberBox, "S1\r\nS2");
        window.runs().QueryButtonClicked();
        while (InFlightCount.load() < 2)
            QTest::qWait(10);
        window.quitNow();
    };
    EXPECT_EXIT(quitDuringSlowQuery(), ::testing::ExitedWithCode(0), "");
}

TEST(MainWindow, MinimisingWithoutATrayKeepsTheWindowShown) {
    TestWindow t({.simulator = false, .trayAvailable = false});
    auto& window = t.window();
    window.show();
    window.showMinimized();
    QTest::qWait(20);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.trayIcon().isVisible());
}

TEST(MainWindow, TrayRoundTrip) {
    TestWindow t({.simulator = false, .trayAvailable = true});
    auto& window = t.window();
    window.show();
    window.showMinimized();
    QTRY_VERIFY(!window.isVisible());
    EXPECT_TRUE(window.trayIcon().isVisible());
    EXPECT_EQ(window.trayIcon().toolTip(), QStringLiteral("Tolvane6.0"));
    EXPECT_EQ(window.trayIcon().contextMenu(), window.findChild<QMenu*>("菜单1"));

    emit window.trayIcon().activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(window.isVisible()) << "a single click does nothing";
    emit window.trayIcon().activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
    EXPECT_FALSE(window.trayIcon().isVisible());

    window.showMinimized();
    QTRY_VERIFY(!window.isVisible());
    t.action("菜单1", "显示")->trigger();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.trayIcon().isVisible());
}

} // namespace
} // namespace tolvane
