#include "net/CookieDate.h"

#include <array>
#include <cctype>
#include <vector>

namespace {

struct TimeOfDay {
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};

struct DateParts {
    std::optional<TimeOfDay> Time;
    std::optional<int> Day;
    std::optional<int> Month; // 1 to 12
    std::optional<int> Year;
};

bool IsDelimiter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte == 0x09 || (byte >= 0x20 && byte <= 0x2F) || (byte >= 0x3B && byte <= 0x40) ||
           (byte >= 0x5B && byte <= 0x60) || (byte >= 0x7B && byte <= 0x7E);
}

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsDelimiter(text[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && !IsDelimiter(text[i])) {
            ++i;
        }
        if (i > start) {
            tokens.push_back(text.substr(start, i - start));
        }
    }
    return tokens;
}

// Reads minDigits..maxDigits digits at `pos`; what follows must not be a digit.
std::optional<int> ReadNumber(std::string_view token, std::size_t& pos, std::size_t minDigits,
                              std::size_t maxDigits) {
    std::size_t count = 0;
    int value = 0;
    while (pos + count < token.size() && IsDigit(token[pos + count])) {
        if (++count > maxDigits) {
            return std::nullopt;
        }
        value = value * 10 + (token[pos + count - 1] - '0');
    }
    if (count < minDigits) {
        return std::nullopt;
    }
    pos += count;
    return value;
}

std::optional<int> LeadingNumber(std::string_view token, std::size_t minDigits,
                                 std::size_t maxDigits) {
    std::size_t pos = 0;
    return ReadNumber(token, pos, minDigits, maxDigits);
}

std::optional<TimeOfDay> ReadTime(std::string_view token) {
    std::size_t pos = 0;
    std::array<int, 3> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            if (pos >= token.size() || token[pos] != ':') {
                return std::nullopt;
            }
            ++pos;
        }
        const std::optional<int> field = ReadNumber(token, pos, 1, 2);
        if (!field) {
            return std::nullopt;
        }
        fields[i] = *field;
    }
    return TimeOfDay{fields[0], fields[1], fields[2]};
}

std::optional<int> ReadMonth(std::string_view token) {
    static constexpr std::array<std::string_view, 12> Names = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (token.size() < 3) {
        return std::nullopt;
    }
    std::array<char, 3> prefix{};
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        prefix[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(token[i])));
    }
    for (std::size_t i = 0; i < Names.size(); ++i) {
        if (std::string_view(prefix.data(), prefix.size()) == Names[i]) {
            return static_cast<int>(i) + 1;
        }
    }
    return std::nullopt;
}

void TakeToken(std::string_view token, DateParts& parts) {
    if (!parts.Time) {
        if ((parts.Time = ReadTime(token))) {
            return;
        }
    }
    if (!parts.Day) {
        if ((parts.Day = LeadingNumber(token, 1, 2))) {
            return;
        }
    }
    if (!parts.Month) {
        if ((parts.Month = ReadMonth(token))) {
            return;
        }
    }
    if (!parts.Year) {
        parts.Year = LeadingNumber(token, 2, 4);
    }
}

int FullYear(int year) {
    if (year >= 70 && year <= 99) {
        return year + 1900;
    }
    if (year >= 0 && year <= 69) {
        return year + 2000;
    }
    return year;
}

} // namespace

std::optional<std::chrono::sys_seconds> ParseCookieDate(std::string_view text) {
    DateParts parts;
    for (std::string_view token : Tokens(text)) {
        TakeToken(token, parts);
    }
    if (!parts.Time || !parts.Day || !parts.Month || !parts.Year) {
        return std::nullopt;
    }
    const int year = FullYear(*parts.Year);
    const TimeOfDay time = *parts.Time;
    if (year < 1601 || time.Hour > 23 || time.Minute > 59 || time.Second > 59) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year{year},
                                           std::chrono::month{static_cast<unsigned>(*parts.Month)},
                                           std::chrono::day{static_cast<unsigned>(*parts.Day)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    return std::chrono::sys_days{date} + std::chrono::hours{time.Hour} +
           std::chrono::minutes{time.Minute} + std::chrono::seconds{time.Second};
}
