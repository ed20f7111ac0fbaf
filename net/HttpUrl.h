#pragma once
// The parts of an "http://host[:port][/path]" address that a GET needs.

#include <cstdint>
#include <string>
#include <string_view>

struct HttpUrl {
    static constexpr std::uint16_t DefaultPort = 80;

    std::string Host;
    std::uint16_t Port = DefaultPort;
    std::string Target; // the request path, "/" when the address names none
};

// Throws EIdHTTPError for any other scheme, a user part, an empty host, a bad port, or a
// character that cannot travel in a request line (control, blank).
HttpUrl ParseHttpUrl(std::string_view url);
