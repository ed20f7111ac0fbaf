#pragma once
// Just enough JSON to read what the SQL Server stand-in writes: its batch log and the answers
// of its inspection tool.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    bool IsNull() const { return kind == Kind::Null; }
    // The member of that name; throws std::out_of_range when missing.
    const JsonValue& operator[](std::string_view name) const;
    bool Has(std::string_view name) const;
};

// Throws std::invalid_argument on malformed text.
JsonValue ParseJson(std::string_view text);
