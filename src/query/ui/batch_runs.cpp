#include "query/ui/batch_runs.h"

#include "query/number_list.h"
#include "query/ui/ui_thread.h"

#include <QWidget>

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

namespace tolvane {

namespace {

constexpr int PauseMs = 1000;
constexpr int PollMs = 15;
// How long the UI thread may start workers in one go before it answers events again.
constexpr qint64 StartSliceMs = 8;
// Rows handed to the UI thread per call while the table fills.
constexpr size_t FillChunk = 2000;
constexpr int WorkerNiceness = 5;

// What a worker needs after it has been started; created on the UI thread.
struct WorkerShared {
    QPointer<ResultsTable> table;
    QPointer<BatchRuns> runs;
    std::function<void(const Text&)> setStatusText;
    QueryContext context;
};

struct WorkerStart {
    std::shared_ptr<const WorkerShared> shared;
    int slot = 0;
};

void RunQueryWorker(const std::shared_ptr<const WorkerShared>& sharedPointer, int slot) {
    const WorkerShared& shared = *sharedPointer;
    const Text number = NumberSlots.at(slot);
    // Posted, not waited for: the queue keeps it ahead of this worker's cell
    // writes, and one wait less per worker matters with thousands of them.
    PostToUiThread([sharedPointer, status = QueryStatusText(number)] {
        if (sharedPointer->runs)
            sharedPointer->setStatusText(status);
    });
    const QueryOutcome outcome = QueryNumber(number, shared.context);
    RunOnUiThread([&] {
        ResultsTable* table = shared.table.data();
        if (table == nullptr)
            return;
        const int row = slot - 1;
        table->setCellText(row, 1, outcome.queryTime);
        table->setCellText(row, 3, outcome.company);
        table->setCellText(row, 4, outcome.lastUpdate);
        table->setCellText(row, 5, outcome.status);
    });
    // Last: a run that sees 0 finds every row of the run written.
    InFlightCount.fetch_sub(1);
}

// Thousands of workers on a few cores would otherwise starve the UI thread; a
// lower priority needs no privilege and keeps the window answering during a run.
void LowerWorkerPriority() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), WorkerNiceness);
}

void* WorkerMain(void* argument) {
    const std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(argument));
    LowerWorkerPriority();
    RunQueryWorker(start->shared, start->slot);
    return nullptr;
}

bool StartDetachedWorker(std::shared_ptr<const WorkerShared> shared, int slot) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&attributes, BatchRuns::WorkerStackSize());
    auto start = std::make_unique<WorkerStart>(WorkerStart{std::move(shared), slot});
    pthread_t thread;
    const bool started = pthread_create(&thread, &attributes, WorkerMain, start.get()) == 0;
    pthread_attr_destroy(&attributes);
    if (started)
        start.release(); // the thread owns it now
    return started;
}

Text ReadListFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return BytesToText(bytes);
}

} // namespace

void RunLock::apply() {
    for (const QPointer<QAction>& action : actions) {
        if (action)
            action->setEnabled(false);
    }
    for (const QPointer<QWidget>& control : controls) {
        if (control)
            control->setEnabled(false);
    }
    if (progress) {
        progress->setRange(0, 1);
        progress->setValue(0);
        progress->show();
    }
    if (busyPicture)
        busyPicture->show();
}

void RunLock::lift() {
    for (const QPointer<QAction>& action : actions) {
        if (action)
            action->setEnabled(true);
    }
    for (const QPointer<QWidget>& control : controls) {
        if (control)
            control->setEnabled(true);
    }
    if (progress)
        progress->hide();
    if (busyPicture)
        busyPicture->hide();
}

BatchRuns::BatchRuns(BatchRunSetup setup, QObject* parent)
    : QObject(parent), setup_(std::move(setup)) {
    importDirectory_ = setup_.runDirectory;
    pauseTimer_.setSingleShot(true);
    pauseTimer_.setTimerType(Qt::PreciseTimer);
    connect(&pauseTimer_, &QTimer::timeout, this, &BatchRuns::pauseOver);
    stepTimer_.setSingleShot(true);
    stepTimer_.setTimerType(Qt::PreciseTimer);
    connect(&stepTimer_, &QTimer::timeout, this, &BatchRuns::startWorkers);
    pollTimer_.setInterval(PollMs);
    connect(&pollTimer_, &QTimer::timeout, this, &BatchRuns::poll);
}

int BatchRuns::ParseDelay(const Text& text) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    long long value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        value = value * 10 + (text[at++] - '0');
        if (value > INT_MAX)
            value = INT_MAX; // keeps accumulating bounded; a longer number stays clamped
    }
    return negative ? 0 : static_cast<int>(value);
}

Text BatchRuns::CompletionText(int rowCount) {
    static const Text before = Gbk("快递单号查询完毕，本次共查询 ");
    static const Text after = Gbk(" 个，谢谢使用！");
    return before + std::to_string(rowCount) + after;
}

size_t BatchRuns::WorkerStackSize() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return 4u << 20; // instrumented frames are several times larger
#else
    return 256u << 10;
#endif
}

void BatchRuns::QueryButtonClicked() {
    if (active_)
        return;
    const Text numbers = setup_.numberBoxText();
    if (numbers.empty()) {
        static const Text message = Gbk("请输入单号！");
        setup_.prompts->inform(message, Prompts::Icon::None, setup_.owner);
        return;
    }
    setup_.table->deleteAllRows();
    setup_.clearColours();
    beginRun({setup_.buttonTarget, setup_.colourTarget});
    startFillFromList(numbers);
}

