#include "app/query_interval.h"

#include <algorithm>
#include <limits>

namespace tolvane {

bool isIntervalInput(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
}

std::int32_t intervalValue(std::string_view text) {
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    std::int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        // Past the range the value only needs to stay past it.
        magnitude = std::min<std::int64_t>(magnitude * 10 + (c - '0'), highest + 1);
    }
    return static_cast<std::int32_t>(
        std::clamp(negative ? -magnitude : magnitude, lowest, highest));
}

bool intervalAccepted(std::int32_t milliseconds) {
    return milliseconds >= shortestQueryInterval;
}

} // namespace tolvane
