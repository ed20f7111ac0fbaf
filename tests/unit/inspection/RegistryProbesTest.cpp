// The registry probes against the fake machine: which keys they test, open and read, in which
// order and view, what a value reads as, and that every key is closed on every path.

#include "inspection/Probes.h"
#include "inspection/TRegistry.h"
#include "os/fake/FakeApi.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

using os::fake::FakeApi;
using os::fake::View;

namespace {

using namespace std::string_literals;

// The paths as Windows names them, spelt here independently of the code under test.
constexpr const char* DotNetKey = R"(SOFTWARE\Microsoft\NET Framework Setup\NDP\v3.5)";
constexpr const char* DotNetTurkishKey = R"(SOFTWARE\Microsoft\NET Framework Setup\NDP\v3.5\1055)";
constexpr const char* PowerShellKey = R"(SOFTWARE\Microsoft\PowerShell\1\PowerShellEngine)";
constexpr const char* SqlPlace1Tested = R"(SOFTWARE\Microsoft\Microsoft SQL Server\MSSQLSERVER)";
constexpr const char* SqlPlace1Opened =
    R"(SOFTWARE\Microsoft\Microsoft SQL Server\MSSQLSERVER\setup)";
constexpr const char* SqlPlace2Tested =
    R"(SOFTWARE\Microsoft\Microsoft SQL Server\MSSQLServer\MSSQLServer)";
constexpr const char* SqlPlace2Opened =
    R"(SOFTWARE\Microsoft\Microsoft SQL Server\MSSQLSERVER\CurrentVersion)";
constexpr const char* SqlPlace3Tested = R"(SOFTWARE\Microsoft\MSSQLServer\MSSQLServer)";
constexpr const char* SqlPlace3Opened =
    R"(SOFTWARE\Microsoft\MSSQLServer\MSSQLServer\CurrentVersion)";
constexpr const char* SqlPlace4Tested = R"(SOFTWARE\Microsoft\Microsoft SQL Server\Services)";
constexpr const char* SqlPlace4Opened =
    R"(SOFTWARE\Microsoft\Microsoft SQL Server\Services\SQL Server)";

std::vector<std::string> Opens(const FakeApi& fake) {
    std::vector<std::string> opens;
    for (const std::string& line : fake.Calls()) {
        if (line.starts_with("RegOpenKeyExA")) {
            opens.push_back(line);
        }
    }
    return opens;
}

// ---- one probe, call by call, in each build ----------------------------------------------

// The 32-bit build passes no view flag; the 64-bit build asks for the 32-bit view every time.
struct Build {
    const char* name;
    ProcessWidth width;
    bool processIs32Bit;
    const char* existenceRights;
    const char* openRights;
};

const Build Builds[] = {
    {"Build32", ProcessWidth::Bits32, true, "0x20009", "0xF003F"},
    {"Build64", ProcessWidth::Bits64, false, "0x20209", "0xF023F"},
};

class RegistryProbeBuildTest : public ::testing::TestWithParam<Build> {
protected:
    RegistryProbeBuildTest() { fake_->processIs32Bit = GetParam().processIs32Bit; }

