#include "keeping/ui/keeping_actions.h"

#include "keeping/atomic_file.h"
#include "keeping/excel_export.h"
#include "keeping/history_file.h"
#include "keeping/ui/note_dialog.h"
#include "keeping/ui/status_colouring.h"
#include "query/ui/qt_text.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

#include <unistd.h>

namespace tolvane {

namespace {

void connectAction(QObject& window, const char* item, KeepingActions* actions,
                   void (KeepingActions::*command)()) {
    const QString name = QString::fromUtf8(item);
    for (QAction* action : window.findChildren<QAction*>(name))
        QObject::connect(action, &QAction::triggered, actions, command);
}

} // namespace

KeepingActions::KeepingActions(const WindowParts& parts, StatusColouring* colouring,
                               QObject* parent)
    : QObject(parent), parts_(parts), colouring_(colouring) {
    setObjectName(QStringLiteral("KeepingActions"));
}

void KeepingActions::connectTo(QObject& window) {
    connectAction(window, "保存历史查询记录", this, &KeepingActions::SaveHistory);
    connectAction(window, "删除历史查询记录", this, &KeepingActions::DeleteHistory);
    connectAction(window, "保存为TXT", this, &KeepingActions::ExportText);
    connectAction(window, "复制整行", this, &KeepingActions::CopyRow);
    connectAction(window, "复制单号", this, &KeepingActions::CopyNumber);
    connectAction(window, "复制全部", this, &KeepingActions::CopyAllNumbers);
    connectAction(window, "清空单号", this, &KeepingActions::ClearNumbers);
    connectAction(window, "添加/修改备注", this, &KeepingActions::EditNote);
    connectAction(window, "保存为Excel", this, &KeepingActions::SaveAsExcel);
    for (const char* box : {"编辑框7", "编辑框8"}) {
        if (TriggerBox* trigger = parts_.trigger(box))
            connect(trigger, &TriggerBox::written, this, &KeepingActions::AutoSaveCheck);
    }
}

std::filesystem::path KeepingActions::historyPath() const {
    return std::filesystem::path(parts_.runDirectory) / "history.txt";
}

std::vector<CellRow> KeepingActions::tableRows() const {
    const ResultsTable& table = *parts_.table;
    const int rows = table.rowCount();
    const int columns = table.columnCount();
    std::vector<CellRow> cells(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        cells[static_cast<std::size_t>(r)].reserve(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c)
            cells[static_cast<std::size_t>(r)].push_back(table.cellText(r, c));
    }
    return cells;
}

// The commands on the selected row read its number first; an empty one means no selection.
bool KeepingActions::selectionMissing(int row) {
    if (!parts_.table->cellText(row, 2).empty())
        return false;
    static const Text text = Gbk("请选择一条！");
    static const Text caption = Gbk("提示：");
    parts_.prompts->showMessage(
        {text, caption, Prompts::Buttons::Ok, Prompts::Icon::None, nullptr});
    return true;
}

void KeepingActions::putOnClipboard(const Text& text) {
    QGuiApplication::clipboard()->setText(ToQString(text));
}

void KeepingActions::SaveHistory() {
    static const Text saved = Gbk("历史查询记录保存成功，谢谢使用！");
    static const Text failed = Gbk("历史查询记录保存失败，请重试！");
    const ResultsTable& table = *parts_.table;
    std::vector<HistoryEntry> entries;
    entries.reserve(static_cast<std::size_t>(table.rowCount()));
    for (int r = 0; r < table.rowCount(); ++r)
        entries.push_back({table.cellText(r, 2), table.cellText(r, 6)});
    parts_.setStatusText(SaveHistoryFile(historyPath(), entries) ? saved : failed);
}

void KeepingActions::DeleteHistory() {
    static const Text deleted = Gbk("历史查询记录删除成功，谢谢使用！");
    static const Text failed = Gbk("历史查询记录删除失败，请重试！");
    // unlink, not remove: a folder of that name must never be deleted.
    parts_.setStatusText(::unlink(historyPath().c_str()) == 0 ? deleted : failed);
}

void KeepingActions::ImportHistory() {
    const Text fileText = ReadHistoryText(historyPath());
    if (fileText.empty())
        return;
    static const Text question = Gbk("请问是否导入上次保存的历史记录？");
    if (!parts_.prompts->confirm(question, Prompts::Buttons::YesNo, Prompts::DefaultCaption()))
        return;
    TriggerBox* buffer = parts_.trigger("编辑框1");
    buffer->setText({});
    if (colouring_)
        colouring_->ClearRowColours();

    const std::vector<HistoryEntry> entries = ParseHistory(fileText);
    std::vector<ResultsTable::Row> rows;
    rows.reserve(entries.size());
    Text numbers;
    for (std::size_t n = 0; n < entries.size(); ++n) {
        ResultsTable::Row row;
        row[0] = std::to_string(n + 1);
        row[2] = entries[n].number;
        row[6] = entries[n].note;
        rows.push_back(std::move(row));
        numbers.append(entries[n].number).append("\r\n");
    }
    parts_.table->appendRows(std::move(rows));
    buffer->setText(numbers);
    parts_.startRequeryBuffer();
}

void KeepingActions::ExportText() {
    const Text text = ExportFileText(tableRows());
    static const Text question = Gbk("请问：是否保存？ By：Halvik");
    static const Text caption = Gbk("保存所有查询记录");
    if (!parts_.prompts->confirm(question, Prompts::Buttons::OkCancel, caption))
        return;
    Prompts::FileDialog dialog;
    dialog.name = "通用对话框3";
    dialog.filter = Gbk("文本文件(*.txt)");
    dialog.defaultSuffix = "txt";
    dialog.initialName = "查询记录";
    dialog.owner = parts_.window;
    const std::string path = parts_.prompts->saveFileName(dialog);
    if (path.empty())
        return;
    const WriteResult written =
        WriteFileAtomically(path, [&](ByteSink& out) { return out.write(text); });
    static const Text saved = Gbk("保存成功！");
    static const Text failed = Gbk("保存失败！");
    parts_.prompts->inform(written ? saved : failed);
}

void KeepingActions::CopyRow() {
    const int row = parts_.table->selectedRow();
    CellRow cells;
    for (int c = 0; c < ResultsTable::ColumnCount; ++c)
        cells.push_back(parts_.table->cellText(row, c));
    putOnClipboard(CopyRowText(cells));
    selectionMissing(row);
}

void KeepingActions::CopyNumber() {
    const int row = parts_.table->selectedRow();
    putOnClipboard(parts_.table->cellText(row, 2));
    selectionMissing(row);
}

void KeepingActions::CopyAllNumbers() {
    putOnClipboard(NumberBoxText(*parts_.numberBox));
}

void KeepingActions::ClearNumbers() {
    SetNumberBoxText(*parts_.numberBox, {});
}

void KeepingActions::EditNote() {
    const int row = parts_.table->selectedRow();
    if (selectionMissing(row))
        return;
    NoteDialog dialog(parts_.table->cellText(row, 6), *parts_.prompts, parts_.window);
    if (dialog.exec() == QDialog::Accepted)
        parts_.table->setCellText(parts_.table->selectedRow(), 6, dialog.note());
}

Text KeepingActions::TooManyRowsText() {
    static const Text text = Gbk("记录超过65535行，无法保存为Excel！");
    return text;
}

void KeepingActions::SaveAsExcel() {
    if (parts_.table->rowCount() == 0) {
        static const Text empty = Gbk("请查询后再保存！");
        parts_.prompts->inform(empty);
        return;
    }
    // Relative: the workbook goes into the current working directory.
    const std::filesystem::path path = WorkbookFileName(parts_.clock());
    CellRow titles;
    for (int c = 0; c < ResultsTable::ColumnCount; ++c)
        titles.push_back(ResultsTable::ColumnTitle(c));
    const WorkbookOutcome outcome = SaveWorkbook(path, titles, tableRows());
    // Other failures end quietly, as a workbook that could not be made always has.
    if (outcome.status == WorkbookOutcome::Status::TooManyRows)
        parts_.prompts->inform(TooManyRowsText());
}

void KeepingActions::AutoSaveCheck() {
    static const Text on = Gbk("自动保存");
    const TriggerBox* flag = parts_.trigger("编辑框_记录是否自动保存查询结果");
    if (flag && flag->text() == on)
        SaveAsExcel();
}

} // namespace tolvane
