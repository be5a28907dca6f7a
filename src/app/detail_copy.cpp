#include "app/detail_copy.h"

#include "query/detail_text.h"
#include "query/query_number.h"
#include "query/ui/qt_text.h"
#include "query/ui/ui_thread.h"

#include <QClipboard>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QToolTip>

#include <thread>

namespace tolvane {

DetailCopy::DetailCopy(QWidget& window, const WindowParts& parts)
    : QObject(&window), parts_(parts) {
    setObjectName(QStringLiteral("DetailCopy"));
    // On the viewport, so a double-click on the empty part of the list counts too.
    if (parts_.tableView)
        parts_.tableView->viewport()->installEventFilter(this);
}

bool DetailCopy::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick)
        CopyDetail();
    return QObject::eventFilter(watched, event);
}

void DetailCopy::CopyDetail() {
    if (inFlight_)
        return;
    inFlight_ = true;
    if (TriggerBox* box = parts_.trigger("编辑框5"))
        box->setText({});
    const LocalTime started = parts_.clock ? parts_.clock() : CurrentLocalTime();
    // The row as it was double-clicked: the selection may move while the page loads.
    const int row = parts_.table->selectedRow();
    const Text number = parts_.table->cellText(row, 2);
    const Text company = parts_.table->cellText(row, 3);

    QPointer<DetailCopy> self(this);
    std::thread([self, number, company, started, hosts = parts_.hosts]() mutable {
        Text page = FetchDetailPage(number, hosts);
        PostToUiThread([self = std::move(self), page = std::move(page), number, company, started] {
            if (self)
                self->finishCopy(page, number, company, started);
        });
    }).detach();
}

void DetailCopy::finishCopy(const Text& page, const Text& number, const Text& company,
                            const LocalTime& started) {
    inFlight_ = false;
    const std::optional<Text> text = DetailText(page, number, company, started);
    if (text) {
        if (TriggerBox* box = parts_.trigger("编辑框5"))
            box->setText(*text);
        const QString shown = ToQString(*text);
        QToolTip::showText(QCursor::pos(), shown, parts_.tableView);
        QGuiApplication::clipboard()->setText(shown);
        parts_.setStatusText(DetailCopiedText(number));
    }
    emit copyFinished();
}

void InstallDetailCopy(QWidget& window, const WindowParts& parts) {
    new DetailCopy(window, parts);
}

} // namespace tolvane
