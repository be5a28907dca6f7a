// The clock every shown or stored time is read from; tests fix it.
#pragma once

#include "web/text.h"

#include <functional>

namespace tolvane {

using Clock = std::function<LocalTime()>;

inline Clock SystemClock() {
    return [] { return CurrentLocalTime(); };
}

} // namespace tolvane
