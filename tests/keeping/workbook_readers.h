// Reading our workbooks back with independent readers (python3-xlrd, FreeXL)
// so tests compare what another program sees with what was written.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::test {

struct ReadWorkbook {
    int biffVersion = 0;
    int codepage = 0;
    int sheetCount = 0;
    std::string sheetName;                      // UTF-8
    std::vector<std::vector<std::string>> rows; // UTF-8 cells, empty cells as ""
};

enum class WorkbookReader { Xlrd, FreeXl };

// Why the reader is not available here, or empty when it is.
std::string ReaderMissing(WorkbookReader reader);

// The workbook as the reader sees it; nullopt (with the reader's complaint in
// error) when it rejects the file.
std::optional<ReadWorkbook> ReadBack(WorkbookReader reader, const std::filesystem::path& path,
                                     std::string* error = nullptr);

} // namespace tolvane::test
