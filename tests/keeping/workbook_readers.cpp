#include "keeping/workbook_readers.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

namespace tolvane::test {
namespace {

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    return out + "'";
}

// Debian's python3-xlrd belongs to the system interpreter, which another
// python3 earlier on PATH would not see.
std::string python() {
    return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

std::string commandFor(WorkbookReader reader, const std::filesystem::path& path) {
    if (reader == WorkbookReader::Xlrd)
        return python() + " " + quoted(TOLVANE_SOURCE_DIR "/tests/keeping/readers/xls_dump.py") +
               " " + quoted(path.string()) + " 2>&1";
#ifdef TOLVANE_FREEXL_DUMP
    return quoted(TOLVANE_FREEXL_DUMP) + " " + quoted(path.string()) + " 2>&1";
#else
    return "false";
#endif
}

std::string runAndCapture(const std::string& command, int* status) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    if (!pipe) {
        *status = -1;
        return output;
    }
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
        output.append(buffer, n);
    *status = pclose(pipe.release());
    return output;
}

std::string unhex(const std::string& hex) {
    std::string out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(unhex(line.substr(start, tab - start)));
        if (tab == std::string::npos)
            return cells;
        start = tab + 1;
    }
}

std::optional<ReadWorkbook> parseDump(const std::string& dump) {
    std::istringstream in(dump);
    ReadWorkbook book;
    std::string word, hex;
    std::size_t rows = 0, columns = 0;
    if (!(in >> word >> book.biffVersion >> book.codepage >> book.sheetCount) || word != "META")
        return std::nullopt;
    if (!(in >> word >> hex) || word != "NAME")
        return std::nullopt;
    book.sheetName = unhex(hex);
    if (!(in >> word >> rows >> columns) || word != "SIZE")
        return std::nullopt;
    std::string line;
    std::getline(in, line);
    for (std::size_t r = 0; r < rows; ++r) {
        if (!std::getline(in, line))
            return std::nullopt;
        book.rows.push_back(columns == 0 ? std::vector<std::string>() : splitTabs(line));
    }
    return book;
}

} // namespace

std::string ReaderMissing(WorkbookReader reader) {
    if (reader == WorkbookReader::Xlrd)
        return std::system((python() + " -c 'import xlrd' >/dev/null 2>&1").c_str()) == 0
                   ? std::string()
                   : "python3-xlrd is not installed";
#ifdef TOLVANE_FREEXL_DUMP
    return {};
#else
    return "FreeXL (libfreexl-dev) was not found when the tests were configured";
#endif
}

std::optional<ReadWorkbook> ReadBack(WorkbookReader reader, const std::filesystem::path& path,
                                     std::string* error) {
    int status = 0;
    const std::string output = runAndCapture(commandFor(reader, path), &status);
    std::optional<ReadWorkbook> book = status == 0 ? parseDump(output) : std::nullopt;
    if (!book && error)
        *error = output.substr(0, 2000);
    return book;
}

} // namespace tolvane::test
