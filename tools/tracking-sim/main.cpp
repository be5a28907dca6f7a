// tracking-sim: an HTTP/1.1 server on loopback that answers the two requests of
// the tracking query deterministically from the number (see sim_pages.h).
#include "sim_pages.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <pthread.h>
#include <string>
#include <sys/socket.h>
#include <thread>

namespace {

// One query thread per number hits the server at once, and slow replies hold
// their worker, so the pool is far larger than the library's default.
constexpr std::size_t kWorkerThreads = 128;

struct Options {
    int port = -1;
    bool help = false;
    std::string error;
};

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--port" && k + 1 < argc) {
            char* end = nullptr;
            const long port = std::strtol(argv[++k], &end, 10);
            if (*end != '\0' || end == argv[k] || port < 0 || port > 65535)
                options.error = std::string("bad port: ") + argv[k];
            else
                options.port = static_cast<int>(port);
        } else {
            options.error = "unknown option: " + arg;
        }
        if (!options.error.empty())
            return options;
    }
    if (!options.help && options.port < 0)
        options.error = "--port is required";
    return options;
}

// The library listens with a backlog of 5. Query threads connect in bursts, and
// every connection dropped from a full queue costs its client a second before the
// retry; listening again on the bound socket raises the backlog.
void raiseListenBacklog(int port) {
    for (int fd = 3; fd < 1024; ++fd) {
        int listening = 0;
        socklen_t length = sizeof listening;
        if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &length) != 0 || !listening)
            continue;
        sockaddr_in address{};
        socklen_t size = sizeof address;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0 &&
            address.sin_family == AF_INET && ntohs(address.sin_port) == port)
            listen(fd, SOMAXCONN);
    }
}

// Waits in slices so that a stop request ends a slow reply promptly.
void sleepUnlessStopping(long seconds, const std::atomic<bool>& stopping) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!stopping.load() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

void installRoutes(httplib::Server& server, const std::atomic<bool>& stopping) {
    server.Get("/autonumber/auto", [](const httplib::Request& request, httplib::Response& reply) {
        reply.set_content(tolvane::sim::DetectionReply(request.get_param_value("num")),
                          "text/html;charset=UTF-8");
    });
    server.Get(
        "/queryDetail.php", [&stopping](const httplib::Request& request, httplib::Response& reply) {
            const std::string number = request.get_param_value("nu");
            const auto plan = tolvane::sim::PlanOf(number);
            if (plan.branch == tolvane::sim::Branch::Slow)
                sleepUnlessStopping(plan.amount, stopping);
            reply.set_content(tolvane::sim::DetailReply(request.get_param_value("com"), number),
                              "text/html; charset=utf-8");
        });
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    if (!options.error.empty()) {
        std::cerr << "tracking-sim: " << options.error << " (see --help)\n";
        return 2;
    }
    if (options.help) {
        std::cout << tolvane::sim::UsageText();
        return 0;
    }

    // Every thread inherits this mask; one thread takes the stop signals with sigwait.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    httplib::Server server;
    // The library owns and deletes the queue it is handed.
    server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    // The query opens a connection per request and never reuses it; closing after
    // the reply frees the worker instead of holding it for a request that never comes.
    server.set_keep_alive_max_count(1);
    std::atomic<bool> stopping{false};
    installRoutes(server, stopping);

    int port = options.port;
    if (port == 0)
        port = server.bind_to_any_port("127.0.0.1");
    else if (!server.bind_to_port("127.0.0.1", port))
        port = -1;
    if (port <= 0) {
        std::cerr << "tracking-sim: cannot listen on 127.0.0.1:" << options.port << "\n";
        return 1;
    }
    raiseListenBacklog(port);
    std::cout << "port " << port << std::endl;

    std::atomic<bool> listenEnded{false};
    std::thread signalWaiter([&] {
        int received = 0;
        sigwait(&stopSignals, &received);
        stopping = true;
        // A stop before the server runs would be ignored and the listen never end.
        while (!server.is_running() && !listenEnded.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        server.stop();
    });
    const bool listened = server.listen_after_bind();
    listenEnded = true;
    if (!stopping.load()) {
        // The server ended by itself; wake the waiter so it can be joined.
        pthread_kill(signalWaiter.native_handle(), SIGTERM);
    }
    signalWaiter.join();
    return listened || stopping.load() ? 0 : 1;
}
