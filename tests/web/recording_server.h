// A loopback HTTP stand-in for wire tests: it records every request exactly as the
// bytes arrived and answers each connection with a scripted raw reply.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tolvane::test {

struct ScriptedReply {
    std::string bytes;        // sent as they are; "{port}" becomes the server's port
    bool closeAtOnce = false; // close after reading, without answering
};

class RecordingServer final {
public:
    // Called per connection (counted from 0) with the request received so far.
    using Script = std::function<ScriptedReply(size_t connection, const std::string& request)>;

    explicit RecordingServer(Script script);
    // Every connection gets the same reply.
    explicit RecordingServer(std::string reply);
    ~RecordingServer();
    RecordingServer(const RecordingServer&) = delete;
    RecordingServer& operator=(const RecordingServer&) = delete;

    int port() const { return port_; }
    // "127.0.0.1:PORT" followed by path.
    std::string address(const std::string& path) const;
    std::vector<std::string> requests() const;
    std::string lastRequest() const;

    // A raw "HTTP/1.1 200 OK" reply with Content-Length and the given extra header lines.
    static std::string Ok(const std::string& body, const std::string& headerLines = "");

private:
    void serve();
    void handle(int connection);

    Script script_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A loopback port on which nothing listens.
int ClosedPort();

} // namespace tolvane::test
