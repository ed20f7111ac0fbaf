#pragma once
// Text is UTF-8 in the toolkit and UTF-16 at the Windows boundary.

#include <string>
#include <string_view>

namespace toolkit::win32 {

std::wstring Widen(std::string_view utf8);

// The skinned buttons already hold UTF-16; on Windows wchar_t is that same code unit.
inline const wchar_t* AsWide(const std::u16string& text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

} // namespace toolkit::win32
