#pragma once
// The forgiving date reading that browsers apply to a cookie's Expires attribute: the time,
// day, month and year are picked out of the tokens in any order, whatever separates them.

#include <chrono>
#include <optional>
#include <string_view>

// Empty when a part is missing or the date does not exist.
std::optional<std::chrono::sys_seconds> ParseCookieDate(std::string_view text);
