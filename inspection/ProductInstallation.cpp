#include "inspection/Probes.h"
#include "os/Api.h"

namespace {

// A path whose attributes cannot be read counts as missing, whatever the reason.
bool IsExistingFolder(const char* path) {
    const os::Dword attributes = os::Current().GetFileAttributesA(path);
    return attributes != os::kInvalidFileAttributes &&
           (attributes & os::kFileAttributeDirectory) != 0;
}

bool IsExistingFile(const char* path) {
    const os::Dword attributes = os::Current().GetFileAttributesA(path);
    return attributes != os::kInvalidFileAttributes &&
           (attributes & os::kFileAttributeDirectory) == 0;
}

} // namespace

TProductCheckResult CheckProductInstallation() {
    if (!IsExistingFolder(ProductDir)) {
        return pcProductFolderMissing;
    }
    if (!IsExistingFolder(ProductDataDir)) {
        return pcDataFolderMissing;
    }
    if (!IsExistingFile(ProductDataFile)) {
        return pcDataFileMissing;
    }
    return pcReady;
}
