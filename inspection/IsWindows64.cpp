#include "inspection/Probes.h"
#include "os/Api.h"

namespace {

constexpr const char* Kernel32 = "kernel32.dll";
constexpr const char* IsWow64ProcessName = "IsWow64Process";

// A library loaded for the length of one question, freed on every way out.
class LoadedLibrary {
public:
    explicit LoadedLibrary(os::Hmodule module) : module_(module) {}
    ~LoadedLibrary() { os::Current().FreeLibrary(module_); }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    os::Hmodule Handle() const { return module_; }

private:
    os::Hmodule module_;
};

// Looked up at run time, not imported, so the program still starts on a Windows without it.
bool RunsUnderWow64() {
    os::Api& api = os::Current();
    const os::Hmodule kernel32 = api.LoadLibraryA(Kernel32);
    if (kernel32 == 0) {
        return false;
    }
    const LoadedLibrary library(kernel32);
    const os::Proc isWow64Process = api.GetProcAddress(library.Handle(), IsWow64ProcessName);
    if (isWow64Process == 0) {
        return false;
    }
    os::Bool wow64 = 0;
    return api.CallIsWow64Process(isWow64Process, api.GetCurrentProcess(), &wow64) != 0 &&
           wow64 != 0;
}

} // namespace

bool IsWindows64(ProcessWidth width) {
    // A 64-bit process runs only on 64-bit Windows, and WOW64 would answer false for it.
    if (width == ProcessWidth::Bits64) {
        return true;
    }
    return RunsUnderWow64();
}
