#include "keeping/history_file.h"

#include "keeping/atomic_file.h"

#include <cstdio>
#include <memory>

namespace tolvane {

namespace {

const Text& placeholderNote() {
    static const Text none = Gbk("无");
    return none;
}

} // namespace

bool WriteHistory(const std::vector<HistoryEntry>& entries, ByteSink& out) {
    Text line;
    for (const HistoryEntry& entry : entries) {
        line.assign(entry.number).append("&").append(entry.note).append("\r\n");
        if (!out.write(line))
            return false;
    }
    return true;
}

Text HistoryText(const std::vector<HistoryEntry>& entries) {
    StringSink sink;
    WriteHistory(entries, sink);
    return sink.take();
}

std::vector<HistoryEntry> ParseHistory(std::string_view fileText) {
    std::vector<HistoryEntry> entries;
    for (const Text& line : Split(fileText, "\r\n")) {
        if (line.empty())
            continue;
        std::vector<Text> pieces = Split(line, "&");
        HistoryEntry entry;
        entry.number = pieces.empty() ? Text() : std::move(pieces[0]);
        entry.note = pieces.size() >= 2 ? std::move(pieces[1]) : placeholderNote();
        entries.push_back(std::move(entry));
    }
    return entries;
}

// stdio rather than a stream: reading a folder must fail quietly, not throw.
Text ReadHistoryText(const std::filesystem::path& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file)
        return {};
    Bytes bytes;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.append(buffer, n);
    return std::ferror(file.get()) ? Text() : BytesToText(bytes);
}

WriteResult SaveHistoryFile(const std::filesystem::path& path,
                            const std::vector<HistoryEntry>& entries) {
    return WriteFileAtomically(path, [&](ByteSink& out) { return WriteHistory(entries, out); });
}

} // namespace tolvane
