// Where the tracking service lives: the only configuration the program reads.
#pragma once

#include <string>

namespace tolvane {

struct ServiceHosts {
    std::string detect = "www.kuaidi100.com"; // host or host:port
    std::string detail = "m.kuaidi100.com";   // host or host:port

    // Defaults, overridden by TOLVANE_DETECT_HOST and TOLVANE_DETAIL_HOST when set and not empty.
    static ServiceHosts FromEnvironment();
};

} // namespace tolvane
