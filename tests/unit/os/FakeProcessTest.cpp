#include "os/fake/FakeApi.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using os::fake::FakeApi;
using os::fake::ProcessScript;

constexpr const char* kDotNet = "C:\\Sql2016\\dotnetfx35.exe";

class FakeProcessTest : public testing::Test {
protected:
    os::Handle Launch(ProcessScript script) {
        fake_.ScriptProcess(script);
        os::ShellExecuteInfo info;
        info.cbSize = os::kShellExecuteInfoSize;
        info.fMask = os::kSeeMaskNoCloseProcess;
        info.lpFile = kDotNet;
        info.lpParameters = "/Q /Norestart";
        info.nShow = os::kSwHide;
        EXPECT_EQ(fake_.ShellExecuteExA(&info), 1);
        return info.hProcess;
    }

    os::Dword ExitCode(os::Handle process) {
        os::Dword code = 12345;
        EXPECT_EQ(fake_.GetExitCodeProcess(process, &code), 1);
        return code;
    }

    FakeApi fake_;
};

TEST_F(FakeProcessTest, WaitsAdvanceTheClockByTheSmallerOfTimeoutAndTimeLeft) {
    const os::Handle process = Launch({.runsForMs = 2500, .exitCode = 3010});
    ASSERT_NE(process, 0u);
    EXPECT_EQ(ExitCode(process), os::kStillActive);
    EXPECT_EQ(fake_.WaitForSingleObject(process, 0), os::kWaitTimeout);
    EXPECT_EQ(fake_.Now(), 0u);
    EXPECT_EQ(fake_.WaitForSingleObject(process, 1000), os::kWaitTimeout);
    EXPECT_EQ(fake_.Now(), 1000u);
    fake_.Sleep(1000);
    EXPECT_EQ(fake_.WaitForSingleObject(process, 1000), os::kWaitObject0);
    EXPECT_EQ(fake_.Now(), 2500u);
    EXPECT_EQ(ExitCode(process), 3010u);
    EXPECT_EQ(fake_.WaitForSingleObject(process, os::kInfinite), os::kWaitObject0);
    EXPECT_EQ(fake_.OpenHandles(), 1);
    EXPECT_EQ(fake_.CloseHandle(process), 1);
    EXPECT_EQ(fake_.OpenHandles(), 0);
    os::Dword code = 0;
    EXPECT_EQ(fake_.GetExitCodeProcess(process, &code), 0);
}

TEST_F(FakeProcessTest, AnExitCodeOf259IsToldFromRunningOnlyByTheWait) {
    const os::Handle process = Launch({.runsForMs = 10, .exitCode = os::kStillActive});
    fake_.Sleep(10);
    EXPECT_EQ(ExitCode(process), os::kStillActive);
    EXPECT_EQ(fake_.WaitForSingleObject(process, 0), os::kWaitObject0);
    fake_.CloseHandle(process);
}

TEST_F(FakeProcessTest, ScriptsAreTakenInOrderThenTheDefault) {
    fake_.defaultProcess.exitCode = 7;
    fake_.ScriptProcess({.launches = false, .launchError = os::kErrorFileNotFound});
    os::ShellExecuteInfo failing;
    failing.fMask = os::kSeeMaskNoCloseProcess;
    failing.lpFile = "C:\\Sql2016\\missing.exe";
    EXPECT_EQ(fake_.ShellExecuteExA(&failing), 0);
    EXPECT_EQ(failing.hProcess, 0u);
    EXPECT_EQ(fake_.GetLastError(), static_cast<os::Dword>(os::kErrorFileNotFound));

    os::ShellExecuteInfo fallback;
    fallback.fMask = os::kSeeMaskNoCloseProcess;
    fallback.lpFile = kDotNet;
    ASSERT_EQ(fake_.ShellExecuteExA(&fallback), 1);
    EXPECT_EQ(ExitCode(fallback.hProcess), 7u);
    fake_.CloseHandle(fallback.hProcess);

    ASSERT_EQ(fake_.Launches().size(), 2u);
    EXPECT_EQ(fake_.Launches()[0].file, "C:\\Sql2016\\missing.exe");
    EXPECT_EQ(fake_.Launches()[0].parameters, std::nullopt);
    EXPECT_EQ(fake_.Launches()[1].file, kDotNet);
}

