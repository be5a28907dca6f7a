// Reads where the tracking service lives from the environment.
#include "web/service_hosts.h"

#include <cstdlib>

namespace tolvane {
namespace {

void overrideFromEnvironment(std::string& host, const char* variable) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
        host = value;
    }
}

} // namespace

ServiceHosts ServiceHosts::FromEnvironment() {
    ServiceHosts hosts;
    overrideFromEnvironment(hosts.detect, "TOLVANE_DETECT_HOST");
    overrideFromEnvironment(hosts.detail, "TOLVANE_DETAIL_HOST");
    return hosts;
}

} // namespace tolvane
