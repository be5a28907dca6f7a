#include "query/ui/ui_thread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <iterator>
#include <memory>
#include <mutex>

namespace tolvane {

bool OnUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

namespace {

// How long the UI thread runs queued calls in one go before it answers input
// and timers again: thousands of workers finishing at once must not freeze it.
constexpr qint64 DrainSliceMs = 5;

// Wakes the waiting thread when the queued call is destroyed: after it has run,
// or unrun when it is discarded while the program shuts down. Our own mutex
// (not Qt's semaphore) so the thread checkers see the hand-over.
class CallDone final {
public:
    void signal() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        woken_.notify_one(); // exactly one thread waits for each call
    }
    void wait() {
        std::unique_lock lock(mutex_);
        woken_.wait(lock, [this] { return done_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable woken_;
    bool done_ = false;
};

class SignalWhenDestroyed final {
public:
    explicit SignalWhenDestroyed(std::shared_ptr<CallDone> done) : done_(std::move(done)) {}
    ~SignalWhenDestroyed() { done_->signal(); }
    SignalWhenDestroyed(const SignalWhenDestroyed&) = delete;
    SignalWhenDestroyed& operator=(const SignalWhenDestroyed&) = delete;

private:
    std::shared_ptr<CallDone> done_;
};

// Calls from other threads wait here in order; the UI thread runs them in time
// slices, with one posted event per slice instead of one per call.
class UiCallQueue final {
public:
    void push(std::function<void()> call) {
        bool postDrain = false;
        {
            std::lock_guard lock(mutex_);
            calls_.push_back(std::move(call));
            postDrain = !drainPosted_;
            drainPosted_ = true;
        }
        if (postDrain)
            postDrainEvent();
    }

private:
    void postDrainEvent() {
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr) {
            discardAll();
            return;
        }
        QMetaObject::invokeMethod(
            app, [this] { drain(); }, Qt::QueuedConnection);
    }

    void drain() {
        // The whole queue at once: thousands of waiting workers would otherwise
        // contend for the lock on every single call.
        std::deque<std::function<void()>> batch;
        {
            std::lock_guard lock(mutex_);
            if (calls_.empty()) {
                drainPosted_ = false;
                return;
            }
            batch.swap(calls_);
        }
        // The next slice is posted first: a call that opens a dialog runs a nested
        // event loop, which then goes on with the calls queued behind it.
        postDrainEvent();
        QElapsedTimer slice;
        slice.start();
        while (!batch.empty()) {
            if (slice.elapsed() >= DrainSliceMs) {
                std::lock_guard lock(mutex_);
                calls_.insert(calls_.begin(), std::make_move_iterator(batch.begin()),
                              std::make_move_iterator(batch.end()));
                return;
            }
            const std::function<void()> call = std::move(batch.front());
            batch.pop_front();
            call();
        }
    }

    void discardAll() {
        std::deque<std::function<void()>> dropped;
        {
            std::lock_guard lock(mutex_);
            dropped.swap(calls_);
            drainPosted_ = false;
        }
    }

    std::mutex mutex_;
    std::deque<std::function<void()>> calls_;
    bool drainPosted_ = false;
};

UiCallQueue& CallQueue() {
    static UiCallQueue queue;
    return queue;
}

} // namespace

void RunOnUiThread(const std::function<void()>& work) {
    if (OnUiThread()) {
        work();
        return;
    }
    if (QCoreApplication::instance() == nullptr)
        return;
    auto done = std::make_shared<CallDone>();
    auto signal = std::make_shared<SignalWhenDestroyed>(done);
    CallQueue().push([&work, signal] { work(); });
    signal.reset(); // the queued call holds the last reference
    done->wait();
}

void PostToUiThread(std::function<void()> work) {
    if (QCoreApplication::instance() == nullptr)
        return;
    CallQueue().push(std::move(work));
}

} // namespace tolvane
