#include "prerequisites/TPrerequisitePackage.h"

#include "app/Unit1.h"
#include "prerequisites/AdminPassword.h"

#include <array>

namespace {

// A quiet install of the database engine as the default instance, its services under Network
// Service, Administrators as system administrators, mixed authentication and TCP enabled.
std::string SqlServerSetupLine() {
    return std::string("/Q /Action=install /FEATURES=SQL /INSTANCENAME=MSSQLSERVER"
                       " /SQLSVCACCOUNT=\"NT AUTHORITY\\NETWORK SERVICE\""
                       " /SQLSYSADMINACCOUNTS=\"BUILTIN\\ADMINISTRATORS\""
                       " /AGTSVCACCOUNT=\"NT AUTHORITY \\Network Service\""
                       " /SECURITYMODE=SQL /SAPWD=") +
           AdminPassword + " /IACCEPTSQLSERVERLICENSETERMS /TCPENABLED=1";
}

const std::array<TPrerequisitePackage, 3>& Catalogue() {
    static const std::array<TPrerequisitePackage, 3> packages{{
        {1, &TForm1::Indir1Row, "dotnetfx35.exe", "/Q /Norestart"},
        {2, &TForm1::Indir2Row, "Windows6.0-KB968930-x64.msu", "/quiet /norestart"},
        {3, &TForm1::Indir3Row, "SQLEXPR_x64_ENU.exe", SqlServerSetupLine()},
    }};
    return packages;
}

} // namespace

std::string TPrerequisitePackage::LocalPath() const {
    return std::string(PackageCacheDir) + "\\" + FileName;
}

const TPrerequisitePackage* FindPackage(std::uint8_t index) {
    for (const TPrerequisitePackage& package : Catalogue()) {
        if (package.Index == index) {
            return &package;
        }
    }
    return nullptr;
}
