// Plain-text forms of the results: the text export file (every cell followed
// by two spaces, CR LF per row) and the row text that CopyRow puts on the
// clipboard. Texts are code page 936.
#pragma once

#include "keeping/byte_sink.h"
#include "web/text.h"

#include <filesystem>
#include <vector>

namespace tolvane {

// The cells of one results row, in column order.
using CellRow = std::vector<Text>;

bool WriteExportText(const std::vector<CellRow>& rows, ByteSink& out);
Text ExportFileText(const std::vector<CellRow>& rows);
// Creates or replaces the file atomically.
WriteResult SaveExportText(const std::filesystem::path& path, const std::vector<CellRow>& rows);

// "查询时间：" column 1 "  快递单号：" column 2 "  快递公司：" column 3 "  最后更新："
// column 4 "  最后状态：" column 5, no line end; missing cells read as empty.
Text CopyRowText(const CellRow& row);

} // namespace tolvane
