// The history file "history.txt": one line per results row, the number, "&",
// the note, CR LF, in code page 936. Writing, reading and the tolerant parse.
#pragma once

#include "keeping/byte_sink.h"
#include "web/text.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace tolvane {

struct HistoryEntry {
    Text number;
    Text note;

    bool operator==(const HistoryEntry&) const = default;
};

// The file's text; nothing is escaped, so "&" in a number or note is written as is.
bool WriteHistory(const std::vector<HistoryEntry>& entries, ByteSink& out);
Text HistoryText(const std::vector<HistoryEntry>& entries);

// Lines split at CR LF, each at "&": piece 1 the number, piece 2 the note, the
// rest ignored. Lines the program never writes are read so that a plain list
// of numbers imports too: an empty line is skipped, and a line without text
// after its only "&" (or without any "&") is the number with the note "无".
std::vector<HistoryEntry> ParseHistory(std::string_view fileText);

// The file's text up to its first zero byte; empty when it is missing or unreadable.
Text ReadHistoryText(const std::filesystem::path& path);

// Replaces the file atomically: on failure the previous file stays as it was.
WriteResult SaveHistoryFile(const std::filesystem::path& path,
                            const std::vector<HistoryEntry>& entries);

} // namespace tolvane