    FakeApi& Fake() { return *fake_; }
    std::string Existence(const char* path) const {
        return "RegOpenKeyExA(HKLM, \""s + path + "\", 0, " + GetParam().existenceRights + ")";
    }
    std::string Open(const char* path) const {
        return "RegOpenKeyExA(HKLM, \""s + path + "\", 0, " + GetParam().openRights + ")";
    }

private:
    os::fake::ScopedFakeApi fake_;
};

TEST_P(RegistryProbeBuildTest, TestsThenOpensThenReadsThenCloses) {
    Fake().SetString(View::Registry32, PowerShellKey, "PowerShellVersion", "2.0");

    EXPECT_EQ(ReadPowerShellVersion(GetParam().width), "2.0");

    const std::vector<std::string> expected = {
        Existence(PowerShellKey) + " -> 0",
        "RegCloseKey(hkey#1) -> 0",
        Open(PowerShellKey) + " -> 0",
        R"(RegQueryValueExA(hkey#2, "PowerShellVersion", null) -> 0)",
        R"(RegQueryValueExA(hkey#2, "PowerShellVersion", 4) -> 0)",
        "RegCloseKey(hkey#2) -> 0",
    };
    EXPECT_EQ(Fake().Calls(), expected);
    EXPECT_EQ(Fake().OpenKeys(), 0);
}

TEST_P(RegistryProbeBuildTest, EveryOpenAndExistenceTestUsesTheBuildsRights) {
    for (const char* key : {DotNetKey, DotNetTurkishKey, PowerShellKey, SqlPlace1Tested,
                            SqlPlace2Tested, SqlPlace2Opened, SqlPlace3Opened, SqlPlace4Opened}) {
        Fake().AddKey(View::Registry32, key);
    }

    ReadDotNet35Version(GetParam().width);
    ReadPowerShellVersion(GetParam().width);
    ReadSqlServerVersion(GetParam().width);

    const std::vector<std::string> expected = {
        Existence(DotNetKey) + " -> 0",       Open(DotNetTurkishKey) + " -> 0",
        Existence(PowerShellKey) + " -> 0",   Open(PowerShellKey) + " -> 0",
        Existence(SqlPlace1Tested) + " -> 0", Open(SqlPlace1Opened) + " -> 2",
        Existence(SqlPlace2Tested) + " -> 0", Open(SqlPlace2Opened) + " -> 0",
        Existence(SqlPlace3Tested) + " -> 0", Open(SqlPlace3Opened) + " -> 0",
        Existence(SqlPlace4Tested) + " -> 0", Open(SqlPlace4Opened) + " -> 0",
    };
    EXPECT_EQ(Opens(Fake()), expected);
    EXPECT_EQ(Fake().OpenKeys(), 0);
}

// SQL Server, .NET and PowerShell written by 64-bit installers alone are not what the 32-bit
// program looks for, in either build.
TEST_P(RegistryProbeBuildTest, KeysOnlyInThe64BitViewReadAsAbsent) {
    Fake().SetString(View::Registry64, DotNetTurkishKey, "Version", "3.5.30729.01");
    Fake().SetString(View::Registry64, PowerShellKey, "PowerShellVersion", "2.0");
    Fake().SetString(View::Registry64, SqlPlace1Opened, "PatchLevel", "13.0.1601.5");
    Fake().SetString(View::Registry64, SqlPlace2Tested, "x", "x");
    Fake().SetString(View::Registry64, SqlPlace2Opened, "CurrentVersion", "10.50.1600.1");
    Fake().SetString(View::Registry64, SqlPlace3Opened, "CurrentVersion", "8.00.194");
    Fake().SetString(View::Registry64, SqlPlace4Opened, "Name", "MSSQLSERVER");

    EXPECT_EQ(ReadDotNet35Version(GetParam().width), "");
    EXPECT_EQ(ReadPowerShellVersion(GetParam().width), "");
    EXPECT_EQ(ReadSqlServerVersion(GetParam().width), "");
    EXPECT_EQ(Fake().OpenKeys(), 0);
}

INSTANTIATE_TEST_SUITE_P(Builds, RegistryProbeBuildTest, ::testing::ValuesIn(Builds),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- reading a value as text -----------------------------------------------------------

struct ValueCase {
    const char* name;
    std::function<void(FakeApi&)> store; // what PowerShellVersion holds
    std::optional<std::string> text;     // the answer, or
    std::optional<std::string> error;    // the message raised
};

void Store(FakeApi& fake, os::Dword type, const std::string& bytes) {
    fake.SetValue(View::Registry32, PowerShellKey, "PowerShellVersion", type, bytes);
}

const ValueCase ValueCases[] = {
    {"Text", [](FakeApi& f) { Store(f, os::kRegSz, "2.0\0"s); }, "2.0", {}},
    {"NoData", [](FakeApi& f) { Store(f, os::kRegSz, ""); }, "", {}},
    {"LoneNul", [](FakeApi& f) { Store(f, os::kRegSz, "\0"s); }, "", {}},
    {"WithoutTerminatingNul", [](FakeApi& f) { Store(f, os::kRegSz, "2.0"); }, "2.0", {}},
    {"StopsAtFirstNul", [](FakeApi& f) { Store(f, os::kRegSz, "2.0\0junk\0"s); }, "2.0", {}},
    {"ExpandStringUnexpanded",
     [](FakeApi& f) { Store(f, os::kRegExpandSz, "%SystemRoot%\\ps\0"s); },
     "%SystemRoot%\\ps",
     {}},
    {"AnsiBytesAsGiven", [](FakeApi& f) { Store(f, os::kRegSz, "s\xFD\xFE\0"s); }, "s\xFD\xFE", {}},
    {"ValueMissing", [](FakeApi& f) { f.AddKey(View::Registry32, PowerShellKey); }, "", {}},
    {"Dword",
     [](FakeApi& f) { Store(f, os::kRegDword, "\x02\0\0\0"s); },
     {},
     "Invalid data type for 'PowerShellVersion'"},
    {"MultiString",
     [](FakeApi& f) { Store(f, os::kRegMultiSz, "2.0\0\0"s); },
     {},
     "Invalid data type for 'PowerShellVersion'"},
    {"Binary",
     [](FakeApi& f) { Store(f, os::kRegBinary, "2.0\0"s); },
     {},
     "Invalid data type for 'PowerShellVersion'"},
    {"EmptyDwordIsEmptyNotWrong", [](FakeApi& f) { Store(f, os::kRegDword, ""); }, "", {}},
    {"DataQueryFails",
     [](FakeApi& f) {
         Store(f, os::kRegSz, "2.0\0"s);
         f.FailDataQuery("PowerShellVersion");
     },
     {},
     "Failed to get data for 'PowerShellVersion'"},
};

class RegistryValueTest : public ::testing::TestWithParam<ValueCase> {
protected:
    os::fake::ScopedFakeApi fake_;
};

TEST_P(RegistryValueTest, ReadsAsTextOrRaises) {
    GetParam().store(*fake_);

    if (GetParam().error) {
        try {
            ReadPowerShellVersion();
            ADD_FAILURE() << "no error raised";
        } catch (const ERegistryException& error) {
            EXPECT_EQ(std::string(error.what()), *GetParam().error);
        }
    } else {
        EXPECT_EQ(ReadPowerShellVersion(), *GetParam().text);
    }
    EXPECT_EQ(fake_->OpenKeys(), 0);
    EXPECT_EQ(fake_->Calls().back(), "RegCloseKey(hkey#2) -> 0");
}

INSTANTIATE_TEST_SUITE_P(Values, RegistryValueTest, ::testing::ValuesIn(ValueCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- which keys must exist --------------------------------------------------------------

struct KeysCase {
    const char* name;
    std::function<void(FakeApi&)> setup;
    std::function<std::string()> probe;
    std::string answer;
    std::vector<std::string> opens; // every RegOpenKeyExA, in order
};

const KeysCase KeysCases[] = {
    {"DotNetTurkish",
     [](FakeApi& f) { f.SetString(View::Registry32, DotNetTurkishKey, "Version", "3.5.30729.01"); },
     [] { return ReadDotNet35Version(); },
     "3.5.30729.01",
     {R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\NET Framework Setup\NDP\v3.5", 0, 0x20009) -> 0)",
      R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\NET Framework Setup\NDP\v3.5\1055", 0, 0xF003F) -> 0)"}},
    {"DotNetOtherLanguageOnly",
     [](FakeApi& f) {
         f.SetString(View::Registry32, R"(SOFTWARE\Microsoft\NET Framework Setup\NDP\v3.5\1033)",
                     "Version", "3.5.30729.01");
         f.SetString(View::Registry32, DotNetKey, "Version", "3.5.30729.01");
     },
     [] { return ReadDotNet35Version(); },
     "",
     {R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\NET Framework Setup\NDP\v3.5", 0, 0x20009) -> 0)",
      R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\NET Framework Setup\NDP\v3.5\1055", 0, 0xF003F) -> 2)"}},
    {"TestedKeyDenied",
     [](FakeApi& f) {
         f.SetString(View::Registry32, DotNetTurkishKey, "Version", "3.5.30729.01");
         f.DenyKey(View::Registry32, DotNetKey);
     },
     [] { return ReadDotNet35Version(); },
     "",
     {R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\NET Framework Setup\NDP\v3.5", 0, 0x20009) -> 5)"}},
    {"OpenedKeyDenied",
     [](FakeApi& f) {
         f.SetString(View::Registry32, DotNetTurkishKey, "Version", "3.5.30729.01");
         f.DenyKey(View::Registry32, DotNetTurkishKey);
     },
     [] { return ReadDotNet35Version(); },
     "",
     {R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\NET Framework Setup\NDP\v3.5", 0, 0x20009) -> 0)",
      R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\NET Framework Setup\NDP\v3.5\1055", 0, 0xF003F) -> 5)"}},
    // Place 2 tests one key and reads its sibling: the value alone is not enough...
    {"SqlPlace2OpenedKeyWithoutTestedKey",
     [](FakeApi& f) { f.SetString(View::Registry32, SqlPlace2Opened, "CurrentVersion", "10.50"); },
     [] { return ReadRegistryProbe(SqlPlace2Tested, SqlPlace2Opened, "CurrentVersion"); },
     "",
     {R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\Microsoft SQL Server\MSSQLServer\MSSQLServer", 0, 0x20009) -> 2)"}},
    // ...nor is the tested key without its sibling.
    {"SqlPlace2TestedKeyWithoutOpenedKey",
     [](FakeApi& f) { f.SetString(View::Registry32, SqlPlace2Tested, "CurrentVersion", "10.50"); },
     [] { return ReadRegistryProbe(SqlPlace2Tested, SqlPlace2Opened, "CurrentVersion"); },
     "",
     {R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\Microsoft SQL Server\MSSQLServer\MSSQLServer", 0, 0x20009) -> 0)",
      R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\Microsoft SQL Server\MSSQLSERVER\CurrentVersion", 0, 0xF003F) -> 2)"}},
    {"SqlPlace2BothKeys",
     [](FakeApi& f) {
         f.AddKey(View::Registry32, SqlPlace2Tested);
         f.SetString(View::Registry32, SqlPlace2Opened, "CurrentVersion", "10.50");
     },
     [] { return ReadRegistryProbe(SqlPlace2Tested, SqlPlace2Opened, "CurrentVersion"); },
     "10.50",
     {R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\Microsoft SQL Server\MSSQLServer\MSSQLServer", 0, 0x20009) -> 0)",
      R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\Microsoft SQL Server\MSSQLSERVER\CurrentVersion", 0, 0xF003F) -> 0)"}},
};

class RegistryKeysTest : public ::testing::TestWithParam<KeysCase> {
protected:
    os::fake::ScopedFakeApi fake_;
};

TEST_P(RegistryKeysTest, AnswersOnlyWhenBothKeysAreThere) {
    GetParam().setup(*fake_);

    EXPECT_EQ(GetParam().probe(), GetParam().answer);
    EXPECT_EQ(Opens(*fake_), GetParam().opens);
    EXPECT_EQ(fake_->OpenKeys(), 0);
}

INSTANTIATE_TEST_SUITE_P(Keys, RegistryKeysTest, ::testing::ValuesIn(KeysCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the four SQL Server places -----------------------------------------------------------

struct SqlCase {
    const char* name;
    std::function<void(FakeApi&)> setup;
    std::string answer;
    std::vector<std::string> keysTested; // the existence tests made, in order
};

const SqlCase SqlCases[] = {
    {"NoneInstalled",
     [](FakeApi&) {},
     "",
     {SqlPlace1Tested, SqlPlace2Tested, SqlPlace3Tested, SqlPlace4Tested}},
    {"Place1",
     [](FakeApi& f) {
         f.SetString(View::Registry32, SqlPlace1Opened, "PatchLevel", "13.0.1601.5");
     },
     "13.0.1601.5",
     {SqlPlace1Tested}},
    {"Place2",
     [](FakeApi& f) {
         f.AddKey(View::Registry32, SqlPlace2Tested);
         f.SetString(View::Registry32, SqlPlace2Opened, "CurrentVersion", "10.50.1600.1");
     },
     "10.50.1600.1",
     // Place 2's keys lie under place 1's tested key, whose setup key is missing.
     {SqlPlace1Tested, SqlPlace2Tested}},
    {"Place3",
     [](FakeApi& f) { f.SetString(View::Registry32, SqlPlace3Opened, "CurrentVersion", "8.00"); },
     "8.00",
     {SqlPlace1Tested, SqlPlace2Tested, SqlPlace3Tested}},
    {"Place4",
     [](FakeApi& f) { f.SetString(View::Registry32, SqlPlace4Opened, "Name", "MSSQLSERVER"); },
     "MSSQLSERVER",
     {SqlPlace1Tested, SqlPlace2Tested, SqlPlace3Tested, SqlPlace4Tested}},
    {"FirstNonEmptyWins",
     [](FakeApi& f) {
         f.SetString(View::Registry32, SqlPlace1Opened, "PatchLevel", "13.0.1601.5");
         f.SetString(View::Registry32, SqlPlace4Opened, "Name", "MSSQLSERVER");
     },
     "13.0.1601.5",
     {SqlPlace1Tested}},
    {"EmptyPlaceFallsThrough",
     [](FakeApi& f) {
         f.SetString(View::Registry32, SqlPlace1Opened, "PatchLevel", "");
         f.SetString(View::Registry32, SqlPlace3Opened, "CurrentVersion", "8.00");
     },
     "8.00",
     {SqlPlace1Tested, SqlPlace2Tested, SqlPlace3Tested}},
};

class SqlServerVersionTest : public ::testing::TestWithParam<SqlCase> {
protected:
    os::fake::ScopedFakeApi fake_;
};

TEST_P(SqlServerVersionTest, AnswersTheFirstPlaceThatGivesText) {
    GetParam().setup(*fake_);

    EXPECT_EQ(ReadSqlServerVersion(), GetParam().answer);

    std::vector<std::string> tested;
    for (const std::string& line : Opens(*fake_)) {
        if (line.find(", 0x20009)") != std::string::npos) {
            tested.push_back(line.substr(line.find('"') + 1, line.rfind('"') - line.find('"') - 1));
        }
    }
    EXPECT_EQ(tested, GetParam().keysTested);
    EXPECT_EQ(fake_->OpenKeys(), 0);
}

INSTANTIATE_TEST_SUITE_P(Places, SqlServerVersionTest, ::testing::ValuesIn(SqlCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SqlServerVersionErrorTest, WrongTypeStopsBeforeTheLaterPlaces) {
    os::fake::ScopedFakeApi fake;
    fake->SetValue(View::Registry32, SqlPlace2Opened, "CurrentVersion", os::kRegDword,
                   "\x01\0\0\0"s);
    fake->AddKey(View::Registry32, SqlPlace2Tested);
    fake->SetString(View::Registry32, SqlPlace4Opened, "Name", "MSSQLSERVER");

    EXPECT_THROW(
        {
            try {
                ReadSqlServerVersion();
            } catch (const ERegistryException& error) {
                EXPECT_STREQ(error.what(), "Invalid data type for 'CurrentVersion'");
                throw;
            }
        },
        ERegistryException);
    for (const std::string& line : fake->Calls()) {
        EXPECT_EQ(line.find(SqlPlace3Tested), std::string::npos) << line;
        EXPECT_EQ(line.find(SqlPlace4Tested), std::string::npos) << line;
    }
    EXPECT_EQ(fake->OpenKeys(), 0);
}

// ---- the reader itself ------------------------------------------------------------------

TEST(TRegistryTest, HoldsAtMostOneCurrentKeyAndClosesItWhenReleased) {
    os::fake::ScopedFakeApi fake;
    fake->SetString(View::Registry32, DotNetKey, "Version", "first");
    fake->SetString(View::Registry32, PowerShellKey, "Version", "second");
    {
        TRegistry registry;
        EXPECT_TRUE(registry.OpenKey(DotNetKey));
        EXPECT_TRUE(registry.OpenKey(PowerShellKey));
        EXPECT_FALSE(registry.OpenKey(DotNetTurkishKey));
        EXPECT_EQ(fake->OpenKeys(), 1);
        EXPECT_EQ(registry.ReadString("Version"), "second");
    }
    const std::vector<std::string> expected = {
        R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\NET Framework Setup\NDP\v3.5", 0, 0xF003F) -> 0)",
        R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\PowerShell\1\PowerShellEngine", 0, 0xF003F) -> 0)",
        "RegCloseKey(hkey#1) -> 0",
        R"(RegOpenKeyExA(HKLM, "SOFTWARE\Microsoft\NET Framework Setup\NDP\v3.5\1055", 0, 0xF003F) -> 2)",
        R"(RegQueryValueExA(hkey#2, "Version", null) -> 0)",
        R"(RegQueryValueExA(hkey#2, "Version", 7) -> 0)",
        "RegCloseKey(hkey#2) -> 0",
    };
    EXPECT_EQ(fake->Calls(), expected);
}

TEST(TRegistryTest, ReadsNothingWithoutACurrentKey) {
    os::fake::ScopedFakeApi fake;
    TRegistry registry;

    EXPECT_EQ(registry.ReadString("Version"), "");
    EXPECT_TRUE(fake->Calls().empty());
}

} // namespace
