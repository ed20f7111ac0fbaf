#pragma once
// The Windows types and constants that cross the OS seam, spelt so that no Windows header is
// needed outside os/win32.

#include <cstdint>

namespace os {

using Dword = std::uint32_t;
using Long = std::int32_t;
using Bool = std::int32_t;
using Uint = std::uint32_t;

// Opaque handles: registry keys, modules, processes, files and windows.
using Hkey = std::uintptr_t;
using Hmodule = std::uintptr_t;
using Handle = std::uintptr_t;
using Hwnd = std::uintptr_t;
using Proc = std::uintptr_t;

inline constexpr Hkey kHkeyLocalMachine = 0x80000002u;

inline constexpr Long kErrorSuccess = 0;
inline constexpr Long kErrorFileNotFound = 2;
inline constexpr Long kErrorAccessDenied = 5;
inline constexpr Long kErrorAlreadyExists = 183;

inline constexpr Dword kKeyAllAccess = 0xF003F;
inline constexpr Dword kKeyExistenceTest = 0x20009; // STANDARD_RIGHTS_READ | QUERY | ENUMERATE
inline constexpr Dword kKeyWow64_32Key = 0x0200;

inline constexpr Dword kRegNone = 0;
inline constexpr Dword kRegSz = 1;
inline constexpr Dword kRegExpandSz = 2;
inline constexpr Dword kRegBinary = 3;
inline constexpr Dword kRegDword = 4;
inline constexpr Dword kRegMultiSz = 7;

inline constexpr Dword kInvalidFileAttributes = 0xFFFFFFFFu;
inline constexpr Dword kFileAttributeDirectory = 0x10;

inline constexpr Dword kSeeMaskNoCloseProcess = 0x40;
inline constexpr int kSwHide = 0;
inline constexpr Dword kStillActive = 259;

inline constexpr Dword kWaitObject0 = 0;
inline constexpr Dword kWaitTimeout = 258;
inline constexpr Dword kWaitFailed = 0xFFFFFFFFu;
inline constexpr Dword kInfinite = 0xFFFFFFFFu;
inline constexpr Dword kQsAllInput = 0x04FF;

// SHELLEXECUTEINFOA as the launch fills it; the win32 layer copies it into the real record.
struct ShellExecuteInfo {
    Dword cbSize = 0;
    Dword fMask = 0;
    Hwnd hwnd = 0;
    const char* lpVerb = nullptr;
    const char* lpFile = nullptr;
    const char* lpParameters = nullptr;
    const char* lpDirectory = nullptr;
    int nShow = 0;
    Handle hProcess = 0; // filled in by the launch
};

// sizeof(SHELLEXECUTEINFOA) in this build's layout.
inline constexpr Dword kShellExecuteInfoSize = sizeof(void*) == 4 ? 60 : 112;

} // namespace os
