// The main button: closes the window, or runs the first page (the 64-bit gate, the system check
// and the three prerequisites), ending with the offer of the database stage.
//
// The page runs at most once: from the moment it hides BtnIleri until it shows a button at its
// end, neither button is showing, and a hidden button drops any press still queued for it.

#include "app/Pacing.h"
#include "app/Unit1.h"
#include "inspection/Probes.h"
#include "os/Api.h"
#include "prerequisites/TPrerequisitePackage.h"

#include <functional>
#include <stdexcept>
#include <string>

namespace {

const char* const NotWindows64Text = "Kurulum için 64 bit işletim sistemi gerekmektedir.";
const char* const InstalledText = "Yüklü";
const char* const DownloadingText = "İndiriliyor...";
const std::u16string FinishCaption = u"Son";
const std::u16string ExitCaption = u"Çıkış";
const std::u16string ConnectDataCaption = u"Data Bağla";
constexpr int ConnectDataTop = 304;

// The run-time library's error for a failed file-system call, with the system's error code.
class EInOutError : public std::runtime_error {
public:
    explicit EInOutError(os::Dword code)
        : std::runtime_error("I/O error " + std::to_string(code)) {}
};

bool FolderExists(const char* path) {
    const os::Dword attributes = os::Current().GetFileAttributesA(path);
    return attributes != os::kInvalidFileAttributes &&
           (attributes & os::kFileAttributeDirectory) != 0;
}

// Creates the package cache folder, one level, unless a folder of that name is there.
void EnsureCacheFolder() {
    if (FolderExists(PackageCacheDir)) {
        return;
    }
    if (os::Current().CreateDirectoryA(PackageCacheDir) == 0) {
        throw EInOutError(os::Current().GetLastError());
    }
}

bool DotNet35Installed() {
    return !ReadDotNet35Version().empty();
}

// Version "1.0" is the PowerShell that 2.0 replaces.
bool PowerShell2Installed() {
    const std::string version = ReadPowerShellVersion();
    return !version.empty() && version != "1.0";
}

} // namespace

void TForm1::BtnIleriClick(TObject*) {
    const std::u16string& caption = BtnIleri->Caption();
    if (caption == FinishCaption || caption == ExitCaption) {
        Close();
        return;
    }

    if (!IsWindows64()) {
        Label8->SetCaption(NotWindows64Text);
        Label8->Show();
        BtnIleri->SetCaption(FinishCaption);
        return;
    }

    BtnIleri->Hide();
    PumpMessages();
    Panel6->Show();
    if (!CheckSystem()) {
        BtnIleri->SetCaption(ExitCaption);
        BtnIleri->Show();
        BtnBaslat->SetTop(ConnectDataTop);
        BtnBaslat->SetCaption(ConnectDataCaption);
        BtnBaslat->Show();
        return;
    }

    Panel1->Show();
    PumpMessages();
    PauseShort();
    EnsureCacheFolder();

    RunPackageRow(1, Indir1Row, DotNet35Installed);
    RunPackageRow(2, Indir2Row, PowerShell2Installed);
    RunPackageRow(3, Indir3Row, nullptr);

    PauseShort();
    BtnBaslat->Show();
}

void TForm1::RunPackageRow(std::uint8_t n, const TStatusRow& row,
                           const std::function<bool()>& installed) {
    StartSpinner(row);
    row.Status->Show();
    PauseShort();
    if (installed && installed()) {
        row.SuccessMark->Show();
        row.Status->SetCaption(InstalledText);
        StopSpinner(row);
        return;
    }
    row.Status->SetCaption(DownloadingText);
    PumpMessages();
    DownloadPackage(n);
    InstallPackage(n);
}
