// The install step on a fake machine: the launch record, the wait between polls, how the exit
// code decides the row, and how a close request ends the wait.

#include "os/Types.h"
#include "prerequisites/AdminPassword.h"
#include "prerequisites/RunAndWait.h"
#include "prerequisites/TPrerequisitePackage.h"
#include "tests/unit/prerequisites/PrerequisitePage.h"

#include <stdexcept>

namespace {

using os::fake::ProcessScript;

class PackageInstallTest : public PrerequisitePage {
protected:
    PackageInstallTest() {
        // A wait that never ends would hang the suite; fail it instead.
        Os().onCall = [this](const std::string& line) {
            if (line.starts_with("GetExitCodeProcess") && ++polls_ > 1000) {
                throw std::runtime_error("the wait does not end");
            }
        };
    }

    // Package n's row as the download step leaves it, then its install step.
    void Install(std::uint8_t n, ProcessScript installer) {
        StartRow(n);
        (Form().*FindPackage(n)->Row).Status->SetCaption("İndirildi...");
        ClearJournal();
        Os().ScriptProcess(installer);
        Form().InstallPackage(n);
    }

    int polls_ = 0;
};

TEST_F(PackageInstallTest, EachInstallerIsLaunchedHiddenWithItsOwnParameters) {
    struct Case {
        std::uint8_t n;
        const char* file;
        std::string parameters;
    };
    const Case cases[] = {
        {1, "C:\\Sql2016\\dotnetfx35.exe", "/Q /Norestart"},
        {2, "C:\\Sql2016\\Windows6.0-KB968930-x64.msu", "/quiet /norestart"},
        {3, "C:\\Sql2016\\SQLEXPR_x64_ENU.exe",
         std::string("/Q /Action=install /FEATURES=SQL /INSTANCENAME=MSSQLSERVER "
                     "/SQLSVCACCOUNT=\"NT AUTHORITY\\NETWORK SERVICE\" "
                     "/SQLSYSADMINACCOUNTS=\"BUILTIN\\ADMINISTRATORS\" "
                     "/AGTSVCACCOUNT=\"NT AUTHORITY \\Network Service\" "
                     "/SECURITYMODE=SQL /SAPWD=") +
             AdminPassword + " /IACCEPTSQLSERVERLICENSETERMS /TCPENABLED=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Install(c.n, {.runsForMs = 0, .exitCode = 0});
        const os::fake::LaunchRecord& launch = Os().Launches().back();
        EXPECT_EQ(launch.cbSize, os::kShellExecuteInfoSize);
        EXPECT_EQ(launch.fMask, 0x40u);
        EXPECT_EQ(launch.hwnd, HeadlessBackend::WindowHandle);
        EXPECT_EQ(launch.verb, std::nullopt);
        EXPECT_EQ(launch.file, c.file);
        EXPECT_EQ(launch.parameters, c.parameters);
        EXPECT_EQ(launch.directory, std::nullopt);
        EXPECT_EQ(launch.nShow, 0);
    }
    // The whole page once the three have run.
    EXPECT_EQ(Journal().back(), "screen: Panel1{Indir2ok Indir1ok Label3\".NET Framework 3.5 SP1\" "
                                "Label4\"Windows PowerShell 2.0\" Indir1Lb\"Yüklendi.\" "
                                "Indir2Lb\"Yüklendi.\" Label7\"MS SQL Server 2016\" Indir3ok "
                                "Indir3Lb\"Yüklendi.\"}");
    EXPECT_EQ(Os().Launches().size(), 3u);
    EXPECT_EQ(Os().OpenHandles(), 0);
}

struct Wait {
    const char* id;
    ProcessScript installer;
    std::vector<std::string> waited; // from the launch to the handle's release
};

void PrintTo(const Wait& c, std::ostream* out) {
    *out << c.id;
}

std::vector<Wait> Waits() {
    return {
        {"EndsAtOnce",
         {.runsForMs = 0, .exitCode = 0},
         {"ProcessMessages", "GetExitCodeProcess(process#1) -> 0", "CloseHandle(process#1) -> 1"}},
        {"RunsOneAndAHalfSeconds",
         {.runsForMs = 1500, .exitCode = 0},
         {"ProcessMessages", "GetExitCodeProcess(process#1) -> 259",
          "WaitForSingleObject(process#1, 0) -> 258",
          "MsgWaitForMultipleObjects(process#1, 1000) -> 258", "ProcessMessages",
          "GetExitCodeProcess(process#1) -> 259", "WaitForSingleObject(process#1, 0) -> 258",
          "MsgWaitForMultipleObjects(process#1, 1000) -> 0", "ProcessMessages",
          "GetExitCodeProcess(process#1) -> 0", "CloseHandle(process#1) -> 1"}},
        // Its own exit code looks like a running one: the signalled handle tells them apart.
        {"EndsWith259",
         {.runsForMs = 500, .exitCode = os::kStillActive},
         {"ProcessMessages", "GetExitCodeProcess(process#1) -> 259",
          "WaitForSingleObject(process#1, 0) -> 258",
          "MsgWaitForMultipleObjects(process#1, 1000) -> 0", "ProcessMessages",
          "GetExitCodeProcess(process#1) -> 259", "WaitForSingleObject(process#1, 0) -> 0",
          "CloseHandle(process#1) -> 1"}},
    };
}

class InstallWaitTest : public PackageInstallTest, public ::testing::WithParamInterface<Wait> {};

TEST_P(InstallWaitTest, SleepsUntilTheInstallerEndsAndPollsAtLeastOnce) {
    const Wait& wait = GetParam();
    Install(1, wait.installer);
    std::vector<std::string> expected = {
        "ProcessMessages",
        Screen(1, "Yükleniyor..."),
        R"(ShellExecuteExA(0x40, "C:\Sql2016\dotnetfx35.exe", "/Q /Norestart") -> 1)",
    };
    expected.insert(expected.end(), wait.waited.begin(), wait.waited.end());
    expected.push_back("ProcessMessages");
    expected.push_back(wait.installer.exitCode == 0
                           ? Screen(1, "Yüklendi.", RowEnd::Done)
                           : Screen(1, "Hata yüklenemedi...", RowEnd::Failed));
    EXPECT_EQ(Lines(Journal()), Lines(expected));
    EXPECT_EQ(Os().Now(), wait.installer.runsForMs);
    EXPECT_EQ(Os().OpenHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Package1, InstallWaitTest, ::testing::ValuesIn(Waits()),
                         [](const auto& info) { return std::string(info.param.id); });

struct Ending {
    const char* id;
    std::uint8_t n;
    ProcessScript installer;
    bool installed;
};

void PrintTo(const Ending& c, std::ostream* out) {
    *out << c.id;
}

std::vector<Ending> Endings() {
    constexpr bool Installed = true;
    constexpr bool NotInstalled = false;
    return {
        {"DotNetDone", 1, {.exitCode = 0}, Installed},
        {"DotNetRestartRequired", 1, {.exitCode = 3010}, Installed},
        {"DotNetRestartStarted", 1, {.exitCode = 1641}, Installed},
        {"DotNetFatalError", 1, {.exitCode = 1603}, NotInstalled},
        {"DotNetOne", 1, {.exitCode = 1}, NotInstalled},
        {"DotNetUpdateCodeIsNotItsOwn", 1, {.exitCode = 0x00240006}, NotInstalled},
        {"UpdateDone", 2, {.exitCode = 0}, Installed},
        {"UpdateRestartRequired", 2, {.exitCode = 3010}, Installed},
        {"UpdateRestartStarted", 2, {.exitCode = 1641}, Installed},
        {"UpdateRebootRequired", 2, {.exitCode = 0x00240005}, Installed},
        {"UpdateAlreadyInstalled", 2, {.exitCode = 0x00240006}, Installed},
        {"UpdateNotApplicable", 2, {.exitCode = 0x80240017}, NotInstalled},
        {"SqlDone", 3, {.exitCode = 0}, Installed},
        {"SqlRestartRequired", 3, {.exitCode = 3010}, Installed},
        {"SqlFailed", 3, {.exitCode = 0x84B40000}, NotInstalled},
        {"SqlUpdateCodeIsNotItsOwn", 3, {.exitCode = 0x00240005}, NotInstalled},
        {"LaunchFails", 1, {.launches = false}, NotInstalled},
    };
}

class InstallEndingTest : public PackageInstallTest,
                          public ::testing::WithParamInterface<Ending> {};

TEST_P(InstallEndingTest, OnlyASuccessCodeShowsTheRowAsInstalled) {
    const Ending& ending = GetParam();
    Install(ending.n, ending.installer);
    EXPECT_EQ(Journal().back(), ending.installed
                                    ? Screen(ending.n, "Yüklendi.", RowEnd::Done)
                                    : Screen(ending.n, "Hata yüklenemedi...", RowEnd::Failed));
    EXPECT_EQ(Os().OpenHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(ExitCodes, InstallEndingTest, ::testing::ValuesIn(Endings()),
                         [](const auto& info) { return std::string(info.param.id); });

// A close request met in the wait ends it in that poll; the installer runs on unwatched, and
// a later install is still launched but no longer waited for.
TEST_F(PackageInstallTest, ACloseRequestEndsThisWaitAndEveryLaterOne) {
    const ProcessScript endless = {.runsForMs = os::kInfinite, .exitCode = 0};
    bool posted = false;
    Os().onCall = [&](const std::string& line) {
        if (!posted && line == "GetExitCodeProcess(process#1) -> 259") {
            Backend().PostCloseRequest();
            posted = true;
        }
    };

    Install(1, endless);
    EXPECT_EQ(Lines(Journal()),
              Lines({
                  "ProcessMessages",
                  Screen(1, "Yükleniyor..."),
                  R"(ShellExecuteExA(0x40, "C:\Sql2016\dotnetfx35.exe", "/Q /Norestart") -> 1)",
                  "ProcessMessages",
                  "GetExitCodeProcess(process#1) -> 259",
                  "WaitForSingleObject(process#1, 0) -> 258",
                  // the close request wakes the wait at once
                  "MsgWaitForMultipleObjects(process#1, 1000) -> 1",
                  "ProcessMessages",
                  "GetExitCodeProcess(process#1) -> 259",
                  "WaitForSingleObject(process#1, 0) -> 258",
                  "CloseHandle(process#1) -> 1",
                  "ProcessMessages",
                  Screen(1, "Yüklendi.", RowEnd::Done),
              }));
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(Os().Now(), 0u);

    Install(2, endless);
    EXPECT_EQ(
        JournalOf({"ShellExecuteExA", "GetExitCodeProcess", "WaitForSingleObject",
                   "MsgWaitForMultipleObjects", "CloseHandle"}),
        (std::vector<std::string>{
            R"(ShellExecuteExA(0x40, "C:\Sql2016\Windows6.0-KB968930-x64.msu", "/quiet /norestart") -> 1)",
            "GetExitCodeProcess(process#2) -> 259",
            "WaitForSingleObject(process#2, 0) -> 258",
            "CloseHandle(process#2) -> 1",
        }));
    EXPECT_EQ(Form().Indir2Lb->Caption(), "Yüklendi.");
    EXPECT_TRUE(Form().Indir2ok->Visible());
    EXPECT_FALSE(Form().Indir2Don->Visible());
    EXPECT_EQ(Os().OpenHandles(), 0);
}

// The result tells the caller how the wait ended, not only that it did.
TEST_F(PackageInstallTest, RunAndWaitReportsTheExitCodeOrWhyThereIsNone) {
    Os().ScriptProcess({.runsForMs = 20, .exitCode = 3010});
    Os().ScriptProcess({.launches = false});
    const TRunResult ended = RunAndWait("C:\\setup.exe", "/q");
    const TRunResult notLaunched = RunAndWait("C:\\missing.exe", "");
    EXPECT_EQ(ended.ExitCode, 3010u);
    EXPECT_FALSE(ended.Abandoned);
    EXPECT_EQ(notLaunched.ExitCode, std::nullopt);
    EXPECT_FALSE(notLaunched.Abandoned);

    Backend().PostCloseRequest();
    Os().ScriptProcess({.runsForMs = os::kInfinite});
    const TRunResult abandoned = RunAndWait("C:\\setup.exe", "/q");
    EXPECT_EQ(abandoned.ExitCode, std::nullopt);
    EXPECT_TRUE(abandoned.Abandoned);
}

} // namespace
