// The automatic re-query: the main check box `选择框1` and its dialog, the run
// tick `时钟1` and the watchdog `时钟2`. Its state lives in the window's controls:
// the mode in `编辑框6`, the save flag in `编辑框_记录是否自动保存查询结果`.
#pragma once

#include "query/ui/window_parts.h"

#include <QObject>
#include <QPointer>

class QCheckBox;
class QTimer;

namespace tolvane {

class AutoQuery final : public QObject {
    Q_OBJECT
public:
    // Takes the window's `选择框1`, `时钟1` and `时钟2`.
    AutoQuery(QWidget& window, const WindowParts& parts);

    // The main check box was clicked.
    void CheckBoxClicked();
    // `时钟1`: starts the run of the chosen source, never a second one beside a run.
    void AutoTick();
    // `时钟2`: switches the feature off when its source has become empty.
    void WatchdogTick();

    static Text NumberBoxMode();
    static Text ListMode();
    static Text SwitchedOffText();

private:
    void openDialog();
    void dialogFinished();
    Text mode() const;

    WindowParts parts_;
    QPointer<QCheckBox> checkBox_;
    QPointer<QTimer> runTimer_;
};

// A feature of the main window (AppServices::features).
void InstallAutoQuery(QWidget& window, const WindowParts& parts);

} // namespace tolvane
