// The download step with the real client against a loopback server, on a fake machine: what is
// asked for, what is stored, and that a failure leaves neither the file nor its ".part".

#include "prerequisites/TPrerequisitePackage.h"
#include "tests/unit/net/LoopbackServer.h"
#include "tests/unit/prerequisites/PrerequisitePage.h"

#include <chrono>
#include <functional>
#include <optional>

namespace {

using Reply = LoopbackServer::Reply;
using Then = LoopbackServer::Then;

// The seam calls that touch the cache folder's files.
const std::vector<std::string> FileCalls = {"CreateFileForWriteA", "WriteFile", "CloseHandle",
                                            "MoveFileReplaceA", "DeleteFileA"};

class PackageDownloadTest : public PrerequisitePage {
protected:
    // Serves `replies` at the download address and runs package n's download step; returns
    // the requests the server read.
    std::vector<std::string> Download(std::uint8_t n, std::vector<Reply> replies) {
        LoopbackServer server(std::move(replies));
        Form().BaseUrl = server.Url("/Kolvera/2016/");
        StartRow(n);
        Form().DownloadPackage(n);
        port_ = server.Port();
        return server.Requests();
    }

    std::string StatusOf(std::uint8_t n) { return (Form().*FindPackage(n)->Row).Status->Caption(); }

