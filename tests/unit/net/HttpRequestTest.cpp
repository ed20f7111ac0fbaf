#include "net/HttpRequest.h"

#include "net/HttpUrl.h"
#include "net/TIdHTTP.h"

#include <gtest/gtest.h>

namespace {

TEST(HttpRequestTest, GetCarriesTheFixedHeadersInOrder) {
    struct Case {
        std::string Url;
        std::string Cookies;
        std::string Expected;
    };
    const Case cases[] = {
        {"http://download.example/Kolvera/2016/dotnetfx35.exe", "",
         "GET /Kolvera/2016/dotnetfx35.exe HTTP/1.1\r\n"
         "Content-Type: text/html\r\n"
         "Host: download.example\r\n"
         "Accept: text/html, */*\r\n"
         "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
         "\r\n"},
        {"http://download.example:80/Kolvera/2016/SQLEXPR_x64_ENU.exe", "",
         "GET /Kolvera/2016/SQLEXPR_x64_ENU.exe HTTP/1.1\r\n"
         "Content-Type: text/html\r\n"
         "Host: download.example\r\n"
         "Accept: text/html, */*\r\n"
         "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
         "\r\n"},
        {"http://download.example:8080/Kolvera/2016/Windows6.0-KB968930-x64.msu", "a=1; b=2",
         "GET /Kolvera/2016/Windows6.0-KB968930-x64.msu HTTP/1.1\r\n"
         "Content-Type: text/html\r\n"
         "Host: download.example:8080\r\n"
         "Accept: text/html, */*\r\n"
         "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
         "Cookie: a=1; b=2\r\n"
         "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Url);
        EXPECT_EQ(FormatGetRequest(ParseHttpUrl(c.Url), c.Cookies), c.Expected);
    }
}

TEST(HttpUrlTest, SplitsHostPortAndTarget) {
    struct Case {
        std::string Url;
        std::string Host;
        std::uint16_t Port;
        std::string Target;
    };
    const Case cases[] = {
        {"http://download.example/Kolvera/2016/", "download.example", 80, "/Kolvera/2016/"},
        {"HTTP://127.0.0.1:8080/a?b=c", "127.0.0.1", 8080, "/a?b=c"},
        {"http://download.example", "download.example", 80, "/"},
        {"http://h:65535/", "h", 65535, "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Url);
        const HttpUrl url = ParseHttpUrl(c.Url);
        EXPECT_EQ(url.Host, c.Host);
        EXPECT_EQ(url.Port, c.Port);
        EXPECT_EQ(url.Target, c.Target);
    }
}

TEST(HttpUrlTest, RejectsWhatCannotBecomeAPlainGet) {
    const std::string urls[] = {
        "https://h/",
        "ftp://h/",
        "http://",
        "http:///x",
        "http://:80/",
        "http://h:/",
        "http://h:0/",
        "http://h:65536/",
        "http://h:8o/",
        "http://u@h/",
        "http://h/a b",
        "http://h/a\r\nX-Injected: 1",
        std::string("http://h/\0", 10),
    };
    for (const std::string& url : urls) {
        SCOPED_TRACE(url);
        EXPECT_THROW(ParseHttpUrl(url), EIdHTTPError);
    }
}

} // namespace