void BatchRuns::ImportQuery() {
    if (active_)
        return;
    Prompts::FileDialog dialog;
    dialog.name = "通用对话框1";
    dialog.directory = importDirectory_;
    dialog.owner = setup_.owner;
    const std::string path = setup_.prompts->openFileName(dialog);
    if (path.empty())
        return;
    setup_.table->deleteAllRows();
    setup_.clearColours();
    importDirectory_ = setup_.runDirectory;
    beginRun({setup_.colourTarget});
    startFillFromList(ReadListFile(path));
}

void BatchRuns::Requery() {
    if (active_)
        return;
    static const Text none = Gbk("无");
    setup_.numberBuffer->setText({});
    setup_.clearColours();
    Text collected;
    const int rows = setup_.table->rowCount();
    for (int row = 0; row < rows; ++row)
        collected += setup_.table->cellText(row, 2) + "\r\n";
    setup_.table->deleteAllRows();

    std::vector<ResultsTable::Row> rebuilt;
    Text buffer;
    int serial = 0;
    for (Text& number : Split(collected, "\r\n")) {
        buffer += number + "\r\n";
        rebuilt.push_back({std::to_string(++serial), {}, std::move(number), {}, {}, {}, none});
    }
    setup_.table->appendRows(std::move(rebuilt));
    // One write of the whole buffer; nothing listens to the box line by line.
    setup_.numberBuffer->setText(buffer);
    RequeryBuffer();
}

void BatchRuns::RequeryBuffer() {
    if (OnUiThread()) {
        requeryBufferNow();
        return;
    }
    QPointer<BatchRuns> self(this);
    PostToUiThread([self] {
        if (self)
            self->requeryBufferNow();
    });
}

void BatchRuns::requeryBufferNow() {
    if (active_)
        return;
    std::vector<Text> numbers;
    for (const Text& line : Split(setup_.numberBuffer->text(), "\r\n"))
        numbers.push_back(NumberOfLine(line));
    NumberSlots.replace(std::move(numbers));
    beginRun({setup_.colourTarget, setup_.requeryTarget});
}

void BatchRuns::beginRun(std::vector<TriggerBox*> targets) {
    active_ = true;
    targets_.assign(targets.begin(), targets.end());
    started_ = 0;
    setup_.lock.apply();
    pausing_ = true;
    pauseTimer_.start(PauseMs);
}

void BatchRuns::startFillFromList(Text list) {
    filling_ = true;
    struct FillShared {
        QPointer<ResultsTable> table;
        QPointer<BatchRuns> runs;
    };
    auto shared = std::make_shared<const FillShared>(FillShared{setup_.table, this});
    std::thread([shared, list = std::move(list)] {
        static const Text none = Gbk("无");
        const std::vector<Text> numbers = NumbersOfList(list);
        // Every slot is written before the run's first worker starts.
        NumberSlots.replace(numbers);
        for (size_t first = 0; first < numbers.size(); first += FillChunk) {
            const size_t end = std::min(numbers.size(), first + FillChunk);
            std::vector<ResultsTable::Row> rows;
            rows.reserve(end - first);
            for (size_t j = first; j < end; ++j)
                rows.push_back({std::to_string(j + 1), {}, numbers[j], {}, {}, {}, none});
            RunOnUiThread([&] {
                if (shared->table)
                    shared->table->appendRows(std::move(rows));
            });
        }
        PostToUiThread([shared] {
            if (shared->runs)
                shared->runs->fillFinished();
        });
    }).detach();
}

void BatchRuns::fillFinished() {
    filling_ = false;
    if (!pausing_)
        pauseOver();
}

void BatchRuns::pauseOver() {
    pausing_ = false;
    if (filling_ || !active_)
        return;
    slotCount_ = NumberSlots.count();
    nextSlot_ = 1;
    if (setup_.lock.progress)
        setup_.lock.progress->setRange(0, std::max(slotCount_, 1));
    starting_ = true;
    pollTimer_.start();
    startWorkers();
}

void BatchRuns::startWorkers() {
    QElapsedTimer slice;
    slice.start();
    while (nextSlot_ <= slotCount_) {
        startWorker(nextSlot_++);
        const int delay = ParseDelay(setup_.delayText());
        if (delay > 0) {
            stepTimer_.start(delay);
            return;
        }
        if (slice.elapsed() >= StartSliceMs) {
            stepTimer_.start(0);
            return;
        }
    }
    starting_ = false;
    poll();
}

void BatchRuns::startWorker(int slot) {
    auto shared = std::make_shared<WorkerShared>();
    shared->table = setup_.table;
    shared->runs = this;
    shared->setStatusText = setup_.setStatusText;
    shared->context = setup_.context;
    InFlightCount.fetch_add(1);
    ++started_;
    if (!StartDetachedWorker(std::move(shared), slot))
        InFlightCount.fetch_sub(1);
}

void BatchRuns::poll() {
    const int inFlight = InFlightCount.load();
    if (setup_.lock.progress)
        setup_.lock.progress->setValue(std::max(0, started_ - inFlight));
    if (!starting_ && inFlight == 0 && active_)
        completeRun();
}

void BatchRuns::completeRun() {
    pollTimer_.stop();
    setup_.setStatusText(CompletionText(setup_.table->rowCount()));
    for (const QPointer<TriggerBox>& target : targets_) {
        if (target)
            target->setText(setup_.statusText());
    }
    setup_.lock.lift();
    active_ = false;
    emit runFinished();
}

} // namespace tolvane
