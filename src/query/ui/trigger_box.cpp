#include "query/ui/trigger_box.h"

#include "query/ui/ui_thread.h"

namespace tolvane {

TriggerBox::TriggerBox(const QString& name, QObject* parent) : QObject(parent) {
    setObjectName(name);
}

void TriggerBox::setText(const Text& text) {
    RunOnUiThread([&] {
        text_ = text;
        emit written();
    });
}

Text TriggerBox::text() const {
    Text text;
    RunOnUiThread([&] { text = text_; });
    return text;
}

} // namespace tolvane