TEST_F(FakeProcessTest, WithoutNoCloseProcessNoHandleIsHandedOut) {
    os::ShellExecuteInfo info;
    info.lpFile = kDotNet;
    EXPECT_EQ(fake_.ShellExecuteExA(&info), 1);
    EXPECT_EQ(info.hProcess, 0u);
    EXPECT_EQ(fake_.OpenHandles(), 0);
}

TEST_F(FakeProcessTest, MsgWaitReturnsAtOnceForInputAndOtherwiseWaitsLikeTheSingleWait) {
    bool input = true;
    fake_.messagesWaiting = [&] { return input; };
    const os::Handle process = Launch({.runsForMs = 1500});
    EXPECT_EQ(fake_.MsgWaitForMultipleObjects(1, &process, 0, os::kInfinite, os::kQsAllInput),
              os::kWaitObject0 + 1);
    EXPECT_EQ(fake_.Now(), 0u);
    input = false;
    EXPECT_EQ(fake_.MsgWaitForMultipleObjects(1, &process, 0, 1000, os::kQsAllInput),
              os::kWaitTimeout);
    EXPECT_EQ(fake_.MsgWaitForMultipleObjects(1, &process, 0, os::kInfinite, os::kQsAllInput),
              os::kWaitObject0);
    EXPECT_EQ(fake_.Now(), 1500u);
    fake_.CloseHandle(process);
}

TEST_F(FakeProcessTest, AWaitThatCouldNeverEndFailsTheTestInsteadOfHanging) {
    const os::Handle process = Launch({.runsForMs = os::kInfinite});
    EXPECT_THROW(fake_.MsgWaitForMultipleObjects(1, &process, 0, os::kInfinite, os::kQsAllInput),
                 std::logic_error);
    EXPECT_THROW(fake_.WaitForSingleObject(process, os::kInfinite), std::logic_error);
    EXPECT_EQ(fake_.WaitForSingleObject(process, 60000), os::kWaitTimeout);
    EXPECT_EQ(ExitCode(process), os::kStillActive);
    fake_.CloseHandle(process);
}

TEST_F(FakeProcessTest, JournalShowsLaunchPollsAndWaitsInOrderAndOnCallSeesEachLine) {
    std::vector<std::string> seen;
    fake_.onCall = [&](const std::string& line) { seen.push_back(line); };
    const os::Handle process = Launch({.runsForMs = 1000, .exitCode = 0});
    ExitCode(process);
    fake_.WaitForSingleObject(process, 0);
    fake_.MsgWaitForMultipleObjects(1, &process, 0, 1000, os::kQsAllInput);
    fake_.WinExec("net start MSSQLSERVER", os::kSwHide);
    fake_.CloseHandle(process);
    fake_.Sleep(15);
    fake_.Record("ProcessMessages");
    const std::vector<std::string> expected = {
        "ShellExecuteExA(0x40, \"C:\\Sql2016\\dotnetfx35.exe\", \"/Q /Norestart\") -> 1",
        "GetExitCodeProcess(process#1) -> 259",
        "WaitForSingleObject(process#1, 0) -> 258",
        "MsgWaitForMultipleObjects(process#1, 1000) -> 0",
        "WinExec(\"net start MSSQLSERVER\", 0) -> 33",
        "CloseHandle(process#1) -> 1",
        "Sleep(15)",
        "ProcessMessages",
    };
    EXPECT_EQ(fake_.Calls(), expected);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(fake_.WinExecs(),
              (std::vector<std::pair<std::string, os::Uint>>{{"net start MSSQLSERVER", 0}}));
}

TEST(FakeJournal, OnCallMayRecordLinesOfItsOwn) {
    FakeApi fake;
    std::vector<std::string> seen;
    fake.onCall = [&](const std::string& line) {
        if (line.starts_with("Sleep")) {
            for (int i = 0; i < 64; ++i) {
                fake.Record("ProcessMessages");
            }
            seen.push_back(line);
        }
    };
    fake.Sleep(10);
    EXPECT_EQ(seen, std::vector<std::string>{"Sleep(10)"});
    EXPECT_EQ(fake.Calls().size(), 65u);
}

} // namespace
