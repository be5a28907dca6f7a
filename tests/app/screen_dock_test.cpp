// DockTick on real windows: the decision applied to a window's frame, the topmost
// flag changed only when it changes, and the main window's timer driving it. The
// offscreen screen (800 x 600) is narrower than the main window's status bar
// allows it to be, so the edges are tried on a plain top-level window.
#include "app/main_window.h"
#include "app/screen_dock.h"
#include "support/qt/scripted_prompts.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace tolvane {
namespace {

class ScreenDockTest : public testing::Test {
protected:
    void SetUp() override {
        window_.resize(400, 300);
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        screen_ = QGuiApplication::primaryScreen()->geometry().size();
    }

    // Puts the cursor somewhere; skips the test where the platform cannot.
    void cursorAt(QPoint where) {
        QCursor::setPos(where);
        if (QCursor::pos() != where)
            GTEST_SKIP() << "this platform does not move the cursor";
    }

    bool topmost() const { return window_.windowFlags().testFlag(Qt::WindowStaysOnTopHint); }
    QRect frame() const { return window_.frameGeometry(); }

    QWidget window_;
    ScreenDock* dock_ = new ScreenDock(window_);
    QSize screen_;
};

TEST_F(ScreenDockTest, TopEdgeShowsHidesAndComesBack) {
    window_.move(100, -40);
    cursorAt(frame().center() + QPoint(0, 40));
    dock_->DockTick();
    EXPECT_EQ(frame().top(), 0);
    EXPECT_TRUE(topmost());

    cursorAt({screen_.width() - 5, screen_.height() - 5});
    dock_->DockTick();
    EXPECT_EQ(frame().top(), 2 - frame().height());
    EXPECT_EQ(frame().left(), 100);

    cursorAt({150, 5});
    dock_->DockTick();
    EXPECT_EQ(frame().top(), 0);
}

TEST_F(ScreenDockTest, TopmostFollowsTheEdgesAndFreeWindowsStayPut) {
    window_.move(50, 60);
    cursorAt(frame().center());
    dock_->DockTick();
    EXPECT_FALSE(topmost());
    EXPECT_EQ(frame().topLeft(), QPoint(50, 60));

    window_.move(screen_.width() - frame().width(), 60);
    cursorAt({screen_.width() - 1 - frame().width() / 2, 100});
    dock_->DockTick();
    EXPECT_TRUE(topmost());
    EXPECT_TRUE(window_.isVisible());
    dock_->DockTick(); // no change: the flags are left alone
    EXPECT_TRUE(topmost());

    cursorAt({5, screen_.height() - 5});
    dock_->DockTick();
    EXPECT_EQ(frame().left(), screen_.width() - 2);
}

TEST(ScreenDockWindowTest, TimerDrivesTheTickAfterStartUp) {
    test::ScriptedPrompts prompts;
    AppServices services;
    services.prompts = &prompts;
    services.trayAvailable = [] { return false; };
    services.features.push_back(InstallScreenDock);
    MainWindow window(std::move(services));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.runStartUp();
    auto* timer = window.findChild<QTimer*>(QStringLiteral("时钟3"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 10);
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    window.move(100, -40);
    QCursor::setPos(screen.width() - 5, screen.height() - 5);
    QTRY_COMPARE(window.frameGeometry().top(), 2 - window.frameGeometry().height());
}

} // namespace
} // namespace tolvane
