// Batch query runs: the query button, "导入查询", "重新查询" and RequeryBuffer fill
// the table and NumberSlots, then RunBatch locks the window, starts one detached
// worker per number with the delay of `编辑框3`, waits for InFlightCount to reach 0,
// writes the completion text into the status bar and the run's target boxes, and
// unlocks. The UI thread drives a run with timers, so the window keeps answering.
#pragma once

#include "query/query_number.h"
#include "query/ui/prompts.h"
#include "query/ui/results_table.h"
#include "query/ui/trigger_box.h"

#include <QAction>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace tolvane {

// The menu items and controls a run disables, and the two busy indicators it shows.
struct RunLock {
    std::vector<QPointer<QAction>> actions;
    std::vector<QPointer<QWidget>> controls;
    QPointer<QProgressBar> progress; // `图片框1`: finished of total workers
    QPointer<QWidget> busyPicture;   // `图形按钮1`

    void apply();
    void lift();
};

struct BatchRunSetup {
    QWidget* owner = nullptr;
    ResultsTable* table = nullptr;
    Prompts* prompts = nullptr;
    std::function<void(const Text&)> setStatusText; // status part 3
    std::function<Text()> statusText;
    std::function<Text()> numberBoxText; // `编辑框4`, CR LF lines
    std::function<Text()> delayText;     // `编辑框3`
    TriggerBox* numberBuffer = nullptr;  // `编辑框1`
    TriggerBox* colourTarget = nullptr;  // `编辑框2`
    TriggerBox* requeryTarget = nullptr; // `编辑框7`
    TriggerBox* buttonTarget = nullptr;  // `编辑框8`
    std::function<void()> clearColours;
    RunLock lock;
    QueryContext context;
    std::string runDirectory;
};

class BatchRuns final : public QObject {
    Q_OBJECT
public:
    BatchRuns(BatchRunSetup setup, QObject* parent);

    bool runActive() const { return active_; }

    // Each does nothing while a run is active.
    void QueryButtonClicked();
    void ImportQuery();
    void Requery();
    // Any thread; the run itself is driven from the UI thread.
    void RequeryBuffer();

    // The delay of `编辑框3`: its leading integer (optional sign, digits); none or
    // a negative value is 0.
    static int ParseDelay(const Text& text);
    static Text CompletionText(int rowCount);
    // Stack of each query worker thread.
    static size_t WorkerStackSize();

signals:
    void runFinished();

private:
    void requeryBufferNow();
    void beginRun(std::vector<TriggerBox*> targets);
    void startFillFromList(Text list);
    void fillFinished();
    void pauseOver();
    void startWorkers();
    void poll();
    void completeRun();
    void startWorker(int slot);

    BatchRunSetup setup_;
    std::string importDirectory_;
    bool active_ = false;
    bool filling_ = false;
    bool pausing_ = false;
    bool starting_ = false;
    int nextSlot_ = 0;
    int slotCount_ = 0;
    int started_ = 0;
    std::vector<QPointer<TriggerBox>> targets_;
    QTimer pauseTimer_;
    QTimer stepTimer_;
    QTimer pollTimer_;
};

} // namespace tolvane
