// RegexObject: compiles a pattern, runs it over a code page 936 subject in one
// step, and hands out the matches and their groups by 1-based index. PCRE2 in
// UTF-8 mode does the matching; texts go in and come out as code page 936.
// Every failure is silent: it reads as false, 0 or empty text.
#pragma once

#include "web/text.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace tolvane {

class RegexObject final {
public:
    RegexObject();
    ~RegexObject();
    RegexObject(const RegexObject&) = delete;
    RegexObject& operator=(const RegexObject&) = delete;

    // Compiles the pattern and collects the matches over subject. True when the
    // pattern compiled and the search ran to its end, also when nothing matched.
    bool Create(const Text& pattern, const Text& subject, bool caseSensitive = false,
                bool multiline = true, bool global = true, bool quoteToken = false);

    int MatchCount() const;
    // The whole match; position (when given) receives its 0-based byte offset in
    // the subject, or -2 when there is no such match.
    Text MatchText(int matchIndex, int* position = nullptr) const;
    // One group of one match; a group that took no part in the match is empty text.
    Text SubMatchText(int matchIndex, int groupIndex, int* position = nullptr) const;
    // The number of groups of the first match, 0 when nothing matched.
    int SubMatchCount() const;
    // The pattern of the last Create (quote tokens replaced), empty before it.
    Text GetPattern() const;
    // The subject with matches replaced under the options of Create ("$1" ... refer
    // to groups, "$$" is a dollar); empty text when the replacement is malformed.
    Text ReplaceText(const Text& replacement) const;
    // Releases the compiled pattern, the matches and the subject.
    void Destroy();

private:
    struct Compiled;
    // Start and end offsets into subjectUtf8_, group 0 first; unset groups hold npos.
    using Spans = std::vector<std::size_t>;

    bool collectMatches(bool global);
    Text spanText(int matchIndex, int groupIndex, int* position) const;
    int gbkOffset(std::size_t utf8Offset) const;

    std::unique_ptr<Compiled> compiled_;
    Text pattern_;
    Text subject_;
    std::string subjectUtf8_;
    std::vector<Spans> matches_;
};

} // namespace tolvane
