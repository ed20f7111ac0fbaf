#include "sql/Odbc.h"

#include <utility>
#include <vector>

namespace sql {

namespace {

// Shown when a call fails without leaving a diagnostic record.
constexpr const char* NoDiagnosticMessage = "ODBC call failed";
constexpr const char* NoEnvironmentMessage = "ODBC environment could not be allocated";

constexpr char16_t ReplacementCharacter = u'\uFFFD';

// Decodes one UTF-8 sequence at `i`, advancing past it; malformed input gives U+FFFD.
char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) {
        return lead;
    }
    int extra = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, code = lead & 0x07, minimum = 0x10000;
    } else {
        return ReplacementCharacter;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            return ReplacementCharacter;
        }
        code = (code << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (code < minimum || code > 0x10FFFF || surrogate) {
        return ReplacementCharacter;
    }
    return code;
}

void AppendUtf8(char32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The message of the first diagnostic record, or nothing when there is none.
std::u16string FirstDiagnosticMessage(SQLSMALLINT type, SQLHANDLE handle) {
    std::vector<SQLWCHAR> message(SQL_MAX_MESSAGE_LENGTH);
    for (;;) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(type, handle, 1, state, &native, message.data(),
                                            static_cast<SQLSMALLINT>(message.size()), &length);
        if (!Succeeded(rc)) {
            return {};
        }
        if (static_cast<std::size_t>(length) < message.size()) {
            return {reinterpret_cast<const char16_t*>(message.data()),
                    static_cast<std::size_t>(length)};
        }
        message.resize(static_cast<std::size_t>(length) + 1);
    }
}

} // namespace

OdbcHandle::OdbcHandle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    const SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
    if (Succeeded(rc)) {
        return;
    }
    handle_ = nullptr;
    if (parent == nullptr) {
        throw EMSError(NoEnvironmentMessage);
    }
    throw ErrorOf(type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV, parent);
}

OdbcHandle::~OdbcHandle() {
    Reset();
}

OdbcHandle::OdbcHandle(OdbcHandle&& other) noexcept
    : type_(other.type_), handle_(std::exchange(other.handle_, nullptr)) {}

OdbcHandle& OdbcHandle::operator=(OdbcHandle&& other) noexcept {
    if (this != &other) {
        Reset();
        type_ = other.type_;
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void OdbcHandle::Reset() {
    if (handle_ != nullptr) {
        SQLFreeHandle(type_, handle_);
        handle_ = nullptr;
    }
}

std::u16string Widen(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t code = DecodeUtf8(utf8, i);
        if (code < 0x10000) {
            out += static_cast<char16_t>(code);
        } else {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string Narrow(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t c = utf16[i];
        if (IsHighSurrogate(c) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
            const char32_t code =
                0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(utf16[i + 1]) - 0xDC00);
            AppendUtf8(code, out);
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            AppendUtf8(ReplacementCharacter, out);
        } else {
            AppendUtf8(c, out);
        }
    }
    return out;
}

bool Succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

std::string StripComponentNames(std::string_view message) {
    while (message.starts_with('[')) {
        const std::size_t close = message.find(']');
        if (close == std::string_view::npos) {
            break;
        }
        message.remove_prefix(close + 1);
    }
    return std::string(message);
}

EMSError ErrorOf(SQLSMALLINT type, SQLHANDLE handle) {
    const std::u16string message = FirstDiagnosticMessage(type, handle);
    if (message.empty()) {
        return EMSError(NoDiagnosticMessage);
    }
    return EMSError(StripComponentNames(Narrow(message)));
}

EMSError ErrorOf(const OdbcHandle& handle) {
    return ErrorOf(handle.Type(), handle.Get());
}

void Check(SQLRETURN rc, const OdbcHandle& handle) {
    if (!Succeeded(rc)) {
        throw ErrorOf(handle);
    }
}

} // namespace sql
