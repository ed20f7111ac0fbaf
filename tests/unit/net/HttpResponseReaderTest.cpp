#include "net/HttpResponseReader.h"

#include "net/TIdHTTP.h"

#include <gtest/gtest.h>

namespace {

// Reads a whole answer fed in pieces of the given sizes (the rest in one last piece).
struct Fed {
    std::string Body;
    bool Done = false;
};

Fed FeedInPieces(std::string_view answer, const std::vector<std::size_t>& pieces, bool eof) {
    Fed fed;
    HttpResponseReader reader([&](std::string_view block) { fed.Body.append(block); });
    for (std::size_t size : pieces) {
        reader.Feed(answer.substr(0, size));
        answer.remove_prefix(std::min(size, answer.size()));
    }
    reader.Feed(answer);
    reader.Feed({});
    if (eof && !reader.Done()) {
        reader.FeedEof();
    }
    fed.Done = reader.Done();
    return fed;
}

struct Answer {
    const char* Name;
    std::string Bytes;
    std::string Body;
    bool EndsAtClose = false;
};

const Answer Answers[] = {
    {"content length", "HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\nhello world", "hello world"},
    {"chunked with extension and trailer",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
     "5;name=value\r\nhello\r\n6\r\n world\r\n0\r\nX-Trailer: t\r\n\r\n",
     "hello world"},
    {"last chunk alone, with a trailer",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0\r\nX-Trailer: t\r\n\r\n", ""},
    {"interim 100 first",
     "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", "ok"},
    {"to the close", "HTTP/1.1 200 OK\r\n\r\nuntil\r\n\r\nthe close", "until\r\n\r\nthe close",
     true},
};

TEST(HttpResponseReaderTest, AnyCutIntoPiecesReadsTheSameBody) {
    for (const Answer& answer : Answers) {
        SCOPED_TRACE(answer.Name);
        for (std::size_t cut = 0; cut <= answer.Bytes.size(); ++cut) {
            SCOPED_TRACE(cut);
            const Fed fed = FeedInPieces(answer.Bytes, {cut}, answer.EndsAtClose);
            EXPECT_TRUE(fed.Done);
            EXPECT_EQ(fed.Body, answer.Body);
        }
        const Fed byteByByte = FeedInPieces(
            answer.Bytes, std::vector<std::size_t>(answer.Bytes.size(), 1), answer.EndsAtClose);
        EXPECT_TRUE(byteByByte.Done);
        EXPECT_EQ(byteByByte.Body, answer.Body);
    }
}

TEST(HttpResponseReaderTest, HoldsTheBodyBackUntilTheHeadIsJudged) {
    std::string body;
    HttpResponseReader reader([&](std::string_view block) { body.append(block); });
    reader.Feed("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot here!");
    ASSERT_TRUE(reader.HeadDone());
    EXPECT_EQ(reader.Head().Status, 404);
    EXPECT_EQ(reader.Head().ContentLength, 9u);
    EXPECT_EQ(body, "");
    reader.Feed({});
    EXPECT_EQ(body, "not here!");
    EXPECT_TRUE(reader.Done());
}

TEST(HttpResponseReaderTest, HeadReportsLocationAndEveryCookie) {
    HttpResponseReader reader([](std::string_view) {});
    reader.Feed("HTTP/1.1 302 Found\r\nSet-Cookie: a=1\r\nLocation: /elsewhere\r\n"
                "set-cookie: b=2; Path=/\r\nContent-Length: 0\r\n\r\n");
    ASSERT_TRUE(reader.HeadDone());
    EXPECT_EQ(reader.Head().Status, 302);
    EXPECT_TRUE(reader.Head().HasLocation);
    EXPECT_EQ(reader.Head().SetCookies, (std::vector<std::string>{"a=1", "b=2; Path=/"}));
}

// The limit counts a line's characters without its CR LF, and holds however the line
// arrives; a body's lines have no limit.
TEST(HttpResponseReaderTest, StatusAndHeaderLinesEndAtTheLimit) {
    const std::size_t limit = HttpResponseReader::MaxLineLength;
    const auto statusLine = [](std::size_t length) {
        const std::string start = "HTTP/1.1 200 ";
        return start + std::string(length - start.size(), 'r');
    };
    const auto headerLine = [](std::size_t length) {
        const std::string start = "X-Pad: ";
        return start + std::string(length - start.size(), 'v');
    };
    struct Case {
        const char* Name;
        std::string Answer;
        bool Passes;
    };
    const std::string longBody(3 * limit, 'b');
    const Case cases[] = {
        {"status line at the limit", statusLine(limit) + "\r\nContent-Length: 2\r\n\r\nok", true},
        {"status line over it", statusLine(limit + 1) + "\r\nContent-Length: 2\r\n\r\nok", false},
        {"header line at the limit",
         "HTTP/1.1 200 OK\r\n" + headerLine(limit) + "\r\nContent-Length: 2\r\n\r\nok", true},
        {"header line over it",
         "HTTP/1.1 200 OK\r\n" + headerLine(limit + 1) + "\r\nContent-Length: 2\r\n\r\nok", false},
        {"after an interim 100",
         "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\n" + headerLine(limit + 1) +
             "\r\nContent-Length: 2\r\n\r\nok",
         false},
        {"long body line",
         "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(longBody.size()) + "\r\n\r\n" +
             longBody,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        for (std::size_t piece : {c.Answer.size(), std::size_t{1000}, std::size_t{1}}) {
            SCOPED_TRACE(piece);
            const std::vector<std::size_t> pieces(c.Answer.size() / piece, piece);
            if (c.Passes) {
                EXPECT_TRUE(FeedInPieces(c.Answer, pieces, false).Done);
            } else {
                EXPECT_THROW(FeedInPieces(c.Answer, pieces, false), EIdHTTPError);
            }
        }
    }
}

TEST(HttpResponseReaderTest, OverLongLineFailsBeforeItEnds) {
    HttpResponseReader reader([](std::string_view) {});
    reader.Feed("HTTP/1.1 200 OK\r\nX-Pad: ");
    EXPECT_THROW(reader.Feed(std::string(HttpResponseReader::MaxLineLength, 'v')), EIdHTTPError);
}

TEST(HttpResponseReaderTest, EndOfFileBeforeTheEndIsAFailure) {
    const std::string cases[] = {
        "",
        "HTTP/1.1 200 OK\r\nContent-Le",
        "HTTP/1.1 100 Continue\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel",
    };
    for (const std::string& answer : cases) {
        SCOPED_TRACE(answer);
        EXPECT_THROW(FeedInPieces(answer, {}, true), EIdHTTPError);
    }
}

TEST(HttpResponseReaderTest, MalformedAnswersFail) {
    const std::string cases[] = {
        "SSH-2.0-OpenSSH\r\n\r\n",
        "HTTP/1.1 2000 OK\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: x\r\n\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
    };
    for (const std::string& answer : cases) {
        SCOPED_TRACE(answer);
        EXPECT_THROW(FeedInPieces(answer, {}, false), EIdHTTPError);
    }
}

TEST(HttpResponseReaderTest, ConnectionIsReusableOnlyAfterAClearEnd) {
    struct Case {
        std::string Answer;
        bool Reusable;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", true},
        {"HTTP/1.1 204 No Content\r\n\r\n", true},
        {"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 2\r\n\r\nok", false},
        {"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok", false},
        {"HTTP/1.0 200 OK\r\nConnection: keep-alive\r\nContent-Length: 2\r\n\r\nok", true},
        {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nokHTTP/1.1 200 OK\r\n", false},
        {"HTTP/1.1 204 No Content\r\n\r\nextra", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Answer);
        HttpResponseReader reader([](std::string_view) {});
        reader.Feed(c.Answer);
        reader.Feed({});
        ASSERT_TRUE(reader.Done());
        EXPECT_EQ(reader.LeavesConnectionReusable(), c.Reusable);
    }
}

} // namespace
