// Text rules shared by every part of the program: texts are code page 936 (GBK)
// byte strings, positions are 1-based byte positions, and searches step over
// double-byte characters whole so a marker never matches from a trail byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// A code page 936 text. It holds no zero byte (conversions from bytes stop there).
using Text = std::string;
// Counted bytes that may hold zero bytes.
using Bytes = std::string;

// Stands for one double quote in markers and patterns.
Text QuoteToken();

// UTF-8 source text to code page 936; for the program's own literals and the UI edge.
Text Gbk(std::string_view utf8);
// Code page 936 text to UTF-8, for the UI and the command line.
std::string ToUtf8(std::string_view gbk);

// Find: 1-based position of the first occurrence at or after start (0 or less means 1), or -1.
int Find(std::string_view text, std::string_view what, int start = 0, bool ignoreCase = false);
// Position of the last occurrence, or -1.
int FindLast(std::string_view text, std::string_view what, bool ignoreCase = false);
bool Contains(std::string_view text, std::string_view what);
Text Replace(std::string_view text, std::string_view what, std::string_view with,
             bool ignoreCase = false);
// Trim ASCII blanks and the full-width blank (A1 A1); tab, CR and LF stay.
Text TrimStart(std::string_view text);
Text TrimEnd(std::string_view text);
Text Trim(std::string_view text);
// Empty middle pieces stay; an empty last piece is dropped; empty text gives no pieces.
std::vector<Text> Split(std::string_view text, std::string_view separator);
// Bytes up to the first zero byte.
Text BytesToText(std::string_view bytes);

Text TextBetween(std::string_view text, std::string_view left, std::string_view right,
                 int start = 0, bool ignoreCase = false);
Text UrlDecode(std::string_view text, bool fromUtf8 = false);
Text Utf8ToGbk(std::string_view text);

// fromCharset / toCharset are in/out: a null pointer means "not given"; a given
// empty variable receives the default ("UTF-8", "GBK").
Bytes ConvertCharset(std::string_view data, Text* fromCharset = nullptr, Text* toCharset = nullptr,
                     const int* startPosition = nullptr);

struct LocalTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};
LocalTime CurrentLocalTime();

// year "-" MM "-" DD
Text DateStamp(const LocalTime& when);
Text DateStamp();
// HH ":" MM ":" SS, each two digits
Text TimeOfDayText(const LocalTime& when);

} // namespace tolvane
