#include "tests/unit/net/LoopbackServer.h"

#include <arpa/inet.h>
#include <array>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::chrono::seconds Deadline{10};

void Check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(what);
    }
}

void SendAll(int connection, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            return; // the client has gone; what it got is what the test looks at
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

} // namespace

LoopbackServer::LoopbackServer(std::vector<Reply> replies) : replies_(std::move(replies)) {
    std::array<int, 2> wake{};
    Check(::pipe(wake.data()) == 0, "pipe");
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];

    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    Check(listener_ >= 0, "socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    Check(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0, "bind");
    Check(::listen(listener_, 8) == 0, "listen");
    socklen_t size = sizeof address;
    Check(::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) == 0,
          "getsockname");
    port_ = ntohs(address.sin_port);

    thread_ = std::thread([this] { Run(); });
}

LoopbackServer::~LoopbackServer() {
    const char stop = 0;
    [[maybe_unused]] const ssize_t written = ::write(wakeWrite_, &stop, 1);
    thread_.join();
    ::close(listener_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

std::string LoopbackServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<std::string> LoopbackServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int LoopbackServer::Accepts() const {
    std::lock_guard lock(mutex_);
    return accepts_;
}

bool LoopbackServer::WaitForClosedConnections(int count) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, Deadline, [&] { return closed_ >= count; });
}

void LoopbackServer::Run() {
    while (WaitReadable(listener_)) {
        const int connection = ::accept(listener_, nullptr, nullptr);
        if (connection < 0) {
            continue;
        }
        {
            std::lock_guard lock(mutex_);
            ++accepts_;
        }
        Serve(connection);
        ::close(connection);
        std::lock_guard lock(mutex_);
        ++closed_;
        changed_.notify_all();
    }
}

void LoopbackServer::Serve(int connection) {
    std::string request;
    while (ReadRequest(connection, request)) {
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        if (nextReply_ == replies_.size()) {
            return;
        }
        const Reply& reply = replies_[nextReply_++];
        SendAll(connection, reply.Bytes);
        if (reply.After == Then::Close) {
            return;
        }
        if (reply.After == Then::Hold) {
            WaitForPeerClose(connection);
            return;
        }
    }
}

// Reads up to the empty line that ends a GET; false when the client closes first.
bool LoopbackServer::ReadRequest(int connection, std::string& request) {
    request.clear();
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (!WaitReadable(connection)) {
            return false;
        }
        std::array<char, 4096> buffer{};
        const ssize_t got = ::recv(connection, buffer.data(), buffer.size(), 0);
        if (got <= 0) {
            return false;
        }
        request.append(buffer.data(), static_cast<std::size_t>(got));
    }
    return true;
}

void LoopbackServer::WaitForPeerClose(int connection) {
    std::array<char, 4096> buffer{};
    while (WaitReadable(connection) && ::recv(connection, buffer.data(), buffer.size(), 0) > 0) {
    }
}

bool LoopbackServer::WaitReadable(int fd) const {
    std::array<pollfd, 2> watched{{{fd, POLLIN, 0}, {wakeRead_, POLLIN, 0}}};
    while (::poll(watched.data(), watched.size(), -1) < 0) {
    }
    return (watched[1].revents & POLLIN) == 0;
}
