#include "os/win32/Win32Api.h"

// shellapi.h builds on the types windows.h declares.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <vector>

namespace os::win32 {

namespace {

// The seam spells Windows' types and constants itself; these hold it to the real headers.
static_assert(sizeof(DWORD) == sizeof(Dword) && sizeof(LONG) == sizeof(Long));
static_assert(sizeof(BOOL) == sizeof(Bool) && sizeof(UINT) == sizeof(Uint));
static_assert(sizeof(HANDLE) == sizeof(Handle) && sizeof(HKEY) == sizeof(Hkey));
static_assert(sizeof(SHELLEXECUTEINFOA) == kShellExecuteInfoSize);
static_assert(kErrorSuccess == ERROR_SUCCESS && kErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(kErrorAlreadyExists == ERROR_ALREADY_EXISTS);
static_assert(kKeyAllAccess == KEY_ALL_ACCESS && kKeyWow64_32Key == KEY_WOW64_32KEY);
static_assert(kKeyExistenceTest ==
              (STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS));
static_assert(kRegNone == REG_NONE && kRegSz == REG_SZ && kRegExpandSz == REG_EXPAND_SZ);
static_assert(kRegBinary == REG_BINARY && kRegDword == REG_DWORD && kRegMultiSz == REG_MULTI_SZ);
static_assert(kInvalidFileAttributes == INVALID_FILE_ATTRIBUTES);
static_assert(kFileAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY);
static_assert(kSeeMaskNoCloseProcess == SEE_MASK_NOCLOSEPROCESS && kSwHide == SW_HIDE);
static_assert(kStillActive == STILL_ACTIVE && kWaitObject0 == WAIT_OBJECT_0);
static_assert(kWaitTimeout == WAIT_TIMEOUT && kWaitFailed == WAIT_FAILED);
static_assert(kInfinite == INFINITE && kQsAllInput == QS_ALLINPUT);

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);

// HKEY_LOCAL_MACHINE is sign-extended in a 64-bit build; the seam's value is not.
HKEY ToHkey(Hkey key) {
    return key == kHkeyLocalMachine ? HKEY_LOCAL_MACHINE : reinterpret_cast<HKEY>(key);
}

HANDLE ToHandle(Handle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

Handle FromHandle(HANDLE handle) {
    return reinterpret_cast<Handle>(handle);
}

} // namespace

Long Win32Api::RegOpenKeyExA(Hkey key, const char* subKey, Dword options, Dword samDesired,
                             Hkey* result) {
    HKEY opened = nullptr;
    const LONG error = ::RegOpenKeyExA(ToHkey(key), subKey, options, samDesired, &opened);
    if (result != nullptr) {
        *result = reinterpret_cast<Hkey>(opened);
    }
    return error;
}

Long Win32Api::RegQueryValueExA(Hkey key, const char* valueName, Dword* type, std::uint8_t* data,
                                Dword* dataSize) {
    DWORD valueType = 0;
    DWORD size = dataSize != nullptr ? *dataSize : 0;
    const LONG error =
        ::RegQueryValueExA(ToHkey(key), valueName, nullptr, type != nullptr ? &valueType : nullptr,
                           data, dataSize != nullptr ? &size : nullptr);
    if (type != nullptr) {
        *type = valueType;
    }
    if (dataSize != nullptr) {
        *dataSize = size;
    }
    return error;
}

Long Win32Api::RegCloseKey(Hkey key) {
    return ::RegCloseKey(ToHkey(key));
}

Hmodule Win32Api::LoadLibraryA(const char* fileName) {
    return reinterpret_cast<Hmodule>(::LoadLibraryA(fileName));
}

Proc Win32Api::GetProcAddress(Hmodule module, const char* procName) {
    return reinterpret_cast<Proc>(::GetProcAddress(reinterpret_cast<HMODULE>(module), procName));
}

Bool Win32Api::FreeLibrary(Hmodule module) {
    return ::FreeLibrary(reinterpret_cast<HMODULE>(module));
}

Handle Win32Api::GetCurrentProcess() {
    return FromHandle(::GetCurrentProcess());
}

Bool Win32Api::CallIsWow64Process(Proc isWow64Process, Handle process, Bool* wow64) {
    const auto function = reinterpret_cast<IsWow64ProcessFunction>(isWow64Process);
    return function(ToHandle(process), wow64);
}

Dword Win32Api::GetFileAttributesA(const char* path) {
    return ::GetFileAttributesA(path);
}

Bool Win32Api::CreateDirectoryA(const char* path) {
    return ::CreateDirectoryA(path, nullptr);
}

Dword Win32Api::GetLastError() {
    return ::GetLastError();
}

Handle Win32Api::CreateFileForWriteA(const char* path) {
    // No sharing: the file is being filled and must not be moved or read half-written.
    const HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? 0 : FromHandle(file);
}

Bool Win32Api::WriteFile(Handle file, const void* data, Dword size, Dword* written) {
    DWORD count = 0;
    const BOOL result = ::WriteFile(ToHandle(file), data, size, &count, nullptr);
    if (written != nullptr) {
        *written = count;
    }
    return result;
}

Bool Win32Api::MoveFileReplaceA(const char* from, const char* to) {
    return ::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING);
}

Bool Win32Api::DeleteFileA(const char* path) {
    return ::DeleteFileA(path);
}

Bool Win32Api::ShellExecuteExA(ShellExecuteInfo* info) {
    SHELLEXECUTEINFOA record{};
    record.cbSize = sizeof(record);
    record.fMask = info->fMask;
    record.hwnd = reinterpret_cast<HWND>(info->hwnd);
    record.lpVerb = info->lpVerb;
    record.lpFile = info->lpFile;
    record.lpParameters = info->lpParameters;
    record.lpDirectory = info->lpDirectory;
    record.nShow = info->nShow;
    const BOOL result = ::ShellExecuteExA(&record);
    info->hProcess = FromHandle(record.hProcess);
    return result;
}

Bool Win32Api::GetExitCodeProcess(Handle process, Dword* exitCode) {
    DWORD code = 0;
    const BOOL result = ::GetExitCodeProcess(ToHandle(process), &code);
    if (result != 0 && exitCode != nullptr) {
        *exitCode = code;
    }
    return result;
}

Dword Win32Api::WaitForSingleObject(Handle object, Dword milliseconds) {
    return ::WaitForSingleObject(ToHandle(object), milliseconds);
}

Dword Win32Api::MsgWaitForMultipleObjects(Dword count, const Handle* handles, Bool waitAll,
                                          Dword milliseconds, Dword wakeMask) {
    std::vector<HANDLE> objects;
    for (Dword i = 0; i < count; ++i) {
        objects.push_back(ToHandle(handles[i]));
    }
    return ::MsgWaitForMultipleObjects(count, objects.data(), waitAll, milliseconds, wakeMask);
}

Uint Win32Api::WinExec(const char* cmdLine, Uint cmdShow) {
    return ::WinExec(cmdLine, cmdShow);
}

Bool Win32Api::CloseHandle(Handle object) {
    return ::CloseHandle(ToHandle(object));
}

void Win32Api::Sleep(Dword milliseconds) {
    ::Sleep(milliseconds);
}

} // namespace os::win32
