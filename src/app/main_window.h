// MainWindow: every control of the program as a named child (objectName = the
// control's name), the three popup menus, the status bar, the tray icon, the close
// guard and the start-up sequence. Features get WindowParts, not the window.
#pragma once

#include "keeping/ui/status_colouring.h"
#include "query/ui/batch_runs.h"
#include "query/ui/window_parts.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <vector>

class QLabel;
class QMenu;
class QSystemTrayIcon;
class QUrl;

namespace tolvane {

// What the window is given, so tests can replace each of them.
struct AppServices {
    Prompts* prompts = nullptr; // required; outlives the window
    ServiceHosts hosts;
    Clock clock = SystemClock();
    std::string runDirectory;
    // Feature code that connects itself to the named actions, boxes and timers;
    // called at the end of construction.
    std::vector<std::function<void(QWidget& window, const WindowParts& parts)>> features;
    // The history offer: the last step of start-up.
    std::function<void(const WindowParts& parts)> startUpImport;
    // Defaults: QDesktopServices, QSystemTrayIcon::isSystemTrayAvailable, and an
    // immediate end of the process with status 0.
    std::function<void(const QUrl& link)> openLink;
    std::function<bool()> trayAvailable;
    std::function<void()> exitProgram;
};

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    const WindowParts& parts() const { return parts_; }
    BatchRuns& runs() { return *runs_; }
    StatusColouring& colouring() { return *colouring_; }
    bool runActive() const { return runs_->runActive(); }

    // Docking timer, start-up tip, then the start-up import hook.
    void runStartUp();

    void setStatusText(const Text& text) { parts_.setStatusText(text); }
    Text statusText() const { return parts_.statusText(); }

    // "显示" and the tray double-click.
    void restoreFromTray();
    // "退出": ends the program at once, running workers included.
    void quitNow();
    QSystemTrayIcon& trayIcon() { return *tray_; }

    static Text StartUpTip();
    static Text CloseRefusal();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildStatusBar();
    void buildMenus();
    void buildTray();
    void fillParts();
    void buildRuns();
    void openContactLinks();

    AppServices services_;
    WindowParts parts_;
    ResultsTable* table_ = nullptr;
    QPointer<QLabel> statusPart3_;
    BatchRuns* runs_ = nullptr;
    StatusColouring* colouring_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
};

} // namespace tolvane
