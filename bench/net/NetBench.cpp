// Throughput and memory of TIdHTTP on a large download from a loopback server.
//
//   net_bench serve PORTFILE   serves GET /bytes/<n> with an n-byte body; writes its port
//   net_bench get URL          downloads URL, prints bytes, seconds, MiB/s and peak memory

#include "net/TIdHTTP.h"

#include <arpa/inet.h>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::size_t BlockSize = 64 * 1024;

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool SendAll(int connection, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(connection, data, size, MSG_NOSIGNAL);
        if (sent <= 0) {
            return false;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// Answers every request on the connection; the body is one block sent over and over.
void Serve(int connection) {
    static const std::array<char, BlockSize> block = [] {
        std::array<char, BlockSize> filled{};
        for (std::size_t i = 0; i < filled.size(); ++i) {
            filled[i] = static_cast<char>('a' + i % 26);
        }
        return filled;
    }();
    std::string request;
    std::array<char, 4096> buffer{};
    for (;;) {
        const std::size_t end = request.find("\r\n\r\n");
        if (end == std::string::npos) {
            const ssize_t got = ::recv(connection, buffer.data(), buffer.size(), 0);
            if (got <= 0) {
                break;
            }
            request.append(buffer.data(), static_cast<std::size_t>(got));
            continue;
        }
        const std::size_t path = request.find("/bytes/");
        const unsigned long long size =
            path < end ? std::strtoull(request.c_str() + path + 7, nullptr, 10) : 0;
        request.erase(0, end + 4);
        const std::string head =
            "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
        bool sending = SendAll(connection, head.data(), head.size());
        for (unsigned long long left = size; sending && left > 0;) {
            const std::size_t now = left < BlockSize ? static_cast<std::size_t>(left) : BlockSize;
            sending = SendAll(connection, block.data(), now);
            left -= now;
        }
        if (!sending) {
            break;
        }
    }
    ::close(connection);
}

int RunServer(const char* portFile) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(listener, 8) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        std::perror("net_bench serve");
        return 1;
    }
    { std::ofstream(std::string(portFile) + ".tmp") << ntohs(address.sin_port) << "\n"; }
    std::rename((std::string(portFile) + ".tmp").c_str(), portFile);
    for (;;) {
        const int connection = ::accept(listener, nullptr, nullptr);
        if (connection >= 0) {
            std::thread(Serve, connection).detach();
        }
    }
}

int RunClient(const std::string& url) {
    const long before = PeakKiB();
    TIdHTTP client;
    unsigned long long received = 0;
    const auto start = std::chrono::steady_clock::now();
    try {
        client.Get(url, [&](std::string_view block) { received += block.size(); });
    } catch (const EIdHTTPError& error) {
        std::fprintf(stderr, "net_bench get: %s\n", error.what());
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("bytes=%llu seconds=%.3f MiB/s=%.0f peak_kib_before=%ld peak_kib_after=%ld\n",
                received, seconds, received / seconds / (1024.0 * 1024.0), before, PeakKiB());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 3 ? argv[1] : "";
    if (mode == "serve") {
        return RunServer(argv[2]);
    }
    if (mode == "get") {
        return RunClient(argv[2]);
    }
    std::fprintf(stderr, "usage: net_bench serve PORTFILE | net_bench get URL\n");
    return 2;
}