    std::uint16_t port_ = 0;
};

TEST_F(PackageDownloadTest, EachPackageIsAskedForByNameAndStoredAtItsLocalPath) {
    struct Case {
        std::uint8_t n;
        const char* path;
        const char* localPath;
    };
    const Case cases[] = {
        {1, "/Kolvera/2016/dotnetfx35.exe", "C:\\Sql2016\\dotnetfx35.exe"},
        {2, "/Kolvera/2016/Windows6.0-KB968930-x64.msu",
         "C:\\Sql2016\\Windows6.0-KB968930-x64.msu"},
        {3, "/Kolvera/2016/SQLEXPR_x64_ENU.exe", "C:\\Sql2016\\SQLEXPR_x64_ENU.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.localPath);
        const std::string body = "package " + std::to_string(c.n);
        const auto requests =
            Download(c.n, {{"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                            "\r\n\r\n" + body}});
        const std::string expected = "GET " + std::string(c.path) +
                                     " HTTP/1.1\r\n"
                                     "Content-Type: text/html\r\n"
                                     "Host: 127.0.0.1:" +
                                     std::to_string(port_) +
                                     "\r\n"
                                     "Accept: text/html, */*\r\n"
                                     "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                                     "\r\n";
        EXPECT_EQ(requests, std::vector<std::string>{expected});
        EXPECT_EQ(Os().FileContent(c.localPath), body);
        EXPECT_EQ(StatusOf(c.n), "İndirildi...");
    }
    EXPECT_EQ(Os().Files(), (std::vector<std::string>{"C:\\Sql2016\\SQLEXPR_x64_ENU.exe",
                                                      "C:\\Sql2016\\Windows6.0-KB968930-x64.msu",
                                                      "C:\\Sql2016\\dotnetfx35.exe"}));
}

TEST_F(PackageDownloadTest, AFileAlreadyInTheCacheIsKeptAsItIsAndNothingIsAsked) {
    for (const std::string content : {"", "MZ truncated"}) {
        SCOPED_TRACE(content);
        Os().AddFile("C:\\Sql2016\\SQLEXPR_x64_ENU.exe", content);
        EXPECT_EQ(Download(3, {{"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nnew"}}),
                  std::vector<std::string>{});
        EXPECT_EQ(Os().FileContent("C:\\Sql2016\\SQLEXPR_x64_ENU.exe"), content);
        EXPECT_EQ(JournalOf(FileCalls), std::vector<std::string>{});
        EXPECT_EQ(StatusOf(3), "İndirildi...");
    }
}

TEST_F(PackageDownloadTest, AnIndexOutsideTheCatalogueChangesNothingAndDoesNotPause) {
    for (const std::uint8_t n : {0, 4, 255}) {
        SCOPED_TRACE(static_cast<int>(n));
        const std::string before = DescribeScreen(Form());
        const int pumps = Backend().Pumps();
        Form().DownloadPackage(n);
        Form().InstallPackage(n);
        EXPECT_EQ(Journal(), std::vector<std::string>{});
        EXPECT_EQ(Backend().Pumps(), pumps);
        EXPECT_EQ(Os().Now(), 0u);
        EXPECT_EQ(DescribeScreen(Form()), before);
    }
}

// What one answer, or one file-system fault, leaves in the cache folder and on the row.
struct Outcome {
    const char* id;
    std::vector<Reply> replies;
    std::vector<std::string> fileCalls;
    std::optional<std::string> stored; // the file at the LocalPath afterwards, if any
    std::function<void(TForm1&, os::fake::FakeApi&)> arrange = [](TForm1&, os::fake::FakeApi&) {};
};

void PrintTo(const Outcome& c, std::ostream* out) {
    *out << c.id;
}

const std::string Created = R"(CreateFileForWriteA("C:\Sql2016\dotnetfx35.exe.part") -> file#1)";
const std::string Closed = "CloseHandle(file#1) -> 1";
const std::string Moved =
    R"(MoveFileReplaceA("C:\Sql2016\dotnetfx35.exe.part", "C:\Sql2016\dotnetfx35.exe") -> 1)";
const std::string Removed = R"(DeleteFileA("C:\Sql2016\dotnetfx35.exe.part") -> 1)";
const Reply Whole = {"HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\nMZ dotnetfx"};
const Reply FirstTenOfAThousand = {"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n0123456789"};

std::vector<Outcome> Outcomes() {
    return {
        {"EmptyBody",
         {{"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"}},
         {Created, Closed, Moved},
         ""},
        {"NoContent", {{"HTTP/1.1 204 No Content\r\n\r\n"}}, {Created, Closed, Moved}, ""},
        {"NotFound", {{"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot here!"}}, {}, {}},
        {"ServerError",
         {{"HTTP/1.1 500 Internal Server Error\r\nContent-Length: 4\r\n\r\noops"}},
         {},
         {}},
        {"Redirect",
         {{"HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1/x\r\nContent-Length: 0\r\n\r\n"}},
         {},
         {}},
        {"ServerClosesAtOnce", {}, {}, {}},
        {"BodyCutShort",
         {{FirstTenOfAThousand.Bytes, Then::Close}},
         {Created, "WriteFile(file#1, 10) -> 1", Closed, Removed},
         {}},
        // What arrived is on disk before the body ends: the body is never held whole.
        {"ServerFallsSilentInTheBody",
         {{FirstTenOfAThousand.Bytes, Then::Hold}},
         {Created, "WriteFile(file#1, 10) -> 1", Closed, Removed},
         {},
         [](TForm1& form, os::fake::FakeApi&) {
             form.IdHTTP1.ReadTimeout = std::chrono::milliseconds(200);
         }},
        {"FileCannotBeMade",
         {Whole},
         {R"(CreateFileForWriteA("C:\Sql2016\dotnetfx35.exe.part") -> 0)"},
         {},
         [](TForm1&, os::fake::FakeApi& os) {
             os.FailCreateFile("C:\\Sql2016\\dotnetfx35.exe.part");
         }},
        {"DiskFull",
         {Whole},
         {Created, "WriteFile(file#1, 11) -> 0", Closed, Removed},
         {},
         [](TForm1&, os::fake::FakeApi& os) { os.FailWriteAfter(4); }},
        {"FolderAtTheTarget",
         {Whole},
         {Created, "WriteFile(file#1, 11) -> 1", Closed,
          R"(MoveFileReplaceA("C:\Sql2016\dotnetfx35.exe.part", "C:\Sql2016\dotnetfx35.exe") -> 0)",
          Removed},
         {},
         [](TForm1&, os::fake::FakeApi& os) { os.AddFolder("C:\\Sql2016\\dotnetfx35.exe"); }},
    };
}

class DownloadOutcomeTest : public PackageDownloadTest,
                            public ::testing::WithParamInterface<Outcome> {};

TEST_P(DownloadOutcomeTest, StoresAWholeBodyOrNothing) {
    const Outcome& outcome = GetParam();
    outcome.arrange(Form(), Os());
    EXPECT_EQ(Download(1, outcome.replies).size(), 1u);
    EXPECT_EQ(JournalOf(FileCalls), outcome.fileCalls);
    EXPECT_EQ(Os().FileContent("C:\\Sql2016\\dotnetfx35.exe"), outcome.stored);
    EXPECT_FALSE(Os().Exists("C:\\Sql2016\\dotnetfx35.exe.part"));
    EXPECT_EQ(StatusOf(1), outcome.stored ? "İndirildi..." : "Hata indirilemedi...");
    EXPECT_EQ(Os().OpenHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Package1, DownloadOutcomeTest, ::testing::ValuesIn(Outcomes()),
                         [](const auto& info) { return std::string(info.param.id); });

} // namespace
