#pragma once
// The read-only questions the wizard asks of the PC. Each acquires what it needs, answers and
// releases it before it returns; none keeps anything between calls. A registry answer is the
// value's text exactly as the ANSI registry call gave it; the empty text means absent.

#include "inspection/ProcessWidth.h"

#include <string>

inline constexpr const char* ProductDir = "C:\\Kolvera";
inline constexpr const char* ProductDataDir = "C:\\Kolvera\\Data";
inline constexpr const char* ProductDataFile = "C:\\Kolvera\\Data\\kolvera_data.mdf";

// In the order in which the tests can fail.
enum TProductCheckResult {
    pcProductFolderMissing,
    pcDataFolderMissing,
    pcDataFileMissing,
    pcReady,
};

// The text of `valueName` in `keyOpened`, read only when `keyTested` exists; both paths are
// relative to HKEY_LOCAL_MACHINE. Raises ERegistryException for a value of a non-text type or
// data that cannot be read.
std::string ReadRegistryProbe(const std::string& keyTested, const std::string& keyOpened,
                              const std::string& valueName, ProcessWidth width = ThisProcessWidth);

// The .NET Framework 3.5 version registered for Turkish (language 1055).
std::string ReadDotNet35Version(ProcessWidth width = ThisProcessWidth);
std::string ReadPowerShellVersion(ProcessWidth width = ThisProcessWidth);
// The first non-empty text of the four places SQL Server versions register at.
std::string ReadSqlServerVersion(ProcessWidth width = ThisProcessWidth);

// Whether Windows is 64-bit. Never raises: every failure answers false.
bool IsWindows64(ProcessWidth width = ThisProcessWidth);

TProductCheckResult CheckProductInstallation();
