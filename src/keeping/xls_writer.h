// Our writer of Excel 97-2003 workbooks (BIFF8 in a compound file): one
// worksheet of text cells, shared strings with CONTINUE records, strings
// converted from code page 936 to UTF-16.
#pragma once

#include "keeping/byte_sink.h"
#include "web/text.h"

#include <cstddef>
#include <vector>

namespace tolvane {

struct XlsLimits {
    static constexpr std::size_t kRows = 65536; // header row included
    static constexpr std::size_t kColumns = 256;
    static constexpr std::size_t kCellUnits = 32767; // UTF-16 code units per cell
    static constexpr std::size_t kSheetNameUnits = 31;
};

struct XlsOutcome {
    WriteResult result;
    // Distinct cell texts longer than the format allows, written cut at kCellUnits.
    std::size_t cutTexts = 0;
};

// rows[r][c] becomes cell (r, c) as text; empty texts leave the cell empty.
// Refuses more rows or columns than the format holds, and sheet names the format
// does not accept; nothing is written then.
XlsOutcome WriteXlsWorkbook(const Text& sheetName, const std::vector<std::vector<Text>>& rows,
                            ByteSink& out);

} // namespace tolvane
