#include "tests/unit/sql/MiniJson.h"

#include <cstdlib>
#include <stdexcept>

namespace {

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    JsonValue Document() {
        JsonValue value = Value();
        SkipBlanks();
        if (pos_ != text_.size()) {
            Fail("trailing text");
        }
        return value;
    }

private:
    [[noreturn]] void Fail(const char* what) const {
        throw std::invalid_argument(std::string("JSON: ") + what + " at " + std::to_string(pos_));
    }

    void SkipBlanks() {
        while (pos_ < text_.size() &&
               std::string_view(" \t\r\n").find(text_[pos_]) != std::string_view::npos) {
            ++pos_;
        }
    }

    char Next() {
        if (pos_ >= text_.size()) {
            Fail("unexpected end");
        }
        return text_[pos_++];
    }

    void Expect(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) {
            Fail("unexpected word");
        }
        pos_ += word.size();
    }

    JsonValue Value() {
        SkipBlanks();
        if (pos_ >= text_.size()) {
            Fail("unexpected end");
        }
        JsonValue value;
        switch (text_[pos_]) {
        case '{':
            value.kind = JsonValue::Kind::Object;
            ++pos_;
            Members(value);
            break;
        case '[':
            value.kind = JsonValue::Kind::Array;
            ++pos_;
            Items(value);
            break;
        case '"':
            value.kind = JsonValue::Kind::String;
            value.text = String();
            break;
        case 't':
            Expect("true");
            value.kind = JsonValue::Kind::Bool;
            value.boolean = true;
            break;
        case 'f':
            Expect("false");
            value.kind = JsonValue::Kind::Bool;
            break;
        case 'n':
            Expect("null");
            break;
        default:
            value.kind = JsonValue::Kind::Number;
            value.number = Number();
        }
        return value;
    }

    void Members(JsonValue& object) {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == '}') {
            ++pos_;
            return;
        }
        for (;;) {
            SkipBlanks();
            std::string name = String();
            SkipBlanks();
            if (Next() != ':') {
                Fail("':' expected");
            }
            object.members.emplace_back(std::move(name), Value());
            SkipBlanks();
            const char c = Next();
            if (c == '}') {
                return;
            }
            if (c != ',') {
                Fail("',' or '}' expected");
            }
        }
    }

    void Items(JsonValue& array) {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == ']') {
            ++pos_;
            return;
        }
        for (;;) {
            array.items.push_back(Value());
            SkipBlanks();
            const char c = Next();
            if (c == ']') {
                return;
            }
            if (c != ',') {
                Fail("',' or ']' expected");
            }
        }
    }

    double Number() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() &&
               std::string_view("+-0123456789.eE").find(text_[pos_]) != std::string_view::npos) {
            ++pos_;
        }
        if (start == pos_) {
            Fail("value expected");
        }
        return std::strtod(std::string(text_.substr(start, pos_ - start)).c_str(), nullptr);
    }

    unsigned Hex4() {
        unsigned code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = Next();
            code <<= 4;
            if (c >= '0' && c <= '9') {
                code |= unsigned(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                code |= unsigned(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                code |= unsigned(c - 'A' + 10);
            } else {
                Fail("hex digit expected");
            }
        }
        return code;
    }

    static void AppendUtf8(unsigned code, std::string& out) {
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | (code >> 18));
            out += char(0x80 | ((code >> 12) & 0x3F));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }

    std::string String() {
        if (Next() != '"') {
            Fail("string expected");
        }
        std::string out;
        for (;;) {
            const char c = Next();
            if (c == '"') {
                return out;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            switch (const char e = Next()) {
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned code = Hex4();
                if (code >= 0xD800 && code <= 0xDBFF) {
                    Expect("\\u");
                    code = 0x10000 + ((code - 0xD800) << 10) + (Hex4() - 0xDC00);
                }
                AppendUtf8(code, out);
                break;
            }
            default:
                out += e;
            }
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

const JsonValue& JsonValue::operator[](std::string_view name) const {
    for (const auto& [key, value] : members) {
        if (key == name) {
            return value;
        }
    }
    throw std::out_of_range("JSON: no member " + std::string(name));
}

bool JsonValue::Has(std::string_view name) const {
    for (const auto& member : members) {
        if (member.first == name) {
            return true;
        }
    }
    return false;
}

JsonValue ParseJson(std::string_view text) {
    return Parser(text).Document();
}
