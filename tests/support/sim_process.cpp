#include "support/sim_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tolvane::test {
namespace {

#ifdef TOLVANE_SIM_PATH
constexpr const char* kSimPath = TOLVANE_SIM_PATH;
#else
constexpr const char* kSimPath = "tracking-sim";
#endif

// The first line the simulator prints: "port N".
std::string readFirstLine(int fd) {
    std::string line;
    char c = 0;
    while (line.size() < 256) {
        const ssize_t got = read(fd, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || c == '\n')
            break;
        line += c;
    }
    return line;
}

bool reapWithin(pid_t pid, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        const pid_t done = waitpid(pid, nullptr, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

} // namespace

SimProcess::SimProcess() {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error("tracking-sim: no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    std::string path = kSimPath;
    std::string portOption = "--port";
    std::string anyPort = "0";
    char* argv[] = {path.data(), portOption.data(), anyPort.data(), nullptr};
    const int spawned = posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        throw std::runtime_error("tracking-sim: cannot start " + path);
    }
    const std::string line = readFirstLine(pipeEnds[0]);
    close(pipeEnds[0]);
    if (line.rfind("port ", 0) == 0)
        port_ = std::atoi(line.c_str() + 5);
    if (port_ <= 0) {
        kill(pid_, SIGKILL);
        reapWithin(pid_, std::chrono::seconds(5));
        throw std::runtime_error("tracking-sim: no port in \"" + line + "\"");
    }
}

SimProcess::~SimProcess() {
    kill(pid_, SIGTERM);
    if (!reapWithin(pid_, std::chrono::seconds(10))) {
        kill(pid_, SIGKILL);
        reapWithin(pid_, std::chrono::seconds(10));
    }
}

std::string SimProcess::hostPort() const {
    return "127.0.0.1:" + std::to_string(port_);
}

ServiceHosts SimHosts(const SimProcess& sim) {
    ServiceHosts hosts;
    hosts.detect = sim.hostPort();
    hosts.detail = sim.hostPort();
    return hosts;
}

} // namespace tolvane::test
