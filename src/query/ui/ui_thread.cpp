#include "query/ui/ui_thread.h"

#include <QCoreApplication>
#include <QThread>

namespace tolvane {

bool OnUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void RunOnUiThread(const std::function<void()>& work) {
    if (OnUiThread()) {
        work();
        return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return;
    // If the call event is discarded unrun (application shutting down), Qt still
    // releases the waiting thread.
    QMetaObject::invokeMethod(
        app, [&work] { work(); }, Qt::BlockingQueuedConnection);
}

void PostToUiThread(std::function<void()> work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return;
    QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

} // namespace tolvane
