// The hidden edit boxes of the main window that carry events between features:
// every write, from any thread, fires `written` exactly once on the UI thread,
// also when the text does not change, and its handlers have run when it returns.
#pragma once

#include "web/text.h"

#include <QObject>

namespace tolvane {

class TriggerBox final : public QObject {
    Q_OBJECT
public:
    TriggerBox(const QString& name, QObject* parent);

    void setText(const Text& text);
    Text text() const;

signals:
    void written();

private:
    Text text_;
};

} // namespace tolvane
