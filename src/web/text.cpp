// The text rules of code page 936 byte strings: searches that step over
// double-byte characters, trimming, splitting, cutting, decoding and dates.
#include "web/text.h"

#include <algorithm>
#include <ctime>

namespace tolvane {
namespace {

bool isLeadByte(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// Bytes of the character that starts at index i: two for a lead byte with a byte after it.
size_t charLength(std::string_view text, size_t i) {
    return isLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool matchesAt(std::string_view text, size_t i, std::string_view what, bool ignoreCase) {
    if (text.size() - i < what.size()) {
        return false;
    }
    if (!ignoreCase) {
        return text.compare(i, what.size(), what) == 0;
    }
    for (size_t k = 0; k < what.size(); ++k) {
        if (asciiLower(text[i + k]) != asciiLower(what[k])) {
            return false;
        }
    }
    return true;
}

// Next index at or after k where what occurs, ASCII letters folded when ignoreCase;
// whether a character starts there is left to the caller.
size_t nextOccurrence(std::string_view text, std::string_view what, size_t k, bool ignoreCase) {
    if (!ignoreCase) {
        return text.find(what, k);
    }
    for (size_t i = k; i < text.size() && text.size() - i >= what.size(); ++i) {
        if (matchesAt(text, i, what, true)) {
            return i;
        }
    }
    return std::string_view::npos;
}

// Last index at or before k where what occurs, as nextOccurrence.
size_t previousOccurrence(std::string_view text, std::string_view what, size_t k, bool ignoreCase) {
    if (!ignoreCase) {
        return text.rfind(what, k);
    }
    if (what.size() > text.size()) {
        return std::string_view::npos;
    }
    for (size_t i = std::min(k, text.size() - what.size()) + 1; i-- > 0;) {
        if (matchesAt(text, i, what, true)) {
            return i;
        }
    }
    return std::string_view::npos;
}

// Start of the run of bytes from 0x80 up that ends just before index i, no lower
// than from. A byte below 0x80 is never a lead byte, so stepping from from always
// lands right after one; from there to i every byte is a lead byte with a byte
// after it, so the steps are two bytes and i is a character start exactly when it
// lies an even distance from the run's start.
size_t runStart(std::string_view text, size_t from, size_t i) {
    while (i > from && isLeadByte(text[i - 1])) {
        --i;
    }
    return i;
}

// 0-based index of the first occurrence at a character start, stepping from index
// from, or npos. Byte searches find the candidates; stepping character by character
// over a 40 KB page took most of a query's parsing time.
size_t findIndex(std::string_view text, std::string_view what, size_t from, bool ignoreCase) {
    if (what.empty()) {
        return from < text.size() ? from : std::string_view::npos;
    }
    // A character start at or before the next candidate, so no byte is looked back on twice.
    size_t known = from;
    for (size_t i = nextOccurrence(text, what, from, ignoreCase); i != std::string_view::npos;
         i = nextOccurrence(text, what, i + 1, ignoreCase)) {
        if ((i - runStart(text, known, i)) % 2 == 0) {
            return i;
        }
        // i is the second byte of a character, so the next one starts right after it.
        known = i + 1;
    }
    return std::string_view::npos;
}

bool isBlankAt(std::string_view text, size_t i, size_t* length) {
    if (text[i] == ' ') {
        *length = 1;
        return true;
    }
    if (text.compare(i, 2, "\xA1\xA1") == 0) {
        *length = 2;
        return true;
    }
    return false;
}

int toPosition(size_t index) {
    return index == std::string_view::npos ? -1 : static_cast<int>(index) + 1;
}

Text twoDigits(int value) {
    Text out(2, '0');
    out[0] = static_cast<char>('0' + value / 10 % 10);
    out[1] = static_cast<char>('0' + value % 10);
    return out;
}

// Value of an escape digit: its place in "0123456789ABCDEF" after upper-casing, -2 when absent.
int hexDigitValue(unsigned char c) {
    static constexpr std::string_view digits = "0123456789ABCDEF";
    const char upper = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    const size_t at = digits.find(upper);
    return at == std::string_view::npos ? -2 : static_cast<int>(at);
}

} // namespace

Text QuoteToken() {
    // "#引号" in code page 936; written as bytes so no conversion runs for it.
    return "#\xD2\xFD\xBA\xC5";
}

int Find(std::string_view text, std::string_view what, int start, bool ignoreCase) {
    const size_t from = start <= 1 ? 0 : static_cast<size_t>(start) - 1;
    if (from >= text.size()) {
        return -1;
    }
    return toPosition(findIndex(text, what, from, ignoreCase));
}

int FindLast(std::string_view text, std::string_view what, bool ignoreCase) {
    if (text.empty()) {
        return -1;
    }
    if (what.empty()) {
        // An empty text matches at every character start; the last one is the last byte
        // unless that byte ends a double-byte character.
        const size_t i = text.size() - 1;
        return toPosition((i - runStart(text, 0, i)) % 2 == 0 ? i : i - 1);
    }
    // Candidates walk backwards; those inside one run of high bytes share its start.
    size_t run = std::string_view::npos;
    for (size_t i = previousOccurrence(text, what, std::string_view::npos, ignoreCase);
         i != std::string_view::npos;
         i = i == 0 ? std::string_view::npos : previousOccurrence(text, what, i - 1, ignoreCase)) {
        if (run == std::string_view::npos || i < run) {
            run = runStart(text, 0, i);
        }
        if ((i - run) % 2 == 0) {
            return toPosition(i);
        }
    }
    return -1;
}

bool Contains(std::string_view text, std::string_view what) {
    return Find(text, what) > 0;
}

Text Replace(std::string_view text, std::string_view what, std::string_view with, bool ignoreCase) {
    if (what.empty()) {
        return Text(text);
    }
    Text out;
    out.reserve(text.size());
    size_t done = 0;
    for (size_t at = findIndex(text, what, 0, ignoreCase); at != std::string_view::npos;
         at = findIndex(text, what, done, ignoreCase)) {
        out.append(text.substr(done, at - done));
        out.append(with);
        done = at + what.size();
    }
    out.append(text.substr(done));
    return out;
}

Text TrimStart(std::string_view text) {
    size_t i = 0;
    size_t blank = 0;
    while (i < text.size() && isBlankAt(text, i, &blank)) {
        i += blank;
    }
    return Text(text.substr(i));
}

Text TrimEnd(std::string_view text) {
    // Walk forward so that an A1 A1 pair is only taken where a character starts.
    size_t keep = 0;
    size_t blank = 0;
    for (size_t i = 0; i < text.size();) {
        if (isBlankAt(text, i, &blank)) {
            i += blank;
        } else {
            i += charLength(text, i);
            keep = i;
        }
    }
    return Text(text.substr(0, keep));
}

Text Trim(std::string_view text) {
    return TrimEnd(TrimStart(text));
}

std::vector<Text> Split(std::string_view text, std::string_view separator) {
    std::vector<Text> pieces;
    if (text.empty()) {
        return pieces;
    }
    if (separator.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    size_t done = 0;
    for (size_t at = findIndex(text, separator, 0, false); at != std::string_view::npos;
         at = findIndex(text, separator, done, false)) {
        pieces.emplace_back(text.substr(done, at - done));
        done = at + separator.size();
    }
    if (done < text.size()) {
        pieces.emplace_back(text.substr(done));
    }
    return pieces;
}

Text BytesToText(std::string_view bytes) {
    return Text(bytes.substr(0, bytes.find('\0')));
}

Text TextBetween(std::string_view text, std::string_view left, std::string_view right, int start,
                 bool ignoreCase) {
    static const Text quoteToken = QuoteToken();
    const Text leftMarker = Replace(left, quoteToken, "\"");
    const Text rightMarker = Replace(right, quoteToken, "\"");
    const int p = Find(text, leftMarker, start, ignoreCase);
    if (p == -1) {
        return {};
    }
    const int q = p + static_cast<int>(leftMarker.size());
    const int r = Find(text, rightMarker, q, ignoreCase);
    if (r == -1) {
        return {};
    }
    return Text(text.substr(static_cast<size_t>(q) - 1, static_cast<size_t>(r - q)));
}

Text UrlDecode(std::string_view text, bool fromUtf8) {
    Text out;
    out.reserve(text.size());
    const auto digitAt = [&](size_t i) {
        // A position past the end holds no byte and counts as 0.
        return i < text.size() ? hexDigitValue(static_cast<unsigned char>(text[i])) : 0;
    };
    size_t i = 0;
    while (i < text.size()) {
        const size_t escape = std::min(text.find('%', i), text.size());
        out.append(text.substr(i, escape - i));
        if (escape == text.size()) {
            break;
        }
        const int value = ((16 * digitAt(escape + 1) + digitAt(escape + 2)) % 256 + 256) % 256;
        if (value != 0) {
            out.push_back(static_cast<char>(value));
        }
        // The two positions after "%" are used up even when they are no hex digits.
        i = escape + 3;
    }
    return fromUtf8 ? Utf8ToGbk(out) : out;
}

LocalTime CurrentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                     parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

Text DateStamp(const LocalTime& when) {
    return std::to_string(when.year) + "-" + twoDigits(when.month) + "-" + twoDigits(when.day);
}

Text DateStamp() {
    return DateStamp(CurrentLocalTime());
}

Text TimeOfDayText(const LocalTime& when) {
    return twoDigits(when.hour) + ":" + twoDigits(when.minute) + ":" + twoDigits(when.second);
}

} // namespace tolvane
