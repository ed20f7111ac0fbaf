// How much processor time the wizard spends while an installer runs: RunAndWait on a stand-in
// installer that sleeps, with the real Windows seam and the real message queue. With "spin" it
// measures, for comparison, a wait that polls without pause.

#include "app/Pacing.h"
#include "os/Api.h"
#include "os/win32/Win32Api.h"
#include "prerequisites/RunAndWait.h"
#include "toolkit/TApplication.h"
#include "toolkit/win32/Win32Backend.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <windows.h>

namespace {

constexpr const char* SleeperName = "RunAndWaitSleeper.exe";
constexpr const char* SleepMs = "10000";

std::string BesideThisProgram(const char* name) {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

double ProcessorSeconds() {
    FILETIME created{}, exited{}, kernel{}, user{};
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

// A wait that polls as fast as the calls return, to compare against.
bool SpinUntilEnded(const std::string& file, const std::string& parameters) {
    os::ShellExecuteInfo info;
    info.cbSize = os::kShellExecuteInfoSize;
    info.fMask = os::kSeeMaskNoCloseProcess;
    info.hwnd = Application->Handle();
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = os::kSwHide;
    os::Api& api = os::Current();
    if (!api.ShellExecuteExA(&info)) {
        return false;
    }
    os::Dword exitCode = 0;
    do {
        PumpMessages();
        api.GetExitCodeProcess(info.hProcess, &exitCode);
    } while (exitCode == os::kStillActive && !Application->Terminated());
    api.CloseHandle(info.hProcess);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool spin = argc > 1 && std::string_view(argv[1]) == "spin";
    os::win32::Win32Api machine;
    os::SetCurrent(&machine);
    Win32Backend backend;
    TApplication application(backend);
    application.Initialize();

    const std::string sleeper = BesideThisProgram(SleeperName);
    const double processorBefore = ProcessorSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    bool ended = false;
    if (spin) {
        ended = SpinUntilEnded(sleeper, SleepMs);
    } else {
        ended = RunAndWait(sleeper, SleepMs).ExitCode.has_value();
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double processor = ProcessorSeconds() - processorBefore;

    std::printf("wait: %s\n", spin ? "polling without pause" : "RunAndWait");
    std::printf("installer ended: %s\n", ended ? "yes" : "no");
    std::printf("wall time: %.2f s\n", wall);
    std::printf("processor time: %.3f s\n", processor);
    std::printf("share of one core: %.2f %%\n", wall > 0 ? 100.0 * processor / wall : 0.0);
    return ended ? 0 : 1;
}
