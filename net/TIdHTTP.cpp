// The one file that compiles Boost: the socket under TIdHTTP (Asio) and the parser under
// HttpResponseReader (Beast). Nothing else in the program sees either.

#include "net/TIdHTTP.h"

#include "net/HttpRequest.h"
#include "net/HttpResponseReader.h"
#include "net/HttpUrl.h"

#include <algorithm>
#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/basic_parser.hpp>
#include <boost/beast/http/error.hpp>
#include <limits>
#include <optional>
#include <vector>

namespace asio = boost::asio;
namespace http = boost::beast::http;
using boost::system::error_code;
using tcp = asio::ip::tcp;

namespace {

// The body passes through this buffer a block at a time; it is never held whole.
constexpr std::size_t ReadBufferSize = 64 * 1024;

// Beast asserts that a chunk line it asked more bytes for comes back at least this long (it
// assumes a last chunk "0\r\n\r\n"); a last chunk that opens the body, with a trailer, can
// arrive in shorter pieces. Whatever a chunked body still lacks is at least this long, so
// waiting for these bytes never stalls a complete answer.
constexpr std::size_t MinBytesToRetry = 5;

// The server went away before it answered: on a kept connection the request is worth one
// more try on a new connection.
class ConnectionLost : public EIdHTTPError {
public:
    using EIdHTTPError::EIdHTTPError;
};

std::string Explained(std::string_view what, const error_code& ec) {
    return std::string(what) + ": " + ec.message();
}

EIdHTTPError MalformedAnswer(const error_code& ec) {
    return EIdHTTPError(Explained("Malformed answer", ec));
}

EIdHTTPError LineTooLong() {
    return EIdHTTPError("Answer line longer than " +
                        std::to_string(HttpResponseReader::MaxLineLength) + " characters");
}

EIdHTTPError TooMuchHeld() {
    return EIdHTTPError("Answer line or head too large");
}

EIdHTTPError CutShort() {
    return EIdHTTPError("Connection closed before the answer was complete");
}

ConnectionLost ClosedWithoutAnswer() {
    return ConnectionLost("Connection closed without an answer");
}

EIdHTTPError ReadTimedOut() {
    return EIdHTTPError("Read timed out");
}

bool IsLost(const error_code& ec) {
    return ec == asio::error::eof || ec == asio::error::connection_reset ||
           ec == asio::error::connection_aborted || ec == asio::error::broken_pipe ||
           ec == asio::error::shut_down;
}

std::string_view ToStd(boost::beast::string_view text) {
    return {text.data(), text.size()};
}

std::int32_t WorkCount(std::uint64_t bytes) {
    return static_cast<std::int32_t>(
        std::min<std::uint64_t>(bytes, std::numeric_limits<std::int32_t>::max()));
}

void CheckStatus(const HttpResponseHead& head) {
    const bool redirect =
        head.HasLocation || (head.Status >= 300 && head.Status <= 399 && head.Status != 304);
    if (redirect) {
        throw EIdHTTPError("Redirect not followed: HTTP " + std::to_string(head.Status));
    }
    if (head.Status < 200 || head.Status > 299) {
        throw EIdHTTPError("HTTP " + std::to_string(head.Status));
    }
}

} // namespace

// ---- HttpResponseReader -------------------------------------------------------------------

class HttpResponseReader::Parser : public http::basic_parser<false> {
public:
    Parser(HttpResponseHead& head, const BodySink& onBody) : head_(head), onBody_(onBody) {
        header_limit(MaxHeldBytes);
        // No limit; not boost::none, which this Beast compares a Content-Length against as
        // if it were a limit of zero.
        body_limit(std::numeric_limits<std::uint64_t>::max());
    }

private:
    void on_request_impl(http::verb, boost::beast::string_view, boost::beast::string_view, int,
                         error_code&) override {}

    void on_response_impl(int code, boost::beast::string_view, int, error_code&) override {
        head_.Status = code;
    }

    void on_field_impl(http::field name, boost::beast::string_view, boost::beast::string_view value,
                       error_code&) override {
        if (name == http::field::location) {
            head_.HasLocation = true;
        } else if (name == http::field::set_cookie) {
            head_.SetCookies.emplace_back(ToStd(value));
        }
    }

    void on_header_impl(error_code&) override {}

    void on_body_init_impl(const boost::optional<std::uint64_t>&, error_code&) override {}

    std::size_t on_body_impl(boost::beast::string_view body, error_code&) override {
        Deliver(body);
        return body.size();
    }

    void on_chunk_header_impl(std::uint64_t, boost::beast::string_view, error_code&) override {}

    std::size_t on_chunk_body_impl(std::uint64_t, boost::beast::string_view body,
                                   error_code&) override {
        Deliver(body);
        return body.size();
    }

    void on_finish_impl(error_code&) override {}

    void Deliver(boost::beast::string_view block) {
        if (!block.empty()) {
            onBody_(ToStd(block));
        }
    }

    HttpResponseHead& head_;
    const BodySink& onBody_;
};

