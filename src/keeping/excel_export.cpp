#include "keeping/excel_export.h"

#include "keeping/atomic_file.h"
#include "keeping/xls_writer.h"

#include <cstdio>
#include <sys/stat.h>

namespace tolvane {

std::string WorkbookFileName(const LocalTime& when) {
    char name[96];
    std::snprintf(name, sizeof name, "%04d年%02d月%02d日 %02d时%02d分%02d秒 保存记录.xls",
                  when.year, when.month, when.day, when.hour, when.minute, when.second);
    return name;
}

Text WorkbookSheetName() {
    return Gbk("Tolvane，软件作者，Halvik");
}

WorkbookOutcome SaveWorkbook(const std::filesystem::path& path, const CellRow& titles,
                             const std::vector<CellRow>& rows) {
    using Status = WorkbookOutcome::Status;
    WorkbookOutcome outcome;
    if (rows.size() > kMaxWorkbookDataRows) {
        outcome.status = Status::TooManyRows;
        outcome.error = "more rows than a worksheet holds";
        return outcome;
    }
    // The save is refused early, so a large table is not encoded for nothing.
    struct stat existing;
    if (::lstat(path.c_str(), &existing) == 0) {
        outcome.status = Status::NameTaken;
        outcome.error = path.string() + " already exists";
        return outcome;
    }

    std::vector<CellRow> sheet;
    sheet.reserve(rows.size() + 1);
    sheet.push_back(titles);
    sheet.insert(sheet.end(), rows.begin(), rows.end());
    const WriteResult written = WriteNewFileAtomically(path, [&](ByteSink& out) {
        const XlsOutcome xls = WriteXlsWorkbook(WorkbookSheetName(), sheet, out);
        outcome.cutTexts = xls.cutTexts;
        if (!xls.result)
            outcome.error = xls.result.error;
        return xls.result.ok;
    });
    if (!written) {
        const bool taken = ::lstat(path.c_str(), &existing) == 0;
        outcome.status = taken ? Status::NameTaken : Status::Failed;
        if (outcome.error.empty())
            outcome.error = written.error;
    }
    return outcome;
}

} // namespace tolvane
