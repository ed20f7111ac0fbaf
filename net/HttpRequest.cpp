#include "net/HttpRequest.h"

namespace {

constexpr std::string_view LineEnd = "\r\n";
constexpr std::string_view ContentType = "text/html";
constexpr std::string_view Accept = "text/html, */*";
constexpr std::string_view UserAgent = "Mozilla/3.0 (compatible; Indy Library)";

void AppendHeader(std::string& request, std::string_view name, std::string_view value) {
    request.append(name).append(": ").append(value).append(LineEnd);
}

std::string HostHeader(const HttpUrl& url) {
    if (url.Port == HttpUrl::DefaultPort) {
        return url.Host;
    }
    return url.Host + ":" + std::to_string(url.Port);
}

} // namespace

std::string FormatGetRequest(const HttpUrl& url, std::string_view cookies) {
    std::string request = "GET " + url.Target + " HTTP/1.1";
    request.append(LineEnd);
    AppendHeader(request, "Content-Type", ContentType);
    AppendHeader(request, "Host", HostHeader(url));
    AppendHeader(request, "Accept", Accept);
    AppendHeader(request, "User-Agent", UserAgent);
    if (!cookies.empty()) {
        AppendHeader(request, "Cookie", cookies);
    }
    request.append(LineEnd);
    return request;
}
