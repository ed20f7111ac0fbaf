#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

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
    std::chrono::milliseconds ReadTimeout = DefaultReadTimeout;

    std::function<void(TIdHTTP& sender, TWorkMode mode, std::int32_t workCountMax)> OnWorkBegin;
    std::function<void(TIdHTTP& sender, TWorkMode mode, std::int32_t workCount)> OnWork;
    std::function<void(TIdHTTP& sender, TWorkMode mode)> OnWorkEnd;

    // GET url ("http://host[:port]/path"); every block of the body goes to onBody as it arrives.
    // Returns when the whole body has arrived; throws EIdHTTPError on any failure.
    void Get(const std::string& url, const std::function<void(std::string_view block)>& onBody);
};
