#pragma once
// Values written under HKEY_LOCAL_MACHINE in one view of a 64-bit Windows registry, the way an
// installer chooses it; keys are created as needed. A failure throws standins::Failure.

#include <string>
#include <windows.h>

namespace standins {

enum class RegistryView : REGSAM {
    Bit32 = KEY_WOW64_32KEY, // what a 32-bit program sees under SOFTWARE
    Bit64 = KEY_WOW64_64KEY,
};

inline constexpr RegistryView BothViews[] = {RegistryView::Bit32, RegistryView::Bit64};

void WriteString(RegistryView view, const std::wstring& key, const wchar_t* name,
                 const std::wstring& value);
void WriteDword(RegistryView view, const std::wstring& key, const wchar_t* name, DWORD value);

} // namespace standins
