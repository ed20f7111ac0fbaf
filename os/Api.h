#pragma once
// The Windows calls the wizard makes, behind one interface: os/win32 makes the real calls,
// os/fake keeps an in-memory machine for native tests and records every call in order.

#include "os/Types.h"

#include <cstddef>

namespace os {

class Api {
public:
    virtual ~Api() = default;

    // Registry (ANSI).
    virtual Long RegOpenKeyExA(Hkey key, const char* subKey, Dword options, Dword samDesired,
                               Hkey* result) = 0;
    virtual Long RegQueryValueExA(Hkey key, const char* valueName, Dword* type, std::uint8_t* data,
                                  Dword* dataSize) = 0;
    virtual Long RegCloseKey(Hkey key) = 0;

    // Modules and the looked-up IsWow64Process.
    virtual Hmodule LoadLibraryA(const char* fileName) = 0;
    virtual Proc GetProcAddress(Hmodule module, const char* procName) = 0;
    virtual Bool FreeLibrary(Hmodule module) = 0;
    virtual Handle GetCurrentProcess() = 0;
    virtual Bool CallIsWow64Process(Proc isWow64Process, Handle process, Bool* wow64) = 0;

    // Files and folders.
    virtual Dword GetFileAttributesA(const char* path) = 0;
    virtual Bool CreateDirectoryA(const char* path) = 0;
    virtual Dword GetLastError() = 0;
    // Creates or truncates a file for writing; 0 on failure.
    virtual Handle CreateFileForWriteA(const char* path) = 0;
    virtual Bool WriteFile(Handle file, const void* data, Dword size, Dword* written) = 0;
    virtual Bool MoveFileReplaceA(const char* from, const char* to) = 0;
    virtual Bool DeleteFileA(const char* path) = 0;

    // Processes.
    virtual Bool ShellExecuteExA(ShellExecuteInfo* info) = 0;
    virtual Bool GetExitCodeProcess(Handle process, Dword* exitCode) = 0;
    virtual Dword WaitForSingleObject(Handle object, Dword milliseconds) = 0;
    // Waits for the handle or for input in the calling thread's message queue.
    virtual Dword MsgWaitForMultipleObjects(Dword count, const Handle* handles, Bool waitAll,
                                            Dword milliseconds, Dword wakeMask) = 0;
    virtual Uint WinExec(const char* cmdLine, Uint cmdShow) = 0;
    virtual Bool CloseHandle(Handle object) = 0;

    virtual void Sleep(Dword milliseconds) = 0;
};

// The machine the program runs on: the real one in the shipping exe, a fake in tests.
Api& Current();
// Installs `api` and returns the one it replaces, so that a scope can put it back.
Api* SetCurrent(Api* api);

} // namespace os
