// Asks every probe once on the machine it runs on and prints one line per probe: the answer,
// or the text of the error it raised. Registry answers are printed as the bytes they are.

#include "inspection/Probes.h"
#include "os/Api.h"
#include "os/win32/Win32Api.h"

#include <cstdio>
#include <exception>
#include <functional>
#include <string>

namespace {

const char* ProductCheckName(TProductCheckResult result) {
    switch (result) {
    case pcProductFolderMissing:
        return "pcProductFolderMissing";
    case pcDataFolderMissing:
        return "pcDataFolderMissing";
    case pcDataFileMissing:
        return "pcDataFileMissing";
    case pcReady:
        return "pcReady";
    }
    return "unknown";
}

void Report(const char* probe, const std::function<std::string()>& ask) {
    std::string line = std::string(probe) + ": ";
    try {
        line += ask();
    } catch (const std::exception& error) {
        line += std::string("error: ") + error.what();
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

int main() {
    os::win32::Win32Api api;
    os::SetCurrent(&api);
    Report("IsWindows64", [] { return std::string(IsWindows64() ? "true" : "false"); });
    Report("ReadDotNet35Version", [] { return Quoted(ReadDotNet35Version()); });
    Report("ReadPowerShellVersion", [] { return Quoted(ReadPowerShellVersion()); });
    Report("ReadSqlServerVersion", [] { return Quoted(ReadSqlServerVersion()); });
    Report("CheckProductInstallation",
           [] { return std::string(ProductCheckName(CheckProductInstallation())); });
    std::fflush(stdout);
    os::SetCurrent(nullptr);
    return 0;
}
