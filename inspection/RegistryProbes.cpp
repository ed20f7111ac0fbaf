#include "inspection/Probes.h"
#include "inspection/TRegistry.h"

#include <array>

namespace {

// Where one probe looks: the key whose existence is tested, the key then opened and its value.
struct RegistryPlace {
    const char* keyTested;
    const char* keyOpened;
    const char* valueName;
};

constexpr RegistryPlace DotNet35Place{"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.5",
                                      "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.5\\1055",
                                      "Version"};

constexpr RegistryPlace PowerShellPlace{"SOFTWARE\\Microsoft\\PowerShell\\1\\PowerShellEngine",
                                        "SOFTWARE\\Microsoft\\PowerShell\\1\\PowerShellEngine",
                                        "PowerShellVersion"};

// The second place tests one key and reads another: "MSSQLServer\MSSQLServer" and
// "MSSQLSERVER\CurrentVersion" are siblings, so either can exist without the other.
constexpr std::array<RegistryPlace, 4> SqlServerPlaces{{
    {"SOFTWARE\\Microsoft\\Microsoft SQL Server\\MSSQLSERVER",
     "SOFTWARE\\Microsoft\\Microsoft SQL Server\\MSSQLSERVER\\setup", "PatchLevel"},
    {"SOFTWARE\\Microsoft\\Microsoft SQL Server\\MSSQLServer\\MSSQLServer",
     "SOFTWARE\\Microsoft\\Microsoft SQL Server\\MSSQLSERVER\\CurrentVersion", "CurrentVersion"},
    {"SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer",
     "SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer\\CurrentVersion", "CurrentVersion"},
    {"SOFTWARE\\Microsoft\\Microsoft SQL Server\\Services",
     "SOFTWARE\\Microsoft\\Microsoft SQL Server\\Services\\SQL Server", "Name"},
}};

std::string ReadPlace(const RegistryPlace& place, ProcessWidth width) {
    return ReadRegistryProbe(place.keyTested, place.keyOpened, place.valueName, width);
}

} // namespace

std::string ReadRegistryProbe(const std::string& keyTested, const std::string& keyOpened,
                              const std::string& valueName, ProcessWidth width) {
    TRegistry registry(width);
    if (!registry.KeyExists(keyTested)) {
        return {};
    }
    // A key that cannot be opened leaves no current key, and the value then reads as empty.
    registry.OpenKey(keyOpened);
    return registry.ReadString(valueName);
}

std::string ReadDotNet35Version(ProcessWidth width) {
    return ReadPlace(DotNet35Place, width);
}

std::string ReadPowerShellVersion(ProcessWidth width) {
    return ReadPlace(PowerShellPlace, width);
}

std::string ReadSqlServerVersion(ProcessWidth width) {
    std::string version;
    for (const RegistryPlace& place : SqlServerPlaces) {
        version = ReadPlace(place, width);
        if (!version.empty()) {
            break;
        }
    }
    return version;
}
