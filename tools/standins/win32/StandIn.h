#pragma once
// What every stand-in shares: its home folder on drive C, the scenario's instructions for it,
// and the record of how it was started and how it ended.
//
// Instructions: C:\standins\<name>.conf, one "key=value" a line, every key optional:
//   delay_ms=N       take N milliseconds before changing the PC
//   hold_until=PATH  then wait until the file PATH exists
//   exit_code=N      end with N (decimal, or hexadecimal after 0x) instead of the usual code;
//                    the PC is changed only when N is one of the installer's success codes
//
// Record: C:\standins\<name>.log, UTF-8, one line per event:
//   start pid=N show=S command_line=TEXT   S is wShowWindow, or "default" without
//                                          STARTF_USESHOWWINDOW
//   error TEXT                             the PC could not be changed
//   end pid=N exit_code=N

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <windows.h>

namespace standins {

inline constexpr const wchar_t* Home = L"C:\\standins";

struct Instructions {
    DWORD DelayMs = 0;
    std::wstring HoldUntil;
    std::optional<DWORD> ExitCode;
};

// How one installer ends: the code it gives when nothing else is asked, and the codes after which
// the product counts as installed.
struct Outcome {
    DWORD UsualExitCode;
    std::initializer_list<DWORD> SuccessExitCodes;
};

// The whole life of an installer stand-in: record the start, follow the instructions, change the
// PC unless told to fail, record the end. Returns the exit code.
DWORD RunInstaller(const wchar_t* name, const Outcome& outcome,
                   const std::function<void()>& changeThePc);

Instructions ReadInstructions(const wchar_t* name);
void RecordStart(const wchar_t* name);
void RecordLine(const wchar_t* name, const std::wstring& line);

// A step that could not change the PC; its text goes into the record.
class Failure {
public:
    explicit Failure(std::wstring text) : text_(std::move(text)) {}
    const std::wstring& Text() const { return text_; }

private:
    std::wstring text_;
};

// Throws Failure naming the Windows call and the error it reported.
[[noreturn]] void ThrowCallFailed(const std::wstring& call, DWORD error);

// The stand-in's file C:\standins\<name><extension>.
std::wstring HomeFile(const wchar_t* name, const wchar_t* extension);

} // namespace standins
