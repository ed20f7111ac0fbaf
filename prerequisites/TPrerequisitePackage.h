#pragma once
// The three packages the prerequisite page brings onto the PC, in the order it handles them.

#include "app/TStatusRow.h"

#include <cstdint>
#include <string>

class TForm1;

// The folder the packages are downloaded into. Nothing in it is ever deleted: a file found there
// under a package's name is that package's finished download.
inline constexpr const char* PackageCacheDir = "C:\\Sql2016";

struct TPrerequisitePackage {
    std::uint8_t Index;
    TStatusRow TForm1::*Row; // the package's row on Panel1
    std::string FileName;    // on the download server and in the cache folder
    std::string InstallParameters;

    // The cache folder, a backslash and the file name: where the installer is launched from.
    std::string LocalPath() const;
};

// The package with this index, or nullptr for an index outside 1 to 3.
const TPrerequisitePackage* FindPackage(std::uint8_t index);
