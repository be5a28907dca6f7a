#include "query/ui/ui_thread.h"

#include <QCoreApplication>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace tolvane {

bool OnUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

namespace {

// Wakes the waiting thread when the queued call is destroyed: after it has run,
// or unrun when the application discards it while shutting down. Our own mutex
// (not Qt's semaphore) so the thread checkers see the hand-over.
class CallDone final {
public:
    void signal() {
        std::lock_guard lock(mutex_);
        done_ = true;
        woken_.notify_all();
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

} // namespace

void RunOnUiThread(const std::function<void()>& work) {
    if (OnUiThread()) {
        work();
        return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return;
    auto done = std::make_shared<CallDone>();
    auto signal = std::make_shared<SignalWhenDestroyed>(done);
    QMetaObject::invokeMethod(
        app, [&work, signal] { work(); }, Qt::QueuedConnection);
    signal.reset(); // the queued call holds the last reference
    done->wait();
}

void PostToUiThread(std::function<void()> work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return;
    QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

} // namespace tolvane
