// A real MainWindow for GUI tests: scripted prompts, a fixed clock, a temporary
// RunDirectory and (optionally) the tracking simulator as the service.
#pragma once

#include "app/main_window.h"
#include "support/qt/scripted_prompts.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

#include <memory>
#include <optional>
#include <string>

class QAction;

namespace tolvane::test {

// What every test window gets: the scripted prompts, the given service hosts,
// the fixed clock and no tray. Fixtures add their features and directories.
AppServices TestServices(ScriptedPrompts& prompts, const ServiceHosts& hosts);

class TestWindow final {
public:
    struct Options {
        bool simulator = true;
        bool trayAvailable = false;
        std::string delay = "0"; // text of 编辑框3
    };

    TestWindow() : TestWindow(Options{}) {}
    explicit TestWindow(Options options);
    ~TestWindow();

    MainWindow& window() { return *window_; }
    const WindowParts& parts() const { return window_->parts(); }
    ScriptedPrompts& prompts() { return prompts_; }
    TempDir& dir() { return dir_; }
    int exitCalls() const { return exitCalls_; }
    const std::vector<std::string>& openedLinks() const { return links_; }

    // UTF-8 in and out, for readable tests.
    void setNumbers(const std::string& utf8CrLf);
    std::string cell(int row, int column) const;
    std::string status() const;
    QAction* action(const char* menu, const char* item) const;
    // Pumps events until no run is active (fails the test after timeoutMs).
    bool waitForRunEnd(int timeoutMs = 30000);

    static LocalTime FixedTime() { return {2015, 3, 7, 9, 5, 7}; }
    // No simulator: every query fails at once.
    static Options Offline() { return {.simulator = false}; }

private:
    std::optional<SimProcess> sim_;
    ScriptedPrompts prompts_;
    TempDir dir_;
    int exitCalls_ = 0;
    std::vector<std::string> links_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace tolvane::test
