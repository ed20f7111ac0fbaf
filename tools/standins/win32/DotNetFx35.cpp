// Stand-in for "dotnetfx35.exe", the .NET Framework 3.5 SP1 installer: registers the framework
// with its English and Turkish language packs, in both registry views as the real one does.

#include "tools/standins/win32/Registry.h"
#include "tools/standins/win32/StandIn.h"

namespace {

constexpr const wchar_t* Name = L"dotnetfx35";
constexpr const wchar_t* FrameworkKey = L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.5";
constexpr const wchar_t* Version = L"3.5.30729.01";
constexpr const wchar_t* LanguagePacks[] = {L"1033", L"1055"};

void RegisterRelease(standins::RegistryView view, const std::wstring& key) {
    standins::WriteDword(view, key, L"Install", 1);
    standins::WriteDword(view, key, L"SP", 1);
    standins::WriteString(view, key, L"Version", Version);
}

void RegisterFramework() {
    for (const standins::RegistryView view : standins::BothViews) {
        RegisterRelease(view, FrameworkKey);
        for (const wchar_t* language : LanguagePacks) {
            RegisterRelease(view, std::wstring(FrameworkKey) + L"\\" + language);
        }
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Done; done, and Windows must restart to finish.
    const standins::Outcome outcome{.UsualExitCode = 0, .SuccessExitCodes = {0, 3010}};
    return static_cast<int>(standins::RunInstaller(Name, outcome, RegisterFramework));
}
