// Number lists as typed into the number box or read from a file: CR LF lines,
// an optional "----" and ignored text after the number, nothing trimmed.
#pragma once

#include "web/text.h"

#include <vector>

namespace tolvane {

// The number of one line: its first piece at "----", empty when there is none.
Text NumberOfLine(const Text& line);
// One number per CR LF line (an empty last piece adds no line).
std::vector<Text> NumbersOfList(const Text& list);

} // namespace tolvane
