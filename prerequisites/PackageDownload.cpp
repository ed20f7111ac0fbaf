// The download step of a package: find it in the cache folder or fetch it from the server.

#include "app/Pacing.h"
#include "app/Unit1.h"
#include "os/Api.h"
#include "prerequisites/TPartFile.h"
#include "prerequisites/TPrerequisitePackage.h"

namespace {

constexpr const char* DownloadedText = "İndirildi...";
constexpr const char* DownloadFailedText = "Hata indirilemedi...";

// A path that names anything but a folder; one that cannot be examined counts as missing.
bool FileExists(const std::string& path) {
    const os::Dword attributes = os::Current().GetFileAttributesA(path.c_str());
    return attributes != os::kInvalidFileAttributes &&
           (attributes & os::kFileAttributeDirectory) == 0;
}

} // namespace

bool TForm1::DownloadToFile(TIdHTTP& client, const std::string& url,
                            const std::string& targetPath) {
    try {
        TPartFile file(targetPath);
        client.Get(url, [&file](std::string_view block) { file.Write(block); });
        file.Commit();
        return true;
    } catch (...) {
        // The row tells the user that the download failed; the reason is not shown.
        return false;
    }
}

void TForm1::DownloadPackage(std::uint8_t n) {
    const TPrerequisitePackage* package = FindPackage(n);
    if (package == nullptr) {
        return;
    }
    TLabel& status = *(this->*package->Row).Status;
    RevealAndSettle(status);
    const std::string localPath = package->LocalPath();
    if (FileExists(localPath)) {
        status.SetCaption(DownloadedText);
    } else {
        const bool stored = DownloadToFile(IdHTTP1, BaseUrl + package->FileName, localPath);
        status.SetCaption(stored ? DownloadedText : DownloadFailedText);
    }
    PumpMessages();
}

// The window stays responsive while a body arrives; the byte counts are not shown.
void TForm1::IdHTTP1WorkBegin(TIdHTTP&, TWorkMode, std::int32_t) {
    PumpMessages();
}

void TForm1::IdHTTP1Work(TIdHTTP&, TWorkMode, std::int32_t) {
    PumpMessages();
}

void TForm1::IdHTTP1WorkEnd(TIdHTTP&, TWorkMode) {
    PumpMessages();
}
