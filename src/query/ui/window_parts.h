// What feature code (keeping, automatic re-query, docking) gets of the main window
// instead of the window itself: the table, the prompts, the status line, the named
// boxes and the run entry points. The window fills it once; it never changes.
#pragma once

#include "query/ui/prompts.h"
#include "query/ui/results_table.h"
#include "query/ui/trigger_box.h"
#include "web/clock.h"
#include "web/service_hosts.h"

#include <QPlainTextEdit>
#include <QTableView>

#include <functional>
#include <map>
#include <string>

namespace tolvane {

struct WindowParts {
    QWidget* window = nullptr; // owner of message boxes
    ResultsTable* table = nullptr;
    QTableView* tableView = nullptr; // `超级列表框2`
    Prompts* prompts = nullptr;
    QPlainTextEdit* numberBox = nullptr; // `编辑框4`; read it with NumberBoxText

    // Part 3 of the status bar `状态条1`; any thread.
    std::function<void(const Text&)> setStatusText;
    std::function<Text()> statusText;

    // The hidden boxes by control name (UTF-8): 编辑框1, 编辑框2, 编辑框5 to 编辑框8,
    // 编辑框_记录是否自动保存查询结果.
    std::map<std::string, TriggerBox*> triggerBoxes;
    TriggerBox* trigger(const std::string& name) const {
        const auto found = triggerBoxes.find(name);
        return found == triggerBoxes.end() ? nullptr : found->second;
    }

    Clock clock;
    ServiceHosts hosts;
    std::string runDirectory; // native path of the folder holding the program

    // Batch runs. Starting one while another is active does nothing.
    std::function<bool()> runActive;
    std::function<void()> startQueryButtonRun; // as a click of 按钮4
    std::function<void()> startRequeryRun;     // as the menu item "重新查询"
    std::function<void()> startRequeryBuffer;  // queries the numbers in 编辑框1; any thread
};

// The number box's text as the program's list text (code page 936, CR LF lines).
Text NumberBoxText(const QPlainTextEdit& box);
void SetNumberBoxText(QPlainTextEdit& box, const Text& text);

} // namespace tolvane