HttpResponseReader::HttpResponseReader(BodySink onBody) : onBody_(std::move(onBody)) {
    StartHead();
}

HttpResponseReader::~HttpResponseReader() = default;

void HttpResponseReader::StartHead() {
    head_ = {};
    parser_ = std::make_unique<Parser>(head_, onBody_);
    checked_ = 0;
    lineLength_ = 0;
    lineEndsInCr_ = false;
    headEndSeen_ = false;
}

void HttpResponseReader::Feed(std::string_view bytes) {
    gotSome_ = gotSome_ || !bytes.empty();
    if (headDone_) {
        ReadBody(bytes);
        return;
    }
    held_.append(bytes);
    ReadHead();
}

void HttpResponseReader::FeedEof() {
    if (!headDone_) {
        throw CutShort();
    }
    error_code ec;
    parser_->put_eof(ec);
    if (ec) {
        throw CutShort();
    }
}

bool HttpResponseReader::Done() const {
    return headDone_ && parser_->is_done();
}

bool HttpResponseReader::LeavesConnectionReusable() const {
    return Done() && parser_->keep_alive() && !surplus_ && held_.empty();
}

void HttpResponseReader::ReadHead() {
    while (!held_.empty()) {
        CheckLineLengths();
        error_code ec;
        // Even when it needs more, the parser may have taken the status line.
        const std::size_t used = parser_->put(asio::buffer(held_), ec);
        if (ec && ec != http::error::need_more) {
            throw MalformedAnswer(ec);
        }
        held_.erase(0, used);
        checked_ -= used;
        if (ec) {
            return;
        }
        if (head_.Status != 100) {
            const auto length = parser_->content_length();
            head_.ContentLength = length ? std::optional<std::uint64_t>(*length) : std::nullopt;
            headDone_ = true;
            return;
        }
        StartHead();
    }
}

// Beast has no limit per line, only per head, so the lines are measured here, as they come:
// an over-long one fails before the rest of it has arrived.
void HttpResponseReader::CheckLineLengths() {
    for (; checked_ < held_.size() && !headEndSeen_; ++checked_) {
        const char c = held_[checked_];
        if (lineEndsInCr_ && c == '\n') {
            headEndSeen_ = lineLength_ == 0;
            lineLength_ = 0;
            lineEndsInCr_ = false;
            continue;
        }
        if (lineEndsInCr_) {
            ++lineLength_; // the CR belongs to the line after all
        }
        lineEndsInCr_ = c == '\r';
        if (!lineEndsInCr_) {
            ++lineLength_;
        }
        if (lineLength_ > MaxLineLength) {
            throw LineTooLong();
        }
    }
}

void HttpResponseReader::ReadBody(std::string_view bytes) {
    if (held_.empty()) {
        held_.assign(bytes.substr(PutBody(bytes)));
    } else {
        held_.append(bytes);
        if (waitingForMore_ && held_.size() < MinBytesToRetry) {
            return;
        }
        held_.erase(0, PutBody(held_));
    }
    if (Done()) {
        surplus_ = surplus_ || !held_.empty();
        held_.clear();
    } else if (held_.size() > MaxHeldBytes) {
        throw TooMuchHeld();
    }
}

// Returns how many bytes the parser took; a chunk line it has only part of stays behind.
std::size_t HttpResponseReader::PutBody(std::string_view bytes) {
    std::size_t used = 0;
    waitingForMore_ = false;
    while (used < bytes.size() && !parser_->is_done()) {
        error_code ec;
        used += parser_->put(asio::buffer(bytes.data() + used, bytes.size() - used), ec);
        if (ec == http::error::need_more) {
            waitingForMore_ = true;
            break;
        }
        if (ec) {
            throw MalformedAnswer(ec);
        }
    }
    return used;
}

// ---- TIdHTTP::Connection ------------------------------------------------------------------

class TIdHTTP::Connection {
public:
    Connection() : buffer_(ReadBufferSize) {}

    bool IsOpenTo(const HttpUrl& url) const {
        return socket_.is_open() && host_ == url.Host && port_ == url.Port;
    }

    // Resolving and connecting block, bounded only by the system's own limits.
    void Open(const HttpUrl& url) {
        Close();
        error_code ec;
        tcp::resolver resolver(io_);
        const auto endpoints = resolver.resolve(url.Host, std::to_string(url.Port),
                                                tcp::resolver::numeric_service, ec);
        if (ec) {
            throw EIdHTTPError(Explained("Could not resolve " + url.Host, ec));
        }
        asio::connect(socket_, endpoints, ec);
        if (ec) {
            throw EIdHTTPError(
                Explained("Could not connect to " + url.Host + ":" + std::to_string(url.Port), ec));
        }
        host_ = url.Host;
        port_ = url.Port;
    }

    void Close() {
        error_code ignored;
        socket_.close(ignored);
    }

    // Looks without waiting: a kept connection is only good while nothing is waiting on it,
    // neither the server's close nor bytes no request asked for.
    bool ClosedByPeer() {
        error_code ec;
        socket_.non_blocking(true, ec);
        char byte = 0;
        socket_.receive(asio::buffer(&byte, 1), tcp::socket::message_peek, ec);
        const bool idle = ec == asio::error::would_block;
        error_code ignored;
        socket_.non_blocking(false, ignored);
        return !idle;
    }

