#include "os/fake/FakeApi.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using os::fake::FakeApi;
using os::fake::View;

constexpr const char* kEngine = "SOFTWARE\\Microsoft\\PowerShell\\1\\PowerShellEngine";
constexpr os::Dword kWow64_64Key = 0x0100;
constexpr os::Long kErrorInvalidHandle = 6;
constexpr os::Long kErrorMoreData = 234;

struct ViewCase {
    const char* name;
    bool processIs32Bit;
    os::Dword flags;
    View keyIn;
    os::Long expected;
};

class RegistryViewTest : public testing::TestWithParam<ViewCase> {};

TEST_P(RegistryViewTest, OpenReachesTheViewTheFlagsAndTheProcessSelect) {
    const ViewCase& c = GetParam();
    FakeApi fake;
    fake.processIs32Bit = c.processIs32Bit;
    fake.AddKey(c.keyIn, kEngine);
    os::Hkey key = 0;
    EXPECT_EQ(fake.RegOpenKeyExA(os::kHkeyLocalMachine, kEngine, 0, os::kKeyExistenceTest | c.flags,
                                 &key),
              c.expected);
    EXPECT_EQ(fake.OpenKeys(), c.expected == os::kErrorSuccess ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Views, RegistryViewTest,
    testing::Values(
        ViewCase{"Process32NoFlagSees32", true, 0, View::Registry32, os::kErrorSuccess},
        ViewCase{"Process32NoFlagMisses64", true, 0, View::Registry64, os::kErrorFileNotFound},
        ViewCase{"Process64NoFlagSees64", false, 0, View::Registry64, os::kErrorSuccess},
        ViewCase{"Process64NoFlagMisses32", false, 0, View::Registry32, os::kErrorFileNotFound},
        ViewCase{"Process64Flag32Sees32", false, os::kKeyWow64_32Key, View::Registry32,
                 os::kErrorSuccess},
        ViewCase{"Process64Flag32Misses64", false, os::kKeyWow64_32Key, View::Registry64,
                 os::kErrorFileNotFound},
        ViewCase{"Process32Flag64Sees64", true, kWow64_64Key, View::Registry64, os::kErrorSuccess}),
    [](const testing::TestParamInfo<ViewCase>& info) { return info.param.name; });

TEST(FakeRegistry, KeysMatchWithoutCaseAndParentsExistDenialAndMissingDiffer) {
    FakeApi fake;
    fake.processIs32Bit = true;
    fake.AddKey(View::Registry32, "SOFTWARE\\Microsoft\\Microsoft SQL Server\\MSSQLSERVER\\setup");
    fake.DenyKey(View::Registry32, "SOFTWARE\\Microsoft\\Microsoft SQL Server\\Services");
    os::Hkey first = 0;
    os::Hkey second = 0;
    os::Hkey none = 123;
    EXPECT_EQ(fake.RegOpenKeyExA(os::kHkeyLocalMachine,
                                 "software\\MICROSOFT\\microsoft sql server\\MSSQLServer", 0,
                                 os::kKeyAllAccess, &first),
              os::kErrorSuccess);
    EXPECT_EQ(fake.RegOpenKeyExA(os::kHkeyLocalMachine,
                                 "SOFTWARE\\Microsoft\\Microsoft SQL Server\\MSSQLSERVER\\Setup", 0,
                                 os::kKeyAllAccess, &second),
              os::kErrorSuccess);
    EXPECT_NE(first, second);
    EXPECT_EQ(fake.RegOpenKeyExA(os::kHkeyLocalMachine,
                                 "SOFTWARE\\Microsoft\\Microsoft SQL Server\\Services", 0,
                                 os::kKeyExistenceTest, &none),
              os::kErrorAccessDenied);
    EXPECT_EQ(none, 0u);
    EXPECT_EQ(fake.RegOpenKeyExA(os::kHkeyLocalMachine, "SOFTWARE\\Nothing", 0,
                                 os::kKeyExistenceTest, &none),
              os::kErrorFileNotFound);
    EXPECT_EQ(fake.OpenKeys(), 2);

    EXPECT_EQ(fake.RegCloseKey(first), os::kErrorSuccess);
    EXPECT_EQ(fake.RegCloseKey(first), kErrorInvalidHandle);
    EXPECT_EQ(fake.RegCloseKey(second), os::kErrorSuccess);
    EXPECT_EQ(fake.OpenKeys(), 0);
}

// The two-step read every registry reader makes: size and type first, then the data.
class ValueQueryTest : public testing::Test {
protected:
    ValueQueryTest() {
        fake_.processIs32Bit = true;
        fake_.SetString(View::Registry32, kEngine, "PowerShellVersion", "2.0");
        EXPECT_EQ(fake_.RegOpenKeyExA(os::kHkeyLocalMachine, kEngine, 0, os::kKeyAllAccess, &key_),
                  os::kErrorSuccess);
    }

    FakeApi fake_;
    os::Hkey key_ = 0;
};

TEST_F(ValueQueryTest, SizeQueryThenDataQueryFollowTheWin32Contract) {
    os::Dword type = 99;
    os::Dword size = 0;
    EXPECT_EQ(fake_.RegQueryValueExA(key_, "powershellversion", &type, nullptr, &size),
              os::kErrorSuccess);
    EXPECT_EQ(type, os::kRegSz);
    EXPECT_EQ(size, 4u); // "2.0" and its NUL

    std::vector<std::uint8_t> small(3, 'x');
    os::Dword room = 3;
    EXPECT_EQ(fake_.RegQueryValueExA(key_, "PowerShellVersion", &type, small.data(), &room),
              kErrorMoreData);
    EXPECT_EQ(room, 4u);
    EXPECT_EQ(std::string(small.begin(), small.end()), "xxx");

    std::vector<std::uint8_t> exact(size);
    EXPECT_EQ(fake_.RegQueryValueExA(key_, "PowerShellVersion", &type, exact.data(), &size),
              os::kErrorSuccess);
    EXPECT_EQ(std::string(exact.begin(), exact.end()), std::string("2.0\0", 4));

    EXPECT_EQ(fake_.RegQueryValueExA(key_, "Missing", &type, nullptr, &size),
              os::kErrorFileNotFound);
}

TEST_F(ValueQueryTest, FailDataQueryLetsOnlyTheSizeQuerySucceed) {
    fake_.FailDataQuery("PowerShellVersion");
    os::Dword size = 0;
    ASSERT_EQ(fake_.RegQueryValueExA(key_, "PowerShellVersion", nullptr, nullptr, &size),
              os::kErrorSuccess);
    std::vector<std::uint8_t> data(size);
    EXPECT_NE(fake_.RegQueryValueExA(key_, "PowerShellVersion", nullptr, data.data(), &size),
              os::kErrorSuccess);
}

TEST_F(ValueQueryTest, JournalShowsTheBufferSizeOnlyForTheDataQuery) {
    os::Dword size = 0;
    fake_.RegQueryValueExA(key_, "PowerShellVersion", nullptr, nullptr, &size);
    std::vector<std::uint8_t> data(size);
    fake_.RegQueryValueExA(key_, "PowerShellVersion", nullptr, data.data(), &size);
    fake_.RegCloseKey(key_);
    EXPECT_EQ(fake_.Calls(),
              (std::vector<std::string>{
                  "RegOpenKeyExA(HKLM, "
                  "\"SOFTWARE\\Microsoft\\PowerShell\\1\\PowerShellEngine\", 0, 0xF003F) -> 0",
                  "RegQueryValueExA(hkey#1, \"PowerShellVersion\", null) -> 0",
                  "RegQueryValueExA(hkey#1, \"PowerShellVersion\", 4) -> 0",
                  "RegCloseKey(hkey#1) -> 0",
              }));
}

TEST(FakeModules, Kernel32LoadsByAnyCaseAndIsWow64ProcessAnswersThroughTheLookedUpAddress) {
    FakeApi fake;
    fake.isWow64Answer = 1;
    EXPECT_EQ(fake.LoadLibraryA("user32.dll"), 0u);
    const os::Hmodule module = fake.LoadLibraryA("KERNEL32.DLL");
    ASSERT_NE(module, 0u);
    EXPECT_EQ(fake.GetProcAddress(module, "IsWow64Proces"), 0u);
    const os::Proc proc = fake.GetProcAddress(module, "IsWow64Process");
    ASSERT_NE(proc, 0u);
    os::Bool wow64 = 0;
    EXPECT_EQ(fake.CallIsWow64Process(proc, fake.GetCurrentProcess(), &wow64), 1);
    EXPECT_EQ(wow64, 1);
    EXPECT_EQ(fake.LoadedModules(), 1);
    EXPECT_EQ(fake.FreeLibrary(module), 1);
    EXPECT_EQ(fake.LoadedModules(), 0);
    EXPECT_EQ(fake.Calls(), (std::vector<std::string>{
                                "LoadLibraryA(\"user32.dll\") -> 0",
                                "LoadLibraryA(\"KERNEL32.DLL\") -> module#1",
                                "GetProcAddress(module#1, \"IsWow64Proces\") -> 0",
                                "GetProcAddress(module#1, \"IsWow64Process\") -> 0x1",
                                "GetCurrentProcess() -> process#0",
                                "IsWow64Process(process#0, FALSE) -> 1",
                                "FreeLibrary(module#1) -> 1",
                            }));
}

TEST(FakeModules, CallingIsWow64ProcessAfterFreeingKernel32FailsTheTest) {
    FakeApi fake;
    const os::Hmodule module = fake.LoadLibraryA("kernel32.dll");
    const os::Proc proc = fake.GetProcAddress(module, "IsWow64Process");
    fake.FreeLibrary(module);
    os::Bool wow64 = 0;
    EXPECT_THROW(fake.CallIsWow64Process(proc, fake.GetCurrentProcess(), &wow64), std::logic_error);
}

TEST(FakeModules, AFailingCallLeavesTheAnswerUntouched) {
    FakeApi fake;
    fake.isWow64CallFails = true;
    const os::Hmodule module = fake.LoadLibraryA("kernel32.dll");
    const os::Proc proc = fake.GetProcAddress(module, "IsWow64Process");
    os::Bool wow64 = 0;
    EXPECT_EQ(fake.CallIsWow64Process(proc, fake.GetCurrentProcess(), &wow64), 0);
    EXPECT_EQ(wow64, 0);
}

TEST(ScopedFakeApi, InstallsItselfAndRestoresThePreviousMachine) {
    os::fake::ScopedFakeApi outer;
    {
        os::fake::ScopedFakeApi inner;
        EXPECT_EQ(&os::Current(), &*inner);
    }
    EXPECT_EQ(&os::Current(), &*outer);
}

} // namespace
