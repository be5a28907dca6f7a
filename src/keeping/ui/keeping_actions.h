// The keeping commands of the main window: the history file (save, delete, the
// start-up import), the text export and clipboard copies, row notes and Excel
// workbooks, bound to the items of "菜单2" and "菜单3" and to the automatic-save
// check on `编辑框7` and `编辑框8`.
#pragma once

#include "keeping/text_export.h"
#include "query/ui/window_parts.h"

#include <QObject>
#include <QPointer>

#include <filesystem>

namespace tolvane {

class StatusColouring;

class KeepingActions final : public QObject {
    Q_OBJECT
public:
    KeepingActions(const WindowParts& parts, StatusColouring* colouring, QObject* parent);

    // Finds the menu actions among the window's children (objectName = item text).
    void connectTo(QObject& window);

    void SaveHistory();
    void DeleteHistory();
    // The last step of start-up: offers the history file, rebuilds its rows and
    // re-queries their numbers.
    void ImportHistory();

    void ExportText();
    void CopyRow();
    void CopyNumber();
    void CopyAllNumbers();
    void ClearNumbers();

    void EditNote();

    void SaveAsExcel();
    void AutoSaveCheck();

    std::filesystem::path historyPath() const;

    static Text TooManyRowsText();

private:
    std::vector<CellRow> tableRows() const;
    bool selectionMissing(int row);
    void putOnClipboard(const Text& text);

    WindowParts parts_;
    QPointer<StatusColouring> colouring_;
};

} // namespace tolvane
