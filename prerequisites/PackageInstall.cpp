// The install step of a package: run its installer hidden and show how it ended.

#include "app/Pacing.h"
#include "app/Unit1.h"
#include "prerequisites/RunAndWait.h"
#include "prerequisites/TPrerequisitePackage.h"

#include <algorithm>
#include <array>

namespace {

constexpr const char* InstallingText = "Yükleniyor...";
constexpr const char* InstalledText = "Yüklendi.";
constexpr const char* InstallFailedText = "Hata yüklenemedi...";

// Done; done but a restart is needed; done and the restart has begun.
constexpr std::array<os::Dword, 3> SuccessExitCodes{0, 3010, 1641};

// The update installer's own: installed but a restart is needed; already installed.
constexpr const char* UpdatePackageExtension = ".msu";
constexpr std::array<os::Dword, 2> UpdateSuccessExitCodes{0x00240005, 0x00240006};

bool IsSuccessExitCode(const TPrerequisitePackage& package, os::Dword exitCode) {
    return std::ranges::find(SuccessExitCodes, exitCode) != SuccessExitCodes.end() ||
           (package.FileName.ends_with(UpdatePackageExtension) &&
            std::ranges::find(UpdateSuccessExitCodes, exitCode) != UpdateSuccessExitCodes.end());
}

// A wait given up because the wizard is closing ends the row as done: the installer goes on
// by itself.
bool Installed(const TPrerequisitePackage& package, const TRunResult& run) {
    return run.Abandoned || (run.ExitCode && IsSuccessExitCode(package, *run.ExitCode));
}

} // namespace

void TForm1::InstallPackage(std::uint8_t n) {
    const TPrerequisitePackage* package = FindPackage(n);
    if (package == nullptr) {
        return;
    }
    const TStatusRow& row = this->*package->Row;
    row.Status->SetCaption(InstallingText);
    PumpMessages();
    const TRunResult run = RunAndWait(package->LocalPath(), package->InstallParameters);
    const bool installed = Installed(*package, run);
    row.Status->SetCaption(installed ? InstalledText : InstallFailedText);
    StopSpinner(row);
    if (installed) {
        row.SuccessMark->Show();
    }
    PumpMessages();
}
