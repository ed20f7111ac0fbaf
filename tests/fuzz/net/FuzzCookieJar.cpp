// Stores arbitrary Set-Cookie values and checks the Cookie header that comes back can never
// carry a control character that would end or split it (a tab is a legal header character)
// and names only cookies that were offered.

#include "net/CookieDate.h"
#include "net/CookieJar.h"

#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && byte != '\t') || byte == 0x7F;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace std::chrono;
    FuzzedDataProvider provider(data, size);
    const CookieJar::Clock::time_point now = sys_days{2026y / 3 / 14};
    const std::string host = provider.ConsumeRandomLengthString(64);
    const std::string target = provider.ConsumeRandomLengthString(128);
    const std::string laterTarget = provider.ConsumeRandomLengthString(128);

    CookieJar jar;
    bool offered = false;
    while (provider.remaining_bytes() > 0) {
        const std::string setCookie = provider.ConsumeRandomLengthString(1024);
        offered = offered || !setCookie.empty();
        ParseCookieDate(setCookie);
        jar.Store(setCookie, host, target, now);
    }
    const std::string header = jar.HeaderFor(host, laterTarget, now + seconds{30});
    Require(std::none_of(header.begin(), header.end(), IsControl));
    Require(header.empty() || offered);
    return 0;
}
