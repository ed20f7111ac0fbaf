#pragma once
// The seam over the real Windows calls; the program installs one at start with os::SetCurrent.

#include "os/Api.h"

namespace os::win32 {

class Win32Api : public Api {
public:
    Long RegOpenKeyExA(Hkey key, const char* subKey, Dword options, Dword samDesired,
                       Hkey* result) override;
    Long RegQueryValueExA(Hkey key, const char* valueName, Dword* type, std::uint8_t* data,
                          Dword* dataSize) override;
    Long RegCloseKey(Hkey key) override;
    Hmodule LoadLibraryA(const char* fileName) override;
    Proc GetProcAddress(Hmodule module, const char* procName) override;
    Bool FreeLibrary(Hmodule module) override;
    Handle GetCurrentProcess() override;
    Bool CallIsWow64Process(Proc isWow64Process, Handle process, Bool* wow64) override;
    Dword GetFileAttributesA(const char* path) override;
    Bool CreateDirectoryA(const char* path) override;
    Dword GetLastError() override;
    Handle CreateFileForWriteA(const char* path) override;
    Bool WriteFile(Handle file, const void* data, Dword size, Dword* written) override;
    Bool MoveFileReplaceA(const char* from, const char* to) override;
    Bool DeleteFileA(const char* path) override;
    Bool ShellExecuteExA(ShellExecuteInfo* info) override;
    Bool GetExitCodeProcess(Handle process, Dword* exitCode) override;
    Dword WaitForSingleObject(Handle object, Dword milliseconds) override;
    Dword MsgWaitForMultipleObjects(Dword count, const Handle* handles, Bool waitAll,
                                    Dword milliseconds, Dword wakeMask) override;
    Uint WinExec(const char* cmdLine, Uint cmdShow) override;
    Bool CloseHandle(Handle object) override;
    void Sleep(Dword milliseconds) override;
};

} // namespace os::win32
