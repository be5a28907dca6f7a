// DockTick: every 10 ms (`时钟3`) the main window is docked at the screen edges by
// the decision of dock_geometry.h, applied to the real window. The topmost flag is
// touched only when it changes: setting window flags re-creates the window.
#pragma once

#include "query/ui/window_parts.h"

#include <QObject>
#include <QPointer>

namespace tolvane {

class ScreenDock final : public QObject {
    Q_OBJECT
public:
    explicit ScreenDock(QWidget& window);

    void DockTick();

private:
    void setTopmost(bool topmost);

    QPointer<QWidget> window_;
};

// A feature of the main window (AppServices::features): ties DockTick to `时钟3`.
void InstallScreenDock(QWidget& window, const WindowParts& parts);

} // namespace tolvane