    void Send(std::string_view bytes) {
        error_code ec;
        asio::write(socket_, asio::buffer(bytes.data(), bytes.size()), ec);
        if (IsLost(ec)) {
            throw ConnectionLost(Explained("Connection lost", ec));
        }
        if (ec) {
            throw EIdHTTPError(Explained("Could not send the request", ec));
        }
    }

    // The bytes that came, or none when the server closed the connection.
    std::string_view ReadSome(std::chrono::milliseconds limit) {
        std::optional<error_code> outcome;
        std::size_t got = 0;
        socket_.async_read_some(asio::buffer(buffer_), [&](const error_code& ec, std::size_t n) {
            outcome = ec;
            got = n;
        });
        io_.restart();
        io_.run_for(limit);
        if (!outcome) {
            Close();
            // The cancelled read still completes; it must before its captures go away.
            io_.restart();
            io_.run();
            throw ReadTimedOut();
        }
        if (*outcome == asio::error::eof) {
            return {};
        }
        if (IsLost(*outcome)) {
            throw ConnectionLost(Explained("Connection lost", *outcome));
        }
        if (*outcome) {
            throw EIdHTTPError(Explained("Read failed", *outcome));
        }
        return {buffer_.data(), got};
    }

private:
    asio::io_context io_{1};
    tcp::socket socket_{io_};
    std::string host_;
    std::uint16_t port_ = 0;
    std::vector<char> buffer_;
};

// ---- TIdHTTP ------------------------------------------------------------------------------

TIdHTTP::TIdHTTP() : connection_(std::make_unique<Connection>()) {}

TIdHTTP::~TIdHTTP() = default;

void TIdHTTP::Get(const std::string& url,
                  const std::function<void(std::string_view block)>& onBody) {
    const HttpUrl target = ParseHttpUrl(url);
    const std::string request = FormatGetRequest(
        target, cookies_.HeaderFor(target.Host, target.Target, CookieJar::Clock::now()));
    std::uint64_t received = 0;
    HttpResponseReader reader([&](std::string_view block) {
        onBody(block);
        received += block.size();
        if (OnWork) {
            OnWork(*this, TWorkMode::wmRead, WorkCount(received));
        }
    });
    try {
        SendAndReadHead(target, request, reader);
        KeepCookies(target, reader.Head());
        CheckStatus(reader.Head());
        ReadBody(reader);
    } catch (...) {
        connection_->Close();
        throw;
    }
    if (!reader.LeavesConnectionReusable()) {
        connection_->Close();
    }
}

void TIdHTTP::SendAndReadHead(const HttpUrl& url, const std::string& request,
                              HttpResponseReader& reader) {
    const bool reused = ReuseOrConnect(url);
    try {
        connection_->Send(request);
        ReadHead(reader);
    } catch (const ConnectionLost&) {
        // A server may drop an idle connection just as the request goes out.
        if (!reused || reader.GotSome()) {
            throw;
        }
        connection_->Open(url);
        connection_->Send(request);
        ReadHead(reader);
    }
}

// Returns whether the request goes out on the connection kept from the last one.
bool TIdHTTP::ReuseOrConnect(const HttpUrl& url) {
    if (connection_->IsOpenTo(url) && !connection_->ClosedByPeer()) {
        return true;
    }
    connection_->Open(url);
    return false;
}

void TIdHTTP::ReadHead(HttpResponseReader& reader) {
    while (!reader.HeadDone()) {
        const std::string_view bytes = connection_->ReadSome(ReadTimeout);
        if (!bytes.empty()) {
            reader.Feed(bytes);
        } else if (!reader.GotSome()) {
            throw ClosedWithoutAnswer();
        } else {
            reader.FeedEof(); // throws: the head is not complete
        }
    }
}

void TIdHTTP::KeepCookies(const HttpUrl& url, const HttpResponseHead& head) {
    const auto now = CookieJar::Clock::now();
    for (const std::string& setCookie : head.SetCookies) {
        cookies_.Store(setCookie, url.Host, url.Target, now);
    }
}

void TIdHTTP::ReadBody(HttpResponseReader& reader) {
    if (reader.Done()) {
        return; // a 204 or an empty body: nothing to read
    }
    if (OnWorkBegin) {
        OnWorkBegin(*this, TWorkMode::wmRead, WorkCount(reader.Head().ContentLength.value_or(0)));
    }
    try {
        reader.Feed({}); // what came with the head
        while (!reader.Done()) {
            const std::string_view bytes = connection_->ReadSome(ReadTimeout);
            if (bytes.empty()) {
                reader.FeedEof();
            } else {
                reader.Feed(bytes);
            }
        }
    } catch (...) {
        EndWork();
        throw;
    }
    EndWork();
}

void TIdHTTP::EndWork() {
    if (OnWorkEnd) {
        OnWorkEnd(*this, TWorkMode::wmRead);
    }
}
