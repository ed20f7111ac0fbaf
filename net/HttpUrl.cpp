#include "net/HttpUrl.h"

#include "net/TIdHTTP.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::string_view Scheme = "http://";

void Reject(std::string_view url) {
    throw EIdHTTPError("Not an http address: " + std::string(url));
}

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool TravelsInRequestLine(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte != 0x7F;
}

bool IsHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

std::uint16_t ParsePort(std::string_view digits, std::string_view url) {
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        Reject(url);
    }
    const unsigned long port = std::stoul(std::string(digits));
    if (port == 0 || port > 65535) {
        Reject(url);
    }
    return static_cast<std::uint16_t>(port);
}

} // namespace

HttpUrl ParseHttpUrl(std::string_view url) {
    if (url.size() < Scheme.size() || !SameLetters(url.substr(0, Scheme.size()), Scheme) ||
        !std::all_of(url.begin(), url.end(), TravelsInRequestLine)) {
        Reject(url);
    }
    const std::string_view rest = url.substr(Scheme.size());
    const std::size_t slash = rest.find('/');
    const std::string_view authority = rest.substr(0, slash);
    const std::size_t colon = authority.find(':');

    HttpUrl parsed;
    parsed.Host = std::string(authority.substr(0, colon));
    if (parsed.Host.empty() ||
        !std::all_of(parsed.Host.begin(), parsed.Host.end(), IsHostCharacter)) {
        Reject(url);
    }
    if (colon != std::string_view::npos) {
        parsed.Port = ParsePort(authority.substr(colon + 1), url);
    }
    parsed.Target = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
    return parsed;
}
