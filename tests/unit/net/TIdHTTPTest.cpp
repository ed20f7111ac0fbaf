#include "net/TIdHTTP.h"

#include "tests/unit/net/LoopbackServer.h"

#include <gtest/gtest.h>

namespace {

using Reply = LoopbackServer::Reply;
using Then = LoopbackServer::Then;

const std::string PackagePath = "/Kolvera/2016/";
const std::string Packages[] = {"dotnetfx35.exe", "Windows6.0-KB968930-x64.msu",
                                "SQLEXPR_x64_ENU.exe"};

std::string Ok(std::string_view body, std::string_view headers = "") {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
           std::string(headers) + "\r\n" + std::string(body);
}

std::string Fetch(TIdHTTP& client, const std::string& url) {
    std::string body;
    client.Get(url, [&](std::string_view block) { body.append(block); });
    return body;
}

std::string ExpectedRequest(const LoopbackServer& server, const std::string& file,
                            std::string_view cookieLine = "") {
    return "GET " + PackagePath + file +
           " HTTP/1.1\r\n"
           "Content-Type: text/html\r\n"
           "Host: 127.0.0.1:" +
           std::to_string(server.Port()) +
           "\r\n"
           "Accept: text/html, */*\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n" +
           std::string(cookieLine) + "\r\n";
}

class TIdHTTPTest : public testing::Test {
protected:
    // A failed test must not wait a minute on a server that has stopped answering.
    TIdHTTPTest() { client.ReadTimeout = std::chrono::seconds{5}; }

    std::string FetchPackage(const LoopbackServer& server, const std::string& file) {
        return Fetch(client, server.Url(PackagePath + file));
    }

    TIdHTTP client;
};

TEST_F(TIdHTTPTest, RequestIsExactlyTheseBytes) {
    LoopbackServer server({{Ok("1")}, {Ok("2")}, {Ok("3")}});
    for (const std::string& file : Packages) {
        FetchPackage(server, file);
    }
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i], ExpectedRequest(server, Packages[i]));
    }
}

