// The rules of the automatic re-query's interval box: what may be typed, how its
// text reads as a number, and the shortest interval allowed.
#pragma once

#include <cstdint>
#include <string_view>

namespace tolvane {

// Five minutes: shorter intervals would flood the tracking service.
constexpr std::int32_t shortestQueryInterval = 300000;

// Only digits and "-" may be typed.
bool isIntervalInput(std::string_view text);
// An optional "-" and the digits after it, clamped to a signed 32-bit value; text
// without a leading number ("", "-", "abc") reads as 0.
std::int32_t intervalValue(std::string_view text);
bool intervalAccepted(std::int32_t milliseconds);

} // namespace tolvane
