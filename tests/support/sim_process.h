// Starts the tracking-service simulator (tools/tracking-sim) on a free loopback
// port for one test or benchmark, and stops it again.
#pragma once

#include "web/service_hosts.h"

#include <string>
#include <sys/types.h>

namespace tolvane::test {

class SimProcess final {
public:
    // Throws std::runtime_error when the simulator cannot be started.
    SimProcess();
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    int port() const { return port_; }
    // "127.0.0.1:N"
    std::string hostPort() const;

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// Both service hosts pointed at the simulator.
ServiceHosts SimHosts(const SimProcess& sim);

} // namespace tolvane::test
