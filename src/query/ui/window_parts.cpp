#include "query/ui/window_parts.h"

#include "query/ui/qt_text.h"

namespace tolvane {

Text NumberBoxText(const QPlainTextEdit& box) {
    return FromEditText(box.toPlainText());
}

void SetNumberBoxText(QPlainTextEdit& box, const Text& text) {
    box.setPlainText(ToEditText(text));
}

} // namespace tolvane
