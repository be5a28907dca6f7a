// Saving the results table as a new Excel 97-2003 workbook named by the save
// moment: one worksheet, the column titles, then every row, all cells as text.
#pragma once

#include "keeping/text_export.h"
#include "web/text.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tolvane {

// "2015年03月07日 09时05分08秒 保存记录.xls". File names on this system are UTF-8,
// so the name is UTF-8 bytes, not code page 936.
std::string WorkbookFileName(const LocalTime& when);

// "Tolvane，软件作者，Halvik" in code page 936.
Text WorkbookSheetName();

// The header row takes one of the format's 65,536 rows.
constexpr std::size_t kMaxWorkbookDataRows = 65535;

struct WorkbookOutcome {
    enum class Status { Saved, TooManyRows, NameTaken, Failed };
    Status status = Status::Saved;
    std::string error;
    std::size_t cutTexts = 0;
};

// Writes titles and rows into a workbook; an existing file at path is never
// replaced, and a failed save leaves no file behind.
WorkbookOutcome SaveWorkbook(const std::filesystem::path& path, const CellRow& titles,
                             const std::vector<CellRow>& rows);

} // namespace tolvane
