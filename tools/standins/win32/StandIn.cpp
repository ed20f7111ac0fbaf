#include "tools/standins/win32/StandIn.h"

#include <algorithm>
#include <cwchar>
#include <string_view>

namespace standins {

namespace {

// What a real installer returns when it gives up: "Fatal error during installation".
constexpr DWORD FatalErrorExitCode = 1603;
constexpr DWORD HoldPollMs = 50;

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return handle_; }
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

std::string ToUtf8(std::wstring_view text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                          nullptr, nullptr);
    return utf8;
}

std::wstring FromUtf8(std::string_view text) {
    const int size =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          size);
    return wide;
}

// The file's whole content, or nothing when there is no such file.
std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    const FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        return std::nullopt;
    }
    std::string content;
    char block[4096];
    DWORD read = 0;
    while (::ReadFile(file.Get(), block, sizeof block, &read, nullptr) && read > 0) {
        content.append(block, read);
    }
    return content;
}

DWORD ParseNumber(const std::wstring& text) {
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(text.c_str(), &end, 0);
    if (text.empty() || *end != L'\0') {
        throw Failure(L"not a number in the instructions: " + text);
    }
    return static_cast<DWORD>(value);
}

void ApplyInstruction(Instructions& instructions, const std::wstring& key,
                      const std::wstring& value) {
    if (key == L"delay_ms") {
        instructions.DelayMs = ParseNumber(value);
    } else if (key == L"hold_until") {
        instructions.HoldUntil = value;
    } else if (key == L"exit_code") {
        instructions.ExitCode = ParseNumber(value);
    } else {
        throw Failure(L"unknown instruction: " + key);
    }
}

void FollowPace(const Instructions& instructions) {
    ::Sleep(instructions.DelayMs);
    if (instructions.HoldUntil.empty()) {
        return;
    }
    while (::GetFileAttributesW(instructions.HoldUntil.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ::Sleep(HoldPollMs);
    }
}

std::wstring ShowState() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoW(&startup);
    if ((startup.dwFlags & STARTF_USESHOWWINDOW) == 0) {
        return L"default";
    }
    return std::to_wstring(startup.wShowWindow);
}

std::wstring ProcessId() {
    return std::to_wstring(::GetCurrentProcessId());
}

} // namespace

void ThrowCallFailed(const std::wstring& call, DWORD error) {
    throw Failure(call + L" failed with error " + std::to_wstring(error));
}

std::wstring HomeFile(const wchar_t* name, const wchar_t* extension) {
    return std::wstring(Home) + L"\\" + name + extension;
}

Instructions ReadInstructions(const wchar_t* name) {
    Instructions instructions;
    const std::optional<std::string> content = ReadWholeFile(HomeFile(name, L".conf"));
    if (!content) {
        return instructions;
    }
    std::wstring text = FromUtf8(*content);
    std::erase(text, L'\r');
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(L'\n', start), text.size());
        const std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty()) {
            continue;
        }
        const std::size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) {
            throw Failure(L"not key=value in the instructions: " + line);
        }
        ApplyInstruction(instructions, line.substr(0, equals), line.substr(equals + 1));
    }
    return instructions;
}

void RecordLine(const wchar_t* name, const std::wstring& line) {
    ::CreateDirectoryW(Home, nullptr);
    const FileHandle log(::CreateFileW(HomeFile(name, L".log").c_str(), FILE_APPEND_DATA,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log.IsOpen()) {
        return; // nowhere to record: the stand-in still does its work
    }
    const std::string bytes = ToUtf8(line + L"\n");
    DWORD written = 0;
    ::WriteFile(log.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void RecordStart(const wchar_t* name) {
    RecordLine(name, L"start pid=" + ProcessId() + L" show=" + ShowState() + L" command_line=" +
                         ::GetCommandLineW());
}

DWORD RunInstaller(const wchar_t* name, const Outcome& outcome,
                   const std::function<void()>& changeThePc) {
    RecordStart(name);
    DWORD exitCode = outcome.UsualExitCode;
    try {
        const Instructions instructions = ReadInstructions(name);
        exitCode = instructions.ExitCode.value_or(outcome.UsualExitCode);
        FollowPace(instructions);
        if (std::ranges::find(outcome.SuccessExitCodes, exitCode) !=
            outcome.SuccessExitCodes.end()) {
            changeThePc();
        }
    } catch (const Failure& failure) {
        RecordLine(name, L"error " + failure.Text());
        exitCode = FatalErrorExitCode;
    }
    RecordLine(name, L"end pid=" + ProcessId() + L" exit_code=" + std::to_wstring(exitCode));
    return exitCode;
}

} // namespace standins
