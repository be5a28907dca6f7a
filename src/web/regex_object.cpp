#define PCRE2_CODE_UNIT_WIDTH 8
#include "web/regex_object.h"

#include <pcre2.h>

namespace tolvane {
namespace {

constexpr std::size_t unsetOffset = PCRE2_UNSET;
// The JIT matcher keeps its backtracking frames on this stack; large pages with
// lazy groups need far more than the default 32 KiB.
constexpr std::size_t jitStackStart = 32 * 1024;
constexpr std::size_t jitStackMax = 16 * 1024 * 1024;

struct CodeFree {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct MatchContextFree {
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct JitStackFree {
    void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};

using CodeHolder = std::unique_ptr<pcre2_code, CodeFree>;
using MatchDataHolder = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using MatchContextHolder = std::unique_ptr<pcre2_match_context, MatchContextFree>;
using CompileContextHolder = std::unique_ptr<pcre2_compile_context, CompileContextFree>;
using JitStackHolder = std::unique_ptr<pcre2_jit_stack, JitStackFree>;

PCRE2_SPTR units(const std::string& text) {
    return reinterpret_cast<PCRE2_SPTR>(text.data());
}

std::size_t utf8CharLength(unsigned char lead) {
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

bool isGbkLead(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

bool isGbkTrail(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

} // namespace

struct RegexObject::Compiled {
    CodeHolder code;
    MatchDataHolder matchData;
    MatchContextHolder matchContext;
    JitStackHolder jitStack;
    bool jit = false;
    uint32_t substituteGlobal = 0;

    // One search from offset; a JIT stack overflow is retried by the interpreter,
    // which keeps its frames on the heap.
    int matchAt(const std::string& subject, std::size_t offset, uint32_t options) const {
        int rc = pcre2_match(code.get(), units(subject), subject.size(), offset, options,
                             matchData.get(), matchContext.get());
        if (rc == PCRE2_ERROR_JIT_STACKLIMIT)
            rc = pcre2_match(code.get(), units(subject), subject.size(), offset,
                             options | PCRE2_NO_JIT, matchData.get(), matchContext.get());
        return rc;
    }
};

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;

bool RegexObject::Create(const Text& pattern, const Text& subject, bool caseSensitive,
                         bool multiline, bool global, bool quoteToken) {
    Destroy();
    pattern_ = quoteToken ? Replace(pattern, QuoteToken(), "\"") : pattern;
    subject_ = subject;
    subjectUtf8_ = ToUtf8(subject);

    uint32_t options = PCRE2_UTF;
    if (!caseSensitive)
        options |= PCRE2_CASELESS;
    if (multiline)
        options |= PCRE2_MULTILINE;
    CompileContextHolder compileContext(pcre2_compile_context_create(nullptr));
    if (!compileContext)
        return false;
    // "." stops at LF only, and "$" matches before LF, whatever the library's build default.
    pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_LF);

    const std::string patternUtf8 = ToUtf8(pattern_);
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    auto compiled = std::make_unique<Compiled>();
    compiled->code.reset(pcre2_compile(units(patternUtf8), patternUtf8.size(), options, &errorCode,
                                       &errorOffset, compileContext.get()));
    if (!compiled->code)
        return false;
    compiled->matchData.reset(pcre2_match_data_create_from_pattern(compiled->code.get(), nullptr));
    compiled->matchContext.reset(pcre2_match_context_create(nullptr));
    if (!compiled->matchData || !compiled->matchContext)
        return false;
    compiled->jit = pcre2_jit_compile(compiled->code.get(), PCRE2_JIT_COMPLETE) == 0;
    if (compiled->jit) {
        compiled->jitStack.reset(pcre2_jit_stack_create(jitStackStart, jitStackMax, nullptr));
        if (compiled->jitStack)
            pcre2_jit_stack_assign(compiled->matchContext.get(), nullptr, compiled->jitStack.get());
    }
    compiled->substituteGlobal = global ? PCRE2_SUBSTITUTE_GLOBAL : 0;
    compiled_ = std::move(compiled);
    return collectMatches(global);
}

bool RegexObject::collectMatches(bool global) {
    const std::size_t length = subjectUtf8_.size();
    std::size_t offset = 0;
    uint32_t retry = 0;
    // The subject came out of our own conversion, so one validity check is enough;
    // checking it again at every match would make a global search quadratic.
    uint32_t check = 0;
    while (offset <= length) {
        const int rc = compiled_->matchAt(subjectUtf8_, offset, retry | check);
        check = PCRE2_NO_UTF_CHECK;
        if (rc == PCRE2_ERROR_NOMATCH) {
            if (retry == 0)
                return true;
            // No non-empty match at the place of an empty one: step over one character.
            retry = 0;
            offset += utf8CharLength(static_cast<unsigned char>(subjectUtf8_[offset]));
            continue;
        }
        if (rc < 0) {
            matches_.clear();
            return false;
        }
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(compiled_->matchData.get());
        const uint32_t pairs = pcre2_get_ovector_count(compiled_->matchData.get());
        if (ovector[0] > ovector[1]) { // \K past the end of the match
            matches_.clear();
            return false;
        }
        matches_.emplace_back(ovector, ovector + 2 * pairs);
        if (!global)
            return true;
        offset = ovector[1];
        if (ovector[0] == ovector[1]) {
            if (offset == length)
                return true;
            retry = PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED;
        } else {
            retry = 0;
        }
    }
    return true;
}

int RegexObject::MatchCount() const {
    return static_cast<int>(matches_.size());
}

Text RegexObject::MatchText(int matchIndex, int* position) const {
    return spanText(matchIndex, 0, position);
}

Text RegexObject::SubMatchText(int matchIndex, int groupIndex, int* position) const {
    if (groupIndex < 1) {
        if (position)
            *position = -2;
        return {};
    }
    return spanText(matchIndex, groupIndex, position);
}

Text RegexObject::spanText(int matchIndex, int groupIndex, int* position) const {
    if (position)
        *position = -2;
    if (matchIndex < 1 || matchIndex > MatchCount())
        return {};
    const Spans& spans = matches_[static_cast<std::size_t>(matchIndex - 1)];
    const auto pair = static_cast<std::size_t>(groupIndex) * 2;
    if (pair + 1 >= spans.size() || spans[pair] == unsetOffset)
        return {};
    const std::size_t start = spans[pair];
    const std::size_t end = spans[pair + 1];
    if (position)
        *position = gbkOffset(start);
    return Utf8ToGbk(std::string_view(subjectUtf8_).substr(start, end - start));
}

// Walks the two forms of the subject side by side: every code page 936 character
// became exactly one UTF-8 character.
int RegexObject::gbkOffset(std::size_t utf8Offset) const {
    std::size_t gbk = 0;
    std::size_t utf8 = 0;
    while (utf8 < utf8Offset && gbk < subject_.size()) {
        const auto byte = static_cast<unsigned char>(subject_[gbk]);
        const bool pair = isGbkLead(byte) && gbk + 1 < subject_.size() &&
                          isGbkTrail(static_cast<unsigned char>(subject_[gbk + 1]));
        gbk += pair ? 2 : 1;
        utf8 += utf8CharLength(static_cast<unsigned char>(subjectUtf8_[utf8]));
    }
    return static_cast<int>(gbk);
}

int RegexObject::SubMatchCount() const {
    if (matches_.empty())
        return 0;
    return static_cast<int>(matches_.front().size() / 2) - 1;
}

Text RegexObject::GetPattern() const {
    return pattern_;
}

Text RegexObject::ReplaceText(const Text& replacement) const {
    if (!compiled_)
        return {};
    const std::string replacementUtf8 = ToUtf8(replacement);
    const uint32_t options = compiled_->substituteGlobal | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH |
                             PCRE2_SUBSTITUTE_UNSET_EMPTY | PCRE2_SUBSTITUTE_UNKNOWN_UNSET |
                             PCRE2_NO_UTF_CHECK;
    std::string output(subjectUtf8_.size() + replacementUtf8.size() + 64, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        PCRE2_SIZE outputLength = output.size();
        const int rc = pcre2_substitute(
            compiled_->code.get(), units(subjectUtf8_), subjectUtf8_.size(), 0, options,
            compiled_->matchData.get(), compiled_->matchContext.get(), units(replacementUtf8),
            replacementUtf8.size(), reinterpret_cast<PCRE2_UCHAR*>(output.data()), &outputLength);
        if (rc >= 0) {
            output.resize(outputLength);
            return Utf8ToGbk(output);
        }
        if (rc != PCRE2_ERROR_NOMEMORY)
            return {};
        // outputLength now holds the size needed, terminating zero included.
        output.assign(outputLength, '\0');
    }
    return {};
}

void RegexObject::Destroy() {
    compiled_.reset();
    pattern_.clear();
    subject_.clear();
    subjectUtf8_.clear();
    matches_.clear();
}

} // namespace tolvane
