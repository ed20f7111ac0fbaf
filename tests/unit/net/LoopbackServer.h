#pragma once
// A download server on 127.0.0.1 for the client's tests: it answers each request it reads
// with the next scripted reply, and records what it saw (the request bytes, the accepts).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class LoopbackServer {
public:
    enum class Then {
        KeepOpen, // read the next request on the same connection
        Close,    // close the connection
        Hold,     // say nothing more and wait until the client closes
    };

    struct Reply {
        std::string Bytes;
        Then After = Then::KeepOpen;
    };

    explicit LoopbackServer(std::vector<Reply> replies);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t Port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by path.
    std::string Url(std::string_view path) const;

    std::vector<std::string> Requests() const;
    int Accepts() const;
    // Waits, up to a generous deadline, until the server has closed that many connections.
    bool WaitForClosedConnections(int count) const;

private:
    void Run();
    void Serve(int connection);
    bool ReadRequest(int connection, std::string& request);
    void WaitForPeerClose(int connection);
    // Waits until the descriptor is readable; false when the server is stopping.
    bool WaitReadable(int fd) const;

    std::vector<Reply> replies_;
    std::size_t nextReply_ = 0;
    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint16_t port_ = 0;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::string> requests_;
    int accepts_ = 0;
    int closed_ = 0;

    std::thread thread_;
};
