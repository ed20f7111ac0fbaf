#pragma once
// Reads one answer to a GET from the bytes of its connection, as they arrive.
//
// Feed stops at the end of the final head (an interim 100 is read past) and holds the bytes
// that came after it, so the caller can judge the head before any of the body goes out; the
// next Feed (an empty one will do) hands them to the body sink, and so on, block by block,
// until Done. The body itself is never gathered here.
//
// Defined in TIdHTTP.cpp, the one file that compiles Boost, on top of Beast's parser.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the client judges an answer by, once its head is read.
struct HttpResponseHead {
    int Status = 0;
    bool HasLocation = false;
    std::optional<std::uint64_t> ContentLength;
    std::vector<std::string> SetCookies;
};

class HttpResponseReader {
public:
    // A status or header line of more characters (CR LF not counted) fails the answer.
    static constexpr std::size_t MaxLineLength = 16384;
    // The most a head, a chunk line or the trailer may take while incomplete.
    static constexpr std::size_t MaxHeldBytes = 1024 * 1024;

    using BodySink = std::function<void(std::string_view block)>;

    explicit HttpResponseReader(BodySink onBody);
    ~HttpResponseReader();
    HttpResponseReader(const HttpResponseReader&) = delete;
    HttpResponseReader& operator=(const HttpResponseReader&) = delete;

    // Throws EIdHTTPError when the bytes are no HTTP answer or a line is over-long.
    void Feed(std::string_view bytes);
    // The server has closed the connection: ends a body read to the close, or throws
    // EIdHTTPError when the answer is not complete.
    void FeedEof();

    bool GotSome() const { return gotSome_; }
    bool HeadDone() const { return headDone_; }
    bool Done() const;
    // Valid once HeadDone.
    const HttpResponseHead& Head() const { return head_; }
    // The connection may carry the next request: the answer is done, did not ask for the
    // connection to close, did not run to the close, and nothing came after it.
    bool LeavesConnectionReusable() const;

private:
    class Parser;

    void ReadHead();
    void ReadBody(std::string_view bytes);
    std::size_t PutBody(std::string_view bytes);
    void CheckLineLengths();
    void StartHead();

    BodySink onBody_;
    std::unique_ptr<Parser> parser_;
    HttpResponseHead head_;
    std::string held_;
    bool gotSome_ = false;
    bool headDone_ = false;
    bool surplus_ = false;
    bool waitingForMore_ = false; // the parser asked for more than held_ has
    // Where the line check has got to in held_, and the line it is in.
    std::size_t checked_ = 0;
    std::size_t lineLength_ = 0;
    bool lineEndsInCr_ = false;
    bool headEndSeen_ = false;
};
