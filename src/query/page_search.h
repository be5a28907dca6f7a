// Fast searches over a fetched detail page that keep the text rules: a match
// counts only at a character start, exactly as Find and TextBetween decide, but
// candidates come from a plain byte search so a 40 KB page is cut in microseconds.
#pragma once

#include "web/text.h"

#include <string>
#include <string_view>

namespace tolvane {

// 0-based index of the first match at a character start at or after from (itself
// a character start), or npos.
std::size_t findAligned(std::string_view text, std::string_view what, std::size_t from = 0);
bool containsAligned(std::string_view text, std::string_view what);
// TextBetween without a start position, case-sensitive, markers taken literally.
Text betweenAligned(std::string_view text, std::string_view left, std::string_view right);

} // namespace tolvane
