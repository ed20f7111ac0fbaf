#pragma once
// The HTTP/1.1 client that fetches the packages: GET only, a connection kept between requests
// while the server allows it, cookies held for the life of the client, work events while a
// body arrives.

#include "net/CookieJar.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

class HttpResponseReader;
struct HttpResponseHead;
struct HttpUrl;

enum class TWorkMode { wmRead, wmWrite };

// The transfer failed: connection, status, redirect, over-long line, timeout, body cut short.
class EIdHTTPError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TIdHTTP {
public:
    TIdHTTP();
    ~TIdHTTP(); // closes a kept connection
    TIdHTTP(const TIdHTTP&) = delete;
    TIdHTTP& operator=(const TIdHTTP&) = delete;

    // A read that waits this long without any data fails the transfer.
    static constexpr std::chrono::seconds DefaultReadTimeout{60};
    std::chrono::milliseconds ReadTimeout = DefaultReadTimeout; // tests shorten it

    std::function<void(TIdHTTP& sender, TWorkMode mode, std::int32_t workCountMax)> OnWorkBegin;
    std::function<void(TIdHTTP& sender, TWorkMode mode, std::int32_t workCount)> OnWork;
    std::function<void(TIdHTTP& sender, TWorkMode mode)> OnWorkEnd;

    // GET url ("http://host[:port]/path"); every block of the body goes to onBody as it arrives.
    // Returns when the whole body has arrived; throws EIdHTTPError on any failure.
    // The blocks already delivered must then be discarded by the caller.
    void Get(const std::string& url, const std::function<void(std::string_view block)>& onBody);

private:
    class Connection; // the socket, kept between requests; defined where Boost is compiled

    void SendAndReadHead(const HttpUrl& url, const std::string& request,
                         HttpResponseReader& reader);
    bool ReuseOrConnect(const HttpUrl& url);
    void ReadHead(HttpResponseReader& reader);
    void KeepCookies(const HttpUrl& url, const HttpResponseHead& head);
    void ReadBody(HttpResponseReader& reader);
    void EndWork();

    std::unique_ptr<Connection> connection_;
    CookieJar cookies_;
};
