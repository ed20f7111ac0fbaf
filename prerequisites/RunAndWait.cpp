#include "prerequisites/RunAndWait.h"

#include "app/Pacing.h"
#include "os/Api.h"
#include "toolkit/TApplication.h"

namespace {

// The longest sleep between two polls. Window input and the program's end wake the wait at
// once; the bound lets a quit request that brings no input of its own be noticed too.
constexpr os::Dword PollIntervalMs = 1000;

// The process handle a launch handed out, closed on every way out of the wait.
class TProcessHandle {
public:
    explicit TProcessHandle(os::Handle handle) : handle_(handle) {}
    ~TProcessHandle() { os::Current().CloseHandle(handle_); }
    TProcessHandle(const TProcessHandle&) = delete;
    TProcessHandle& operator=(const TProcessHandle&) = delete;
    os::Handle Get() const { return handle_; }

private:
    os::Handle handle_;
};

// Everything not set stays zero: no verb (the file type's default), no directory (ours).
os::ShellExecuteInfo LaunchRecord(const std::string& file, const std::string& parameters) {
    os::ShellExecuteInfo info;
    info.cbSize = os::kShellExecuteInfoSize;
    info.fMask = os::kSeeMaskNoCloseProcess;
    info.hwnd = Application->Handle();
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = os::kSwHide;
    return info;
}

// A program may end with 259 itself: only its handle's signalled state tells it from one that
// still runs.
bool StillRunning(const TProcessHandle& process, os::Dword exitCode) {
    return exitCode == os::kStillActive &&
           os::Current().WaitForSingleObject(process.Get(), 0) == os::kWaitTimeout;
}

} // namespace

TRunResult RunAndWait(const std::string& file, const std::string& parameters) {
    os::Api& api = os::Current();
    os::ShellExecuteInfo info = LaunchRecord(file, parameters);
    if (!api.ShellExecuteExA(&info) || info.hProcess == 0) {
        return {};
    }
    const TProcessHandle process(info.hProcess);
    const os::Handle handles[] = {process.Get()};
    for (;;) {
        PumpMessages();
        os::Dword exitCode = 0;
        if (!api.GetExitCodeProcess(process.Get(), &exitCode)) {
            return {};
        }
        if (!StillRunning(process, exitCode)) {
            return {.ExitCode = exitCode};
        }
        if (Application->Terminated()) {
            return {.Abandoned = true};
        }
        api.MsgWaitForMultipleObjects(1, handles, 0, PollIntervalMs, os::kQsAllInput);
    }
}
