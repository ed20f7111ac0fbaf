#pragma once
// An in-memory Windows machine for native tests: a registry with both views, a file tree, a
// process table and a virtual clock. Every call through the seam is appended to `Calls()` as
// one line, so a test can assert the exact order of opens, reads, launches, waits and sleeps.
//
// Journal lines read  Name(arg, arg, ...) -> result  with strings in double quotes exactly as
// passed (no escaping), flags and masks in 0x hex, other numbers in decimal, null pointers as
// null, HKEY_LOCAL_MACHINE as HKLM and handles as hkey#n, module#n, process#n, file#n (n counts
// from 1 per kind). Calls without a result (Sleep) have no arrow. Examples:
//   RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\PowerShell\1\PowerShellEngine", 0, 0x20009) -> 0
//   RegQueryValueExA(hkey#1, "PowerShellVersion", null) -> 0      (size query, no buffer)
//   RegQueryValueExA(hkey#1, "PowerShellVersion", 4) -> 0         (data query, buffer size)
//   RegCloseKey(hkey#1) -> 0
//   LoadLibraryA("kernel32.dll") -> module#1
//   GetProcAddress(module#1, "IsWow64Process") -> 0x1            (0 when missing)
//   IsWow64Process(process#0, FALSE) -> 1                         (the BOOL as passed in)
//   FreeLibrary(module#1) -> 1
//   GetFileAttributesA("C:\Kolvera") -> 0x10
//   CreateDirectoryA("C:\Sql2016") -> 1
//   CreateFileForWriteA("C:\Sql2016\dotnetfx35.exe.part") -> file#1
//   WriteFile(file#1, 65536) -> 1
//   MoveFileReplaceA("C:\Sql2016\a.part", "C:\Sql2016\a") -> 1
//   DeleteFileA("C:\Sql2016\a.part") -> 1
//   ShellExecuteExA(0x40, "C:\Sql2016\dotnetfx35.exe", "/Q /Norestart") -> 1
//   GetExitCodeProcess(process#1) -> 259
//   WaitForSingleObject(process#1, 0) -> 258
//   MsgWaitForMultipleObjects(process#1, 1000) -> 0
//   WinExec("net start MSSQLSERVER", 0) -> 33
//   CloseHandle(process#1) -> 1
//   Sleep(15)
// `Record` adds a line of the test's own (the headless toolkit's pumps, for instance), so one
// journal shows the seam's calls and the window's pumps in the order they happened.

#include "os/Api.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace os::fake {

enum class View { Registry64, Registry32 };

// What a launch through ShellExecuteExA does on the fake machine.
struct ProcessScript {
    bool launches = true; // false: the launch fails with `launchError`
    Dword launchError = kErrorFileNotFound;
    Dword runsForMs = 0; // virtual time from launch to exit
    Dword exitCode = 0;  // the exit code once ended (may itself be 259)
};

// A launch as the fake saw it, with the strings copied.
struct LaunchRecord {
    Dword cbSize = 0;
    Dword fMask = 0;
    Hwnd hwnd = 0;
    std::optional<std::string> verb;
    std::optional<std::string> file;
    std::optional<std::string> parameters;
    std::optional<std::string> directory;
    int nShow = -1;
};

class FakeApi : public Api {
public:
    FakeApi();
    ~FakeApi() override;

    // --- the machine, as a test sets it up -------------------------------------------------
    // Registry paths are relative to HKEY_LOCAL_MACHINE and compared without regard to case.
    void AddKey(View view, const std::string& path);
    void SetValue(View view, const std::string& path, const std::string& name, Dword type,
                  const std::string& bytes);
    // REG_SZ (or the given string type) holding `text` and its terminating NUL.
    void SetString(View view, const std::string& path, const std::string& name,
                   const std::string& text, Dword type = kRegSz);
    void DenyKey(View view, const std::string& path); // opens fail with access denied
    void FailDataQuery(const std::string& valueName); // the second (data) query fails
    // Whether this process is 32-bit (opens without a view flag reach the 32-bit view) or
    // 64-bit (they reach the 64-bit view). Defaults to the shipping 32-bit program.
    bool processIs32Bit = true;

    bool kernel32Loads = true;
    bool hasIsWow64Process = true;
    Bool isWow64Answer = 1;
    bool isWow64CallFails = false;

    // Paths compared without regard to case; "\" separates components.
    void AddFolder(const std::string& path);                                // with its parents
    void AddFile(const std::string& path, const std::string& content = {}); // parents too
    void DenyPath(const std::string& path); // attributes cannot be read (access denied)
    void FailCreateFile(const std::string& path);
    void FailWriteAfter(std::size_t bytes); // a write past this many bytes in all fails
    bool Exists(const std::string& path) const;
    bool IsFolder(const std::string& path) const;
    std::optional<std::string> FileContent(const std::string& path) const;
    std::vector<std::string> Files() const; // every file path, sorted

    // Each launch takes the next script; when none is left, the default one.
    void ScriptProcess(ProcessScript script);
    ProcessScript defaultProcess;
    const std::vector<LaunchRecord>& Launches() const { return launches_; }
    const std::vector<std::pair<std::string, Uint>>& WinExecs() const { return winExecs_; }

    // Answers MsgWaitForMultipleObjects' question whether input waits in the queue; tests wire
    // it to the headless toolkit.
    std::function<bool()> messagesWaiting = [] { return false; };

    // Virtual milliseconds since the fake was made; Sleep and waits advance it.
    Dword Now() const { return now_; }

    // --- what the program did --------------------------------------------------------------
    const std::vector<std::string>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    void Record(std::string line);
    // Called after every journal line is added: lets a test act at an exact point of a run.
    std::function<void(const std::string& line)> onCall;

    int OpenKeys() const;      // registry handles not yet closed
    int LoadedModules() const; // modules not yet freed
    int OpenHandles() const;   // process and file handles not yet closed

    // --- the seam ------------------------------------------------------------------------
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

private:
    struct State;
    std::unique_ptr<State> state_; // the machine's contents, kept out of this header
    std::vector<std::string> calls_;
    std::vector<LaunchRecord> launches_;
    std::vector<std::pair<std::string, Uint>> winExecs_;
    Dword now_ = 0;
};

// Installs a fake as the current machine for the life of a test, and the previous one after.
class ScopedFakeApi {
public:
    ScopedFakeApi();
    ~ScopedFakeApi();
    ScopedFakeApi(const ScopedFakeApi&) = delete;
    ScopedFakeApi& operator=(const ScopedFakeApi&) = delete;
    FakeApi& operator*() { return fake_; }
    FakeApi* operator->() { return &fake_; }
    const FakeApi& operator*() const { return fake_; }
    const FakeApi* operator->() const { return &fake_; }

private:
    FakeApi fake_;
    Api* previous_;
};

} // namespace os::fake
