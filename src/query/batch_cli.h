// tolvane-query, the command-line batch query: a number list on standard input,
// one query thread per number, one tab-separated row per number on the output.
#pragma once

#include "query/query_number.h"
#include "web/clock.h"
#include "web/service_hosts.h"
#include "web/text.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

struct BatchOptions {
    int delayMs = 500;
    bool gbk = false; // code page 936 in and out instead of UTF-8
    bool help = false;
    std::optional<std::string> detectHost;
    std::optional<std::string> detailHost;
};

struct ParsedBatchOptions {
    BatchOptions options;
    std::string error; // empty when the arguments were understood
};

// The arguments after the program name.
ParsedBatchOptions ParseBatchOptions(const std::vector<std::string>& args);

// The --help text (UTF-8).
std::string BatchUsage();

// The number list as read from the input: LF or CR LF lines, UTF-8 unless gbk.
std::vector<Text> NumbersOfInput(const std::string& input, bool gbk);

// The seven cells of a row joined by tabs; a tab, CR or LF inside a cell becomes
// one blank so the row stays one line. Cells are code page 936; out is UTF-8 unless gbk.
std::string BatchRowLine(const std::vector<Text>& cells, bool gbk);

// Queries every number, one thread each, started delayMs apart, and returns the
// outcomes in input order once all have finished.
std::vector<QueryOutcome> QueryAll(const std::vector<Text>& numbers, const ServiceHosts& hosts,
                                   int delayMs, const Clock& clock);

// The whole program; returns the exit status (0 done, 2 bad option).
int RunBatchCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err, const Clock& clock = SystemClock());

} // namespace tolvane
