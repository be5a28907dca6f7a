#include "app/screen_dock.h"

#include "app/dock_geometry.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace tolvane {

ScreenDock::ScreenDock(QWidget& window) : QObject(&window), window_(&window) {
    setObjectName(QStringLiteral("ScreenDock"));
}

void ScreenDock::DockTick() {
    // A minimised or tray-parked window has no place on the screen to dock.
    if (!window_ || !window_->isVisible() || window_->isMinimized())
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect frame = window_->frameGeometry();
    const QPoint cursor = QCursor::pos();
    const QSize screenSize = screen->geometry().size();
    const DockPlacement placed =
        dockPlacement({frame.x(), frame.y(), frame.width(), frame.height()},
                      {cursor.x(), cursor.y()}, {screenSize.width(), screenSize.height()});
    setTopmost(placed.topmost);
    if (placed.left != frame.x() || placed.top != frame.y())
        window_->move(placed.left, placed.top);
}

void ScreenDock::setTopmost(bool topmost) {
    if (window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost)
        return;
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    // Changing the flags hides the window.
    window_->show();
}

void InstallScreenDock(QWidget& window, const WindowParts&) {
    auto* dock = new ScreenDock(window);
    if (auto* timer = window.findChild<QTimer*>(QStringLiteral("时钟3")))
        QObject::connect(timer, &QTimer::timeout, dock, &ScreenDock::DockTick);
}

} // namespace tolvane
