// A package's two steps, download then install, as the page runs them: the whole transcript
// of seam calls, pumps and screens for a package found in the cache, fetched, or not fetched.

#include "tests/unit/net/LoopbackServer.h"
#include "tests/unit/prerequisites/PrerequisitePage.h"

#include <optional>

namespace {

using os::fake::ProcessScript;
using Reply = LoopbackServer::Reply;

constexpr const char* Target = "C:\\Sql2016\\dotnetfx35.exe";

struct Scenario {
    const char* id;
    const char* name;
    std::optional<std::string> cached; // the file already at the LocalPath
    std::vector<Reply> replies;
    ProcessScript installer;
    std::vector<std::string> requests;
    std::vector<std::string> transcript;
};

void PrintTo(const Scenario& c, std::ostream* out) {
    *out << c.id;
}

const std::string Request = "GET /Kolvera/2016/dotnetfx35.exe HTTP/1.1\r\n"
                            "Content-Type: text/html\r\n"
                            "Host: 127.0.0.1:%PORT%\r\n"
                            "Accept: text/html, */*\r\n"
                            "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                            "\r\n";

std::vector<Scenario> Scenarios() {
    return {
        {"Cached",
         "found in the cache, even empty: no request",
         "",
         {},
         {.runsForMs = 0, .exitCode = 0},
         {},
         {
             "ProcessMessages",
             "Sleep(250)",
             R"(GetFileAttributesA("C:\Sql2016\dotnetfx35.exe") -> 0x20)",
             "ProcessMessages",
             Screen(1, "İndirildi..."),
             "ProcessMessages",
             Screen(1, "Yükleniyor..."),
             R"(ShellExecuteExA(0x40, "C:\Sql2016\dotnetfx35.exe", "/Q /Norestart") -> 1)",
             "ProcessMessages",
             "GetExitCodeProcess(process#1) -> 0",
             "CloseHandle(process#1) -> 1",
             "ProcessMessages",
             Screen(1, "Yüklendi.", RowEnd::Done),
         }},
        {"Fetched",
         "fetched: streamed beside the target, moved over it once complete",
         std::nullopt,
         {{"HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\nMZ dotnetfx"}},
         {.runsForMs = 1500, .exitCode = 3010},
         {Request},
         {
             "ProcessMessages",
             "Sleep(250)",
             R"(GetFileAttributesA("C:\Sql2016\dotnetfx35.exe") -> 0xFFFFFFFF)",
             "ProcessMessages", // the body begins
             R"(CreateFileForWriteA("C:\Sql2016\dotnetfx35.exe.part") -> file#1)",
             "WriteFile(file#1, 11) -> 1",
             "ProcessMessages", // a block has arrived
             "ProcessMessages", // the body has ended
             "CloseHandle(file#1) -> 1",
             R"(MoveFileReplaceA("C:\Sql2016\dotnetfx35.exe.part", "C:\Sql2016\dotnetfx35.exe") -> 1)",
             "ProcessMessages",
             Screen(1, "İndirildi..."),
             "ProcessMessages",
             Screen(1, "Yükleniyor..."),
             R"(ShellExecuteExA(0x40, "C:\Sql2016\dotnetfx35.exe", "/Q /Norestart") -> 1)",
             "ProcessMessages",
             "GetExitCodeProcess(process#1) -> 259",
             "WaitForSingleObject(process#1, 0) -> 258",
             "MsgWaitForMultipleObjects(process#1, 1000) -> 258",
             "ProcessMessages",
             "GetExitCodeProcess(process#1) -> 259",
             "WaitForSingleObject(process#1, 0) -> 258",
             "MsgWaitForMultipleObjects(process#1, 1000) -> 0",
             "ProcessMessages",
             "GetExitCodeProcess(process#1) -> 3010",
             "CloseHandle(process#1) -> 1",
             "ProcessMessages",
             Screen(1, "Yüklendi.", RowEnd::Done),
         }},
        {"NotFetched",
         "not fetched: nothing stored, and the launch finds no file",
         std::nullopt,
         {{"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot here!"}},
         {.launches = false},
         {Request},
         {
             "ProcessMessages",
             "Sleep(250)",
             R"(GetFileAttributesA("C:\Sql2016\dotnetfx35.exe") -> 0xFFFFFFFF)",
             "ProcessMessages",
             Screen(1, "Hata indirilemedi..."),
             "ProcessMessages",
             Screen(1, "Yükleniyor..."),
             R"(ShellExecuteExA(0x40, "C:\Sql2016\dotnetfx35.exe", "/Q /Norestart") -> 0)",
             "ProcessMessages",
             Screen(1, "Hata yüklenemedi...", RowEnd::Failed),
         }},
    };
}

std::string WithPort(std::string text, std::uint16_t port) {
    text.replace(text.find("%PORT%"), 6, std::to_string(port));
    return text;
}

class PackageStepsTest : public PrerequisitePage, public ::testing::WithParamInterface<Scenario> {};

TEST_P(PackageStepsTest, DownloadThenInstall) {
    const Scenario& scenario = GetParam();
    SCOPED_TRACE(scenario.name);
    LoopbackServer server(scenario.replies);
    Form().BaseUrl = server.Url("/Kolvera/2016/");
    if (scenario.cached) {
        Os().AddFile(Target, *scenario.cached);
    }
    Os().ScriptProcess(scenario.installer);
    StartRow(1);

    Form().DownloadPackage(1);
    Form().InstallPackage(1);

    EXPECT_EQ(Lines(Journal()), Lines(scenario.transcript));
    std::vector<std::string> expectedRequests;
    for (const std::string& request : scenario.requests) {
        expectedRequests.push_back(WithPort(request, server.Port()));
    }
    EXPECT_EQ(server.Requests(), expectedRequests);
    EXPECT_EQ(Os().OpenHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Package1, PackageStepsTest, ::testing::ValuesIn(Scenarios()),
                         [](const auto& info) { return std::string(info.param.id); });

} // namespace
