#include "tests/unit/sql/OdbcSetup.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// A folder of this process's own for the driver list, removed when the process ends.
class DriverFolder {
public:
    DriverFolder()
        : path_(std::filesystem::temp_directory_path() /
                ("kolvera-odbc-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~DriverFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

} // namespace

void UseFreeTds(int port, bool listNativeClient) {
    static const DriverFolder folder;
    {
        std::ofstream ini(folder.Path() + "/odbcinst.ini", std::ios::trunc);
        if (listNativeClient) {
            ini << "[SQL Server Native Client 11.0]\nDriver=" << folder.Path()
                << "/no-such-native-client.so\n\n";
        }
        ini << "[SQL Server]\nDriver=" << TDSODBC_DRIVER << "\n";
    }
    ::setenv("ODBCSYSINI", folder.Path().c_str(), 1);
    ::setenv("TDSVER", "7.4", 1);
    ::setenv("TDSPORT", std::to_string(port).c_str(), 1);
}