TEST_F(TIdHTTPTest, SuccessfulAnswersDeliverTheirBody) {
    const std::string big(200 * 1024 + 7, 'z');
    struct Case {
        const char* Name;
        Reply Answer;
        std::string Body;
    };
    const Case cases[] = {
        {"content length", {Ok("hello")}, "hello"},
        {"larger than the read buffer", {Ok(big)}, big},
        {"chunked",
         {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
          "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n"},
         "hello world"},
        {"until the close",
         {"HTTP/1.1 200 OK\r\n\r\nuntil the close", Then::Close},
         "until the close"},
        {"204", {"HTTP/1.1 204 No Content\r\n\r\n"}, ""},
        {"empty 200", {Ok("")}, ""},
        {"another 2xx", {"HTTP/1.1 203 Non-Authoritative\r\nContent-Length: 2\r\n\r\nok"}, "ok"},
        {"100 then 200", {"HTTP/1.1 100 Continue\r\n\r\n" + Ok("after")}, "after"},
        {"status line of the most characters",
         {"HTTP/1.1 200 " + std::string(16384 - 13, 'r') + "\r\nContent-Length: 2\r\n\r\nok"},
         "ok"},
        {"header line of the most characters",
         {Ok("ok", "X-Pad: " + std::string(16384 - 7, 'v') + "\r\n")},
         "ok"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        LoopbackServer server({c.Answer});
        EXPECT_EQ(FetchPackage(server, Packages[0]), c.Body);
    }
}

TEST_F(TIdHTTPTest, FailingAnswersThrowAndKeepTheirBodyBack) {
    const std::string page = "<html>error</html>";
    struct Case {
        const char* Name;
        Reply Answer;
        std::string Delivered;
    };
    const Case cases[] = {
        {"404", {"HTTP/1.1 404 Not Found\r\nContent-Length: 18\r\n\r\n" + page}, ""},
        {"500", {"HTTP/1.1 500 Internal Server Error\r\nContent-Length: 18\r\n\r\n" + page}, ""},
        {"401",
         {"HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic\r\nContent-Length: 0\r\n\r\n"},
         ""},
        {"407", {"HTTP/1.1 407 Proxy Authentication Required\r\nContent-Length: 0\r\n\r\n"}, ""},
        {"301",
         {"HTTP/1.1 301 Moved Permanently\r\nLocation: http://elsewhere/\r\n"
          "Content-Length: 18\r\n\r\n" +
          page},
         ""},
        {"302", {"HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 0\r\n\r\n"}, ""},
        {"200 with a Location", {Ok("body", "Location: /elsewhere\r\n")}, ""},
        {"304", {"HTTP/1.1 304 Not Modified\r\n\r\n"}, ""},
        {"status line over the limit",
         {"HTTP/1.1 200 " + std::string(16384 - 12, 'r') + "\r\nContent-Length: 2\r\n\r\nok"},
         ""},
        {"header line over the limit",
         {Ok("ok", "X-Pad: " + std::string(16384 - 6, 'v') + "\r\n")},
         ""},
        {"cut short of its length",
         {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello", Then::Close},
         "hello"},
        {"chunked without its last chunk",
         {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n", Then::Close},
         "hello"},
        {"not http", {"SSH-2.0-OpenSSH_9.2\r\n\r\n", Then::Close}, ""},
        {"closed without an answer", {"", Then::Close}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        LoopbackServer server({c.Answer});
        std::string delivered;
        EXPECT_THROW(client.Get(server.Url(PackagePath + Packages[0]),
                                [&](std::string_view block) { delivered.append(block); }),
                     EIdHTTPError);
        EXPECT_EQ(delivered, c.Delivered);
    }
}

TEST_F(TIdHTTPTest, ServerThatStopsTalkingRunsIntoTheReadTimeout) {
    client.ReadTimeout = std::chrono::milliseconds{200};
    const Reply cases[] = {
        {"", Then::Hold},
        {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello", Then::Hold},
    };
    for (const Reply& reply : cases) {
        SCOPED_TRACE(reply.Bytes);
        LoopbackServer server({reply});
        EXPECT_THROW(FetchPackage(server, Packages[0]), EIdHTTPError);
    }
}

TEST_F(TIdHTTPTest, KeptConnectionCarriesAllThreeDownloads) {
    LoopbackServer server({{Ok("one")}, {Ok("two")}, {Ok("three")}});
    EXPECT_EQ(FetchPackage(server, Packages[0]), "one");
    EXPECT_EQ(FetchPackage(server, Packages[1]), "two");
    EXPECT_EQ(FetchPackage(server, Packages[2]), "three");
    EXPECT_EQ(server.Accepts(), 1);
}

TEST_F(TIdHTTPTest, ConnectionTheServerClosedIsReplacedBeforeTheRequest) {
    LoopbackServer server({{Ok("one"), Then::Close}, {Ok("two")}});
    EXPECT_EQ(FetchPackage(server, Packages[0]), "one");
    ASSERT_TRUE(server.WaitForClosedConnections(1));
    EXPECT_EQ(FetchPackage(server, Packages[1]), "two");
    EXPECT_EQ(server.Accepts(), 2);
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST_F(TIdHTTPTest, KeptConnectionDroppedOnTheRequestIsRetriedOnce) {
    LoopbackServer server({{Ok("one")}, {"", Then::Close}, {Ok("two")}});
    EXPECT_EQ(FetchPackage(server, Packages[0]), "one");
    EXPECT_EQ(FetchPackage(server, Packages[1]), "two");
    EXPECT_EQ(server.Accepts(), 2);
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[2], requests[1]);
}

TEST_F(TIdHTTPTest, NewConnectionDroppedWithoutAnswerIsNotRetried) {
    LoopbackServer server({{"", Then::Close}, {Ok("would be the retry")}});
    EXPECT_THROW(FetchPackage(server, Packages[0]), EIdHTTPError);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(TIdHTTPTest, ConnectionCloseIsHonoured) {
    LoopbackServer server({{Ok("one", "Connection: close\r\n")}, {Ok("two")}});
    EXPECT_EQ(FetchPackage(server, Packages[0]), "one");
    EXPECT_EQ(FetchPackage(server, Packages[1]), "two");
    EXPECT_EQ(server.Accepts(), 2);
}

TEST_F(TIdHTTPTest, FailedAnswerDoesNotLeaveItsConnectionForTheNext) {
    LoopbackServer server(
        {{"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot here!"}, {Ok("two")}});
    EXPECT_THROW(FetchPackage(server, Packages[0]), EIdHTTPError);
    EXPECT_EQ(FetchPackage(server, Packages[1]), "two");
    EXPECT_EQ(server.Accepts(), 2);
}

TEST_F(TIdHTTPTest, CookieFromTheFirstAnswerGoesWithTheNextRequests) {
    LoopbackServer server(
        {{Ok("one", "Set-Cookie: session=abc\r\n"
                    "Set-Cookie: elsewhere=1; Path=/other\r\n"
                    "Set-Cookie: stale=1; Expires=Thu, 01 Jan 1998 00:00:00 GMT\r\n")},
         {Ok("two")},
         {Ok("three")}});
    for (const std::string& file : Packages) {
        FetchPackage(server, file);
    }
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0], ExpectedRequest(server, Packages[0]));
    EXPECT_EQ(requests[1], ExpectedRequest(server, Packages[1], "Cookie: session=abc\r\n"));
    EXPECT_EQ(requests[2], ExpectedRequest(server, Packages[2], "Cookie: session=abc\r\n"));
}

TEST_F(TIdHTTPTest, CookieOutlivesAnotherConnection) {
    LoopbackServer server(
        {{Ok("one", "Connection: close\r\nSet-Cookie: s=1; Path=/\r\n")}, {Ok("two")}});
    FetchPackage(server, Packages[0]);
    FetchPackage(server, Packages[1]);
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1], ExpectedRequest(server, Packages[1], "Cookie: s=1\r\n"));
}

// Work events bracket the body: begin, a work after each block with the running count, end;
// the end comes also when the body breaks off, and nothing comes for an answer without one.
class WorkEventsTest : public TIdHTTPTest {
protected:
    WorkEventsTest() {
        client.OnWorkBegin = [this](TIdHTTP& sender, TWorkMode mode, std::int32_t max) {
            Check(sender, mode);
            events.push_back("begin " + std::to_string(max));
        };
        client.OnWork = [this](TIdHTTP& sender, TWorkMode mode, std::int32_t count) {
            Check(sender, mode);
            events.push_back("work " + std::to_string(count));
        };
        client.OnWorkEnd = [this](TIdHTTP& sender, TWorkMode mode) {
            Check(sender, mode);
            events.push_back("end");
        };
    }

    void Get(const LoopbackServer& server) {
        received = 0;
        client.Get(server.Url(PackagePath + Packages[0]), [&](std::string_view block) {
            received += block.size();
            events.push_back("block " + std::to_string(received));
        });
    }

    // "begin <max>", then pairs of "block n" and "work n" with n growing to `total`, "end".
    void ExpectBracketedBody(std::int32_t max, std::size_t total) const {
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(events.front(), "begin " + std::to_string(max));
        EXPECT_EQ(events.back(), "end");
        std::size_t last = 0;
        for (std::size_t i = 1; i + 1 < events.size(); i += 2) {
            ASSERT_LT(i + 1, events.size() - 1) << "a block without its work event";
            const std::size_t count = std::stoul(events[i].substr(6));
            EXPECT_GT(count, last);
            EXPECT_EQ(events[i], "block " + std::to_string(count));
            EXPECT_EQ(events[i + 1], "work " + std::to_string(count));
            last = count;
        }
        EXPECT_EQ(last, total);
    }

    void Check(TIdHTTP& sender, TWorkMode mode) const {
        EXPECT_EQ(&sender, &client);
        EXPECT_EQ(mode, TWorkMode::wmRead);
    }

    std::vector<std::string> events;
    std::size_t received = 0;
};

TEST_F(WorkEventsTest, BracketTheWholeBody) {
    const std::string body(300 * 1024, 'b');
    LoopbackServer server({{Ok(body)}});
    Get(server);
    ExpectBracketedBody(static_cast<std::int32_t>(body.size()), body.size());
    EXPECT_GT(events.size(), 2u + 2 * 4) << "the body comes in blocks of the read buffer";
}

TEST_F(WorkEventsTest, BeginWithoutALengthCountsNothing) {
    LoopbackServer server({{"HTTP/1.1 200 OK\r\n\r\nto the close", Then::Close}});
    Get(server);
    ExpectBracketedBody(0, 12);
}

TEST_F(WorkEventsTest, EndAlsoWhenTheBodyBreaksOff) {
    LoopbackServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello", Then::Close}});
    EXPECT_THROW(Get(server), EIdHTTPError);
    ExpectBracketedBody(10, 5);
}

TEST_F(WorkEventsTest, NoneForAnAnswerWithoutABody) {
    const Reply cases[] = {
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot here!"},
        {"HTTP/1.1 204 No Content\r\n\r\n"},
        {"", Then::Close},
    };
    for (const Reply& reply : cases) {
        SCOPED_TRACE(reply.Bytes);
        events.clear();
        LoopbackServer server({reply});
        try {
            Get(server);
        } catch (const EIdHTTPError&) {
        }
        EXPECT_TRUE(events.empty());
    }
}

TEST(TIdHTTPConnectTest, RefusedConnectionThrows) {
    std::string url;
    {
        LoopbackServer server({});
        url = server.Url("/Kolvera/2016/dotnetfx35.exe");
    }
    TIdHTTP client;
    EXPECT_THROW(client.Get(url, [](std::string_view) {}), EIdHTTPError);
}

} // namespace
