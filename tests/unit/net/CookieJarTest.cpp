#include "net/CookieJar.h"

#include "net/CookieDate.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono;

const CookieJar::Clock::time_point Now = sys_days{2026y / 3 / 14} + 12h;

struct SetCookie {
    std::string Value;
    std::string Host = "dl.example.com";
    std::string Target = "/Kolvera/2016/dotnetfx35.exe";
};

struct Case {
    const char* Name;
    std::vector<SetCookie> Stored;
    std::string Host;
    std::string Target;
    std::string Expected;
    seconds Later{0};
};

const std::string NextPackage = "/Kolvera/2016/SQLEXPR_x64_ENU.exe";

const Case Cases[] = {
    {"no path: the folder of the request", {{"s=1"}}, "dl.example.com", NextPackage, "s=1"},
    {"no path, another folder", {{"s=1"}}, "dl.example.com", "/Kolvera/2017/x.exe", ""},
    {"root path", {{"s=1; Path=/"}}, "dl.example.com", "/anything", "s=1"},
    {"another path", {{"s=1; Path=/other"}}, "dl.example.com", NextPackage, ""},
    {"path must end at a slash", {{"s=1; Path=/Kol"}}, "dl.example.com", NextPackage, ""},
    {"path not absolute falls back", {{"s=1; Path=Kolvera"}}, "dl.example.com", NextPackage, "s=1"},
    {"host only: not for a subdomain", {{"s=1; Path=/"}}, "a.dl.example.com", "/", ""},
    {"host only: not for another host", {{"s=1; Path=/"}}, "example.com", "/", ""},
    {"domain: for its subdomains",
     {{"s=1; Path=/; Domain=.example.com"}},
     "www.example.com",
     "/",
     "s=1"},
    {"domain: not for a look-alike",
     {{"s=1; Path=/; Domain=example.com"}},
     "badexample.com",
     "/",
     ""},
    {"domain the host is not in", {{"s=1; Path=/; Domain=other.com"}}, "other.com", "/", ""},
    {"host compared without case",
     {{"s=1; Path=/", "DL.Example.COM"}},
     "dl.example.com",
     "/",
     "s=1"},
    {"max-age zero", {{"s=1; Max-Age=0"}}, "dl.example.com", NextPackage, ""},
    {"max-age alive", {{"s=1; Max-Age=60"}}, "dl.example.com", NextPackage, "s=1", 59s},
    {"max-age run out", {{"s=1; Max-Age=60"}}, "dl.example.com", NextPackage, "", 60s},
    {"expires in the past",
     {{"s=1; Expires=Thu, 01 Jan 1998 00:00:00 GMT"}},
     "dl.example.com",
     NextPackage,
     ""},
    {"expires in the future",
     {{"s=1; expires=Fri, 01 Jan 2038 00:00:00 GMT"}},
     "dl.example.com",
     NextPackage,
     "s=1"},
    {"max-age before expires",
     {{"s=1; Expires=Thu, 01 Jan 1998 00:00:00 GMT; Max-Age=60"}},
     "dl.example.com",
     NextPackage,
     "s=1"},
    {"unreadable expires is ignored",
     {{"s=1; Expires=soon"}},
     "dl.example.com",
     NextPackage,
     "s=1"},
    {"a later value replaces", {{"s=1"}, {"s=2"}}, "dl.example.com", NextPackage, "s=2"},
    {"an expired one removes", {{"s=1"}, {"s=; Max-Age=0"}}, "dl.example.com", NextPackage, ""},
    {"same name, other path: both",
     {{"s=1; Path=/"}, {"s=2"}},
     "dl.example.com",
     NextPackage,
     "s=2; s=1"},
    {"longest path first, then oldest",
     {{"a=1; Path=/"}, {"b=2"}, {"c=3; Path=/"}},
     "dl.example.com",
     NextPackage,
     "b=2; a=1; c=3"},
    {"blanks around name and value", {{"  s =  1 ;Path = / "}}, "dl.example.com", "/", "s=1"},
    {"secure never travels over plain http", {{"s=1; Secure"}}, "dl.example.com", NextPackage, ""},
    {"no equals sign", {{"session"}}, "dl.example.com", NextPackage, ""},
    {"no name", {{"=1"}}, "dl.example.com", NextPackage, ""},
    {"control character", {{"s=1\r\nX-Injected: 1"}}, "dl.example.com", NextPackage, ""},
    {"over-long value", {{"s=" + std::string(5000, 'v')}}, "dl.example.com", NextPackage, ""},
    {"query is not part of the path",
     {{"s=1; Path=/Kolvera/2016/x.exe"}},
     "dl.example.com",
     "/Kolvera/2016/x.exe?v=2",
     "s=1"},
};

TEST(CookieJarTest, SendsACookieWhereItsDomainPathAndExpiryApply) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.Name);
        CookieJar jar;
        for (const SetCookie& set : c.Stored) {
            jar.Store(set.Value, set.Host, set.Target, Now);
        }
        EXPECT_EQ(jar.HeaderFor(c.Host, c.Target, Now + c.Later), c.Expected);
    }
}

TEST(CookieDateTest, ReadsTheFormatsServersSend) {
    const sys_seconds june2021 = sys_days{2021y / 6 / 9} + 10h + 18min + 14s;
    const sys_seconds nov1994 = sys_days{1994y / 11 / 6} + 8h + 49min + 37s;
    struct Case {
        std::string Text;
        std::optional<sys_seconds> Expected;
    };
    const Case cases[] = {
        {"Wed, 09 Jun 2021 10:18:14 GMT", june2021},
        {"Wednesday, 09-Jun-21 10:18:14 GMT", june2021},
        {"Wed Jun  9 10:18:14 2021", june2021},
        {"9 june 2021 10:18:14", june2021},
        {"Sun, 06 Nov 1994 08:49:37 GMT", nov1994},
        {"Sunday, 06-Nov-94 08:49:37 GMT", nov1994},
        {"Thu, 01 Jan 1970 00:00:00 GMT", sys_days{1970y / 1 / 1}},
        {"Fri, 31 Dec 2068 23:59:59 GMT", sys_days{2068y / 12 / 31} + 23h + 59min + 59s},
        {"Mon, 30 Feb 2021 10:00:00 GMT", std::nullopt},
        {"Mon, 32 Jan 2021 10:00:00 GMT", std::nullopt},
        {"Mon, 00 Jan 2021 10:00:00 GMT", std::nullopt},
        {"Mon, 01 Jan 2021 24:00:00 GMT", std::nullopt},
        {"Mon, 01 Jan 2021 10:60:00 GMT", std::nullopt},
        {"Mon, 01 Jan 1600 10:00:00 GMT", std::nullopt},
        {"Mon, 01 Jan 2021 GMT", std::nullopt},
        {"Mon, 01 2021 10:00:00 GMT", std::nullopt},
        {"Mon, 001 Jan 2021 10:00:00 GMT", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(ParseCookieDate(c.Text), c.Expected);
    }
}

} // namespace
