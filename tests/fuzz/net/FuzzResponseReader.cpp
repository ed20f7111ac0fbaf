// Feeds arbitrary bytes, cut where the fuzzer chooses, to the response reader, and checks what
// must hold whatever the server sends: no body before the caller has seen the head, never more
// body than announced, exactly the announced body once done, and no accepted head with a line
// over the limit.

#include "net/HttpResponseReader.h"
#include "net/TIdHTTP.h"

#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

namespace {

void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

bool HasBody(int status) {
    return status / 100 != 1 && status != 204 && status != 304;
}

// The lines of the first head in the bytes, as the reader must have measured them.
bool FirstHeadLinesFit(std::string_view bytes) {
    const std::size_t end = bytes.find("\r\n\r\n");
    std::string_view head = bytes.substr(0, end);
    while (!head.empty()) {
        const std::size_t lineEnd = head.find("\r\n");
        if (head.substr(0, lineEnd).size() > HttpResponseReader::MaxLineLength) {
            return false;
        }
        head = lineEnd == std::string_view::npos ? std::string_view{} : head.substr(lineEnd + 2);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    std::vector<std::size_t> pieces(provider.ConsumeIntegralInRange<std::size_t>(0, 8));
    for (std::size_t& piece : pieces) {
        piece = provider.ConsumeIntegralInRange<std::size_t>(0, 4096);
    }
    const bool endWithClose = provider.ConsumeBool();
    const std::string answer = provider.ConsumeRemainingBytesAsString();

    bool headSeen = false;
    std::uint64_t delivered = 0;
    HttpResponseReader reader([&](std::string_view block) {
        Require(headSeen && !block.empty());
        delivered += block.size();
    });
    try {
        std::string_view rest = answer;
        for (std::size_t piece : pieces) {
            reader.Feed(rest.substr(0, piece));
            rest.remove_prefix(std::min(piece, rest.size()));
            headSeen = reader.HeadDone();
        }
        reader.Feed(rest);
        headSeen = reader.HeadDone();
        reader.Feed({});
        if (endWithClose && !reader.Done()) {
            reader.FeedEof();
            Require(reader.Done());
        }
    } catch (const EIdHTTPError&) {
    }

    if (reader.HeadDone()) {
        Require(FirstHeadLinesFit(answer));
        const auto& length = reader.Head().ContentLength;
        Require(!length || delivered <= *length);
        if (reader.Done() && length && HasBody(reader.Head().Status)) {
            Require(delivered == *length);
        }
    } else {
        Require(delivered == 0);
    }
    return 0;
}
