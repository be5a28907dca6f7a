// CopyDetail: a double-click on the results list `超级列表框2` fetches the selected
// number's detail page again and shows its whole timeline in a tip at the cursor,
// puts it on the clipboard and confirms in the status bar. The two requests run
// on a thread of their own so the window keeps answering; the copy is finished on
// the UI thread.
#pragma once

#include "query/ui/window_parts.h"

#include <QObject>

namespace tolvane {

class DetailCopy final : public QObject {
    Q_OBJECT
public:
    DetailCopy(QWidget& window, const WindowParts& parts);

    // Does nothing while an earlier copy is still waiting for its page.
    void CopyDetail();
    bool inFlight() const { return inFlight_; }

signals:
    // A copy has ended, also when it ended silently on the no-information page.
    void copyFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void finishCopy(const Text& page, const Text& number, const Text& company,
                    const LocalTime& started);

    WindowParts parts_;
    bool inFlight_ = false;
};

// A feature of the main window (AppServices::features).
void InstallDetailCopy(QWidget& window, const WindowParts& parts);

} // namespace tolvane
