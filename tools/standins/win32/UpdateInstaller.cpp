// Stand-in for the Windows Update standalone installer, started through the ".msu" association
// as: wusa-standin.exe "PACKAGE.msu" [switches]. Installing KB968930 registers the PowerShell 2.0
// engine, in both registry views as the real update does.

#include "tools/standins/win32/Registry.h"
#include "tools/standins/win32/StandIn.h"

#include <memory>
#include <shellapi.h>

namespace {

constexpr const wchar_t* Name = L"wusa-standin";
constexpr const wchar_t* PowerShellKey = L"SOFTWARE\\Microsoft\\PowerShell\\1";
constexpr const wchar_t* EngineKey = L"SOFTWARE\\Microsoft\\PowerShell\\1\\PowerShellEngine";

// The update installer's own codes: installed, restart needed; already installed.
constexpr DWORD RebootRequired = 0x00240005;
constexpr DWORD AlreadyInstalled = 0x00240006;

// The package named first on the command line has to be there, as for the real installer.
void CheckPackage() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&::LocalFree)> arguments(
        ::CommandLineToArgvW(::GetCommandLineW(), &count), &::LocalFree);
    if (!arguments || count < 2) {
        throw standins::Failure(L"no update package named");
    }
    const std::wstring package = arguments.get()[1];
    if (::GetFileAttributesW(package.c_str()) == INVALID_FILE_ATTRIBUTES) {
        standins::ThrowCallFailed(L"GetFileAttributesW " + package, ::GetLastError());
    }
}

void RegisterEngine() {
    CheckPackage();
    for (const standins::RegistryView view : standins::BothViews) {
        standins::WriteDword(view, PowerShellKey, L"Install", 1);
        standins::WriteString(view, EngineKey, L"PowerShellVersion", L"2.0");
        standins::WriteString(view, EngineKey, L"RuntimeVersion", L"v2.0.50727");
        standins::WriteString(view, EngineKey, L"ApplicationBase",
                              L"C:\\Windows\\System32\\WindowsPowerShell\\v1.0");
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const standins::Outcome outcome{
        .UsualExitCode = AlreadyInstalled,
        .SuccessExitCodes = {0, 3010, RebootRequired, AlreadyInstalled}};
    return static_cast<int>(standins::RunInstaller(Name, outcome, RegisterEngine));
}
