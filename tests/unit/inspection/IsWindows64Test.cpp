// IsWindows64 against the fake machine: every way the run-time lookup can go, and kernel32
// freed on every path after it was loaded.

#include "inspection/Probes.h"
#include "os/fake/FakeApi.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Wow64Case {
    const char* name;
    bool kernel32Loads;
    bool hasIsWow64Process;
    os::Bool isWow64Answer;
    bool callFails;
    bool answer;
    std::vector<std::string> calls;
};

const Wow64Case Wow64Cases[] = {
    {"UnderWow64",
     true,
     true,
     1,
     false,
     true,
     {R"(LoadLibraryA("kernel32.dll") -> module#1)",
      R"(GetProcAddress(module#1, "IsWow64Process") -> 0x1)", "GetCurrentProcess() -> process#0",
      "IsWow64Process(process#0, FALSE) -> 1", "FreeLibrary(module#1) -> 1"}},
    {"On32BitWindows",
     true,
     true,
     0,
     false,
     false,
     {R"(LoadLibraryA("kernel32.dll") -> module#1)",
      R"(GetProcAddress(module#1, "IsWow64Process") -> 0x1)", "GetCurrentProcess() -> process#0",
      "IsWow64Process(process#0, FALSE) -> 1", "FreeLibrary(module#1) -> 1"}},
    {"CallFails",
     true,
     true,
     1,
     true,
     false,
     {R"(LoadLibraryA("kernel32.dll") -> module#1)",
      R"(GetProcAddress(module#1, "IsWow64Process") -> 0x1)", "GetCurrentProcess() -> process#0",
      "IsWow64Process(process#0, FALSE) -> 0", "FreeLibrary(module#1) -> 1"}},
    {"NoIsWow64Process",
     true,
     false,
     1,
     false,
     false,
     {R"(LoadLibraryA("kernel32.dll") -> module#1)",
      R"(GetProcAddress(module#1, "IsWow64Process") -> 0)", "FreeLibrary(module#1) -> 1"}},
    {"NoKernel32", false, true, 1, false, false, {R"(LoadLibraryA("kernel32.dll") -> 0)"}},
};

class IsWindows64Test : public ::testing::TestWithParam<Wow64Case> {
protected:
    IsWindows64Test() {
        fake_->processIs32Bit = true;
        fake_->kernel32Loads = GetParam().kernel32Loads;
        fake_->hasIsWow64Process = GetParam().hasIsWow64Process;
        fake_->isWow64Answer = GetParam().isWow64Answer;
        fake_->isWow64CallFails = GetParam().callFails;
    }

    os::fake::ScopedFakeApi fake_;
};

TEST_P(IsWindows64Test, The32BitBuildAsksWow64) {
    EXPECT_EQ(IsWindows64(ProcessWidth::Bits32), GetParam().answer);
    EXPECT_EQ(fake_->Calls(), GetParam().calls);
    EXPECT_EQ(fake_->LoadedModules(), 0);
}

// A 64-bit process exists only on 64-bit Windows, where WOW64 would wrongly answer false.
TEST_P(IsWindows64Test, The64BitBuildKnowsWithoutAsking) {
    fake_->processIs32Bit = false;

    EXPECT_TRUE(IsWindows64(ProcessWidth::Bits64));
    EXPECT_TRUE(fake_->Calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Lookups, IsWindows64Test, ::testing::ValuesIn(Wow64Cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IsWindows64RaiseTest, FreesKernel32WhenTheCallRaises) {
    os::fake::ScopedFakeApi fake;
    fake->processIs32Bit = true;
    fake->onCall = [](const std::string& line) {
        if (line.starts_with("IsWow64Process")) {
            throw std::runtime_error("access violation");
        }
    };

    EXPECT_THROW(IsWindows64(ProcessWidth::Bits32), std::runtime_error);
    EXPECT_EQ(fake->Calls().back(), "FreeLibrary(module#1) -> 1");
    EXPECT_EQ(fake->LoadedModules(), 0);
}

} // namespace
