// Loopback recording server for the wire tests.
#include "web/recording_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <stdexcept>

namespace tolvane::test {
namespace {

int listenOnLoopback(int* port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("socket");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 128) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        throw std::runtime_error("bind/listen");
    }
    *port = ntohs(address.sin_port);
    return fd;
}

bool waitReadable(int fd, int milliseconds) {
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, milliseconds) > 0;
}

size_t contentLength(const std::string& head) {
    std::string lower = head;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const size_t at = lower.find("\r\ncontent-length:");
    return at == std::string::npos ? 0 : std::stoul(lower.substr(at + 17));
}

// Reads one request: the header block and a body of Content-Length bytes.
std::string readRequest(int connection) {
    std::string request;
    char buffer[4096];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        const size_t end = request.find("\r\n\r\n");
        if (end != std::string::npos && request.size() >= end + 4 + contentLength(request)) {
            break;
        }
        if (!waitReadable(connection, 100)) {
            continue;
        }
        const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        request.append(buffer, static_cast<size_t>(got));
    }
    return request;
}

void sendAll(int connection, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        sent += static_cast<size_t>(n);
    }
}

std::string withPort(std::string bytes, int port) {
    const std::string token = "{port}";
    for (size_t at = bytes.find(token); at != std::string::npos; at = bytes.find(token, at)) {
        bytes.replace(at, token.size(), std::to_string(port));
    }
    return bytes;
}

} // namespace

RecordingServer::RecordingServer(Script script) : script_(std::move(script)) {
    listener_ = listenOnLoopback(&port_);
    thread_ = std::thread([this] { serve(); });
}

RecordingServer::RecordingServer(std::string reply)
    : RecordingServer([reply](size_t, const std::string&) { return ScriptedReply{reply}; }) {}

RecordingServer::~RecordingServer() {
    stopping_ = true;
    thread_.join();
    close(listener_);
}

std::string RecordingServer::address(const std::string& path) const {
    return "127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> RecordingServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::string RecordingServer::lastRequest() const {
    std::lock_guard lock(mutex_);
    return requests_.empty() ? std::string() : requests_.back();
}

std::string RecordingServer::Ok(const std::string& body, const std::string& headerLines) {
    return "HTTP/1.1 200 OK\r\n" + headerLines + "Content-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

void RecordingServer::serve() {
    while (!stopping_) {
        if (!waitReadable(listener_, 20)) {
            continue;
        }
        const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            handle(connection);
            close(connection);
        }
    }
}

void RecordingServer::handle(int connection) {
    size_t index = 0;
    {
        std::lock_guard lock(mutex_);
        index = requests_.size();
        requests_.emplace_back();
    }
    const std::string request = readRequest(connection);
    {
        std::lock_guard lock(mutex_);
        requests_[index] = request;
    }
    const ScriptedReply reply = script_(index, request);
    if (reply.closeAtOnce) {
        return;
    }
    sendAll(connection, withPort(reply.bytes, port_));
    shutdown(connection, SHUT_WR);
    // Let the client read everything before the socket goes away.
    char sink[256];
    while (waitReadable(connection, 200) && recv(connection, sink, sizeof sink, 0) > 0) {
    }
}

int ClosedPort() {
    int port = 0;
    close(listenOnLoopback(&port));
    return port;
}

} // namespace tolvane::test
