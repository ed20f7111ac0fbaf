#include "net/CookieJar.h"

#include "net/CookieDate.h"

#include <algorithm>
#include <cctype>

namespace {

// Browsers' limits: a cookie past them is a server's mistake or an attack, not a session.
constexpr std::size_t MaxNameAndValue = 4096;
constexpr std::size_t MaxAttributeValue = 1024;
// Keeps a huge Max-Age from overflowing the clock.
constexpr std::chrono::seconds MaxLifetime = std::chrono::hours{24 * 400};

struct Attributes {
    std::optional<CookieJar::Clock::time_point> Expires;
    std::optional<CookieJar::Clock::time_point> MaxAge;
    std::optional<std::string> Domain;
    std::optional<std::string> Path;
    bool Secure = false;
};

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && byte != '\t') || byte == 0x7F;
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string_view PathOf(std::string_view target) {
    return target.substr(0, target.find('?'));
}

// The folder of the request path: what a cookie without a Path applies to.
std::string DefaultPath(std::string_view target) {
    const std::string_view path = PathOf(target);
    const std::size_t lastSlash = path.rfind('/');
    if (path.empty() || path.front() != '/' || lastSlash == 0) {
        return "/";
    }
    return std::string(path.substr(0, lastSlash));
}

bool IsIpAddress(std::string_view host) {
    return std::all_of(host.begin(), host.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == ':';
    });
}

bool DomainMatches(std::string_view host, std::string_view domain) {
    if (host == domain) {
        return true;
    }
    return !IsIpAddress(host) && host.size() > domain.size() &&
           host.substr(host.size() - domain.size()) == domain &&
           host[host.size() - domain.size() - 1] == '.';
}

bool PathMatches(std::string_view requestPath, std::string_view cookiePath) {
    if (requestPath.substr(0, cookiePath.size()) != cookiePath) {
        return false;
    }
    return requestPath.size() == cookiePath.size() || cookiePath.back() == '/' ||
           requestPath[cookiePath.size()] == '/';
}

std::optional<CookieJar::Clock::time_point> ReadMaxAge(std::string_view value,
                                                       CookieJar::Clock::time_point now) {
    const bool negative = !value.empty() && value.front() == '-';
    const std::string_view digits = negative ? value.substr(1) : value;
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        })) {
        return std::nullopt;
    }
    if (negative || digits.find_first_not_of('0') == std::string_view::npos) {
        return CookieJar::Clock::time_point::min();
    }
    std::chrono::seconds lifetime{0};
    for (char digit : digits) {
        lifetime = lifetime * 10 + std::chrono::seconds{digit - '0'};
        if (lifetime > MaxLifetime) {
            lifetime = MaxLifetime;
            break;
        }
    }
    return now + lifetime;
}

void ReadAttribute(std::string_view name, std::string_view value, CookieJar::Clock::time_point now,
                   Attributes& attributes) {
    if (value.size() > MaxAttributeValue) {
        return;
    }
    const std::string key = Lower(name);
    if (key == "expires") {
        if (const auto date = ParseCookieDate(value)) {
            attributes.Expires = *date;
        }
    } else if (key == "max-age") {
        if (const auto expiry = ReadMaxAge(value, now)) {
            attributes.MaxAge = expiry;
        }
    } else if (key == "domain") {
        if (!value.empty()) {
            attributes.Domain = Lower(value.front() == '.' ? value.substr(1) : value);
        }
    } else if (key == "path") {
        attributes.Path = std::string(value);
    } else if (key == "secure") {
        attributes.Secure = true;
    }
}

Attributes ReadAttributes(std::string_view text, CookieJar::Clock::time_point now) {
    Attributes attributes;
    while (!text.empty()) {
        const std::size_t semicolon = text.find(';');
        const std::string_view item = text.substr(0, semicolon);
        text =
            semicolon == std::string_view::npos ? std::string_view{} : text.substr(semicolon + 1);
        const std::size_t equals = item.find('=');
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view{} : item.substr(equals + 1);
        ReadAttribute(Trim(item.substr(0, equals)), Trim(value), now, attributes);
    }
    return attributes;
}

} // namespace

void CookieJar::Store(std::string_view setCookie, std::string_view host, std::string_view target,
                      Clock::time_point now) {
    if (std::any_of(setCookie.begin(), setCookie.end(), IsControl)) {
        return;
    }
    const std::size_t semicolon = setCookie.find(';');
    const std::string_view pair = setCookie.substr(0, semicolon);
    const std::size_t equals = pair.find('=');
    if (equals == std::string_view::npos) {
        return;
    }
    Cookie cookie;
    cookie.Name = std::string(Trim(pair.substr(0, equals)));
    cookie.Value = std::string(Trim(pair.substr(equals + 1)));
    if (cookie.Name.empty() || cookie.Name.size() + cookie.Value.size() > MaxNameAndValue) {
        return;
    }

    const Attributes attributes = ReadAttributes(
        semicolon == std::string_view::npos ? std::string_view{} : setCookie.substr(semicolon + 1),
        now);
    if (attributes.Secure) {
        return;
    }
    const std::string requestHost = Lower(host);
    if (attributes.Domain) {
        if (!DomainMatches(requestHost, *attributes.Domain)) {
            return;
        }
        cookie.HostOnly = false;
    }
    cookie.Domain = attributes.Domain ? *attributes.Domain : requestHost;
    cookie.Path = attributes.Path && !attributes.Path->empty() && attributes.Path->front() == '/'
                      ? *attributes.Path
                      : DefaultPath(target);
    cookie.Expiry = attributes.MaxAge ? attributes.MaxAge : attributes.Expires;

    const auto same = std::find_if(cookies_.begin(), cookies_.end(), [&](const Cookie& held) {
        return held.Name == cookie.Name && held.Domain == cookie.Domain && held.Path == cookie.Path;
    });
    if (same != cookies_.end()) {
        cookie.Created = same->Created;
        cookies_.erase(same);
    } else {
        cookie.Created = created_++;
    }
    if (!cookie.Expiry || *cookie.Expiry > now) {
        cookies_.push_back(std::move(cookie));
    }
}

std::string CookieJar::HeaderFor(std::string_view host, std::string_view target,
                                 Clock::time_point now) const {
    const std::string requestHost = Lower(host);
    const std::string_view requestPath = PathOf(target);
    std::vector<const Cookie*> applying;
    for (const Cookie& cookie : cookies_) {
        const bool domainApplies = cookie.HostOnly ? requestHost == cookie.Domain
                                                   : DomainMatches(requestHost, cookie.Domain);
        if (domainApplies && PathMatches(requestPath, cookie.Path) &&
            (!cookie.Expiry || *cookie.Expiry > now)) {
            applying.push_back(&cookie);
        }
    }
    std::stable_sort(applying.begin(), applying.end(), [](const Cookie* a, const Cookie* b) {
        if (a->Path.size() != b->Path.size()) {
            return a->Path.size() > b->Path.size();
        }
        return a->Created < b->Created;
    });
    std::string header;
    for (const Cookie* cookie : applying) {
        if (!header.empty()) {
            header += "; ";
        }
        header += cookie->Name + "=" + cookie->Value;
    }
    return header;
}
