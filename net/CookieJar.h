#pragma once
// The cookies servers have set during the life of one client, held in memory only, and the
// Cookie header they make for a later request (the browsers' rules: domain, path, expiry).

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CookieJar {
public:
    using Clock = std::chrono::system_clock;

    // Takes one Set-Cookie value from the answer to a request for host and target. A malformed
    // cookie, one for a domain the host is not in, and a Secure one (this client speaks plain
    // HTTP only) are ignored; one already expired removes the cookie it would replace.
    void Store(std::string_view setCookie, std::string_view host, std::string_view target,
               Clock::time_point now);

    // "name=value; name2=value2" for the cookies that apply to host and target, the longest
    // path first; empty when none does.
    std::string HeaderFor(std::string_view host, std::string_view target,
                          Clock::time_point now) const;

private:
    struct Cookie {
        std::string Name;
        std::string Value;
        std::string Domain;
        std::string Path;
        bool HostOnly = true;
        std::optional<Clock::time_point> Expiry;
        std::uint64_t Created = 0;
    };

    std::vector<Cookie> cookies_;
    std::uint64_t created_ = 0;
};
