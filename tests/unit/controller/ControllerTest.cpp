// The main button's roads through the first page, each from a press on "Başlat" to the state
// the window is left in, on a fake machine with a loopback download server.

#include "app/Pacing.h"
#include "tests/unit/net/LoopbackServer.h"
#include "tests/unit/support/WizardFixture.h"

#include <functional>
#include <string>
#include <vector>

namespace {

using os::fake::ProcessScript;
using os::fake::View;
using Reply = LoopbackServer::Reply;

const char* const DotNetKey = "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.5\\1055";
const char* const PowerShellKey = "SOFTWARE\\Microsoft\\PowerShell\\1\\PowerShellEngine";
const char* const SqlSetupKey = "SOFTWARE\\Microsoft\\Microsoft SQL Server\\MSSQLSERVER\\setup";

Reply Ok() {
    return {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nMZ"};
}
Reply NotFound() {
    return {"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"};
}

// What the page leaves behind, in words a test table can hold.
struct Outcome {
    std::string seen;                  // the highest visible panel, or "none"
    std::string sqlRow, kolveraRow;    // the check rows' status texts ("-": hidden)
    std::vector<std::string> packages; // the three package rows
    std::string buttons;               // the buttons showing, with captions and tops
    std::string errorBox;              // the error report's text, if any
    std::vector<std::string> requests; // the paths the download server was asked for
    std::vector<std::string> launched; // the files launched, in order
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

void PrintTo(const Outcome& o, std::ostream* out) {
    *out << "seen=" << o.seen << " sql=" << o.sqlRow << " kolvera=" << o.kolveraRow << " rows=[";
    for (const auto& r : o.packages) {
        *out << r << "; ";
    }
    *out << "] buttons=" << o.buttons << " error=" << o.errorBox << " requests=[";
    for (const auto& r : o.requests) {
        *out << r << " ";
    }
    *out << "] launched=[";
    for (const auto& l : o.launched) {
        *out << l << " ";
    }
    *out << "]";
}

// A row as a person reads it: its text, then a tick, a cross or a turning spinner.
std::string DescribeRow(const TStatusRow& row) {
    if (!row.Status->Visible()) {
        return "-";
    }
    std::string text = row.Status->Caption();
    if (row.SuccessMark->Visible()) {
        text += " +tick";
    }
    if (row.FailureMark != nullptr && row.FailureMark->Visible()) {
        text += " +cross";
    }
    if (row.Spinner->Visible() && row.Spinner->Animate()) {
        text += " ~";
    }
    return text;
}

std::string RequestPath(const std::string& request) {
    const auto start = request.find(' ') + 1;
    return request.substr(start, request.find(' ', start) - start);
}

const std::string Passed = "Ms SQL Server bilgisayarınıza kurulmaya hazır. +tick";
const std::string Ready = "Kolvera Otomasyon Sistemi hazır. +tick";
const std::string Installed = "Yüklendi. +tick";
const std::string Present = "Yüklü +tick";
const std::string NotInstalled = "Hata yüklenemedi...";
const std::string OfferBaslat = "BtnBaslat\"Başlat\"@280";
const std::string OfferExit = "BtnIleri\"Çıkış\"@280 BtnBaslat\"Data Bağla\"@304";
const std::string DotNetPath = "/Kolvera/2016/dotnetfx35.exe";
const std::string PowerShellPath = "/Kolvera/2016/Windows6.0-KB968930-x64.msu";
const std::string SqlPath = "/Kolvera/2016/SQLEXPR_x64_ENU.exe";
const std::string DotNetFile = "C:\\Sql2016\\dotnetfx35.exe";
const std::string PowerShellFile = "C:\\Sql2016\\Windows6.0-KB968930-x64.msu";
const std::string SqlFile = "C:\\Sql2016\\SQLEXPR_x64_ENU.exe";

struct Road {
    const char* name;
    bool productInstalled;
    std::vector<Reply> replies;
    std::function<void(os::fake::FakeApi&)> arrange;
    Outcome expected;
};

void PrintTo(const Road& road, std::ostream* out) {
    *out << road.name;
}

void NoChange(os::fake::FakeApi&) {}

const std::vector<Road> Roads = {
    {"EverythingAbsent",
     true,
     {Ok(), Ok(), Ok()},
     NoChange,
     {"Panel1",
      Passed,
      Ready,
      {Installed, Installed, Installed},
      OfferBaslat,
      "",
      {DotNetPath, PowerShellPath, SqlPath},
      {DotNetFile, PowerShellFile, SqlFile}}},
    {"SqlServerInstalled",
     true,
     {},
     [](auto& os) { os.SetString(View::Registry32, SqlSetupKey, "PatchLevel", "13.0.1601.5"); },
     {"Panel6",
      "Ms SQL Server bilgisayarınıza kurulu.\r\n Önce Ms Sql Serverı kaldırınız. +cross",
      Ready,
      {"-", "-", "-"},
      OfferExit,
      "",
      {},
      {}}},
    {"ProductMissing",
     false,
     {},
     NoChange,
     {"Panel6",
      Passed,
      "Kolvera Otomasyon Sistemi bilgisayarınızda bulunamadı. +cross",
      {"-", "-", "-"},
      OfferExit,
      "",
      {},
      {}}},
    {"DotNetPresent",
     true,
     {Ok(), Ok()},
     [](auto& os) { os.SetString(View::Registry32, DotNetKey, "Version", "3.5.30729.01"); },
     {"Panel1",
      Passed,
      Ready,
      {Present, Installed, Installed},
      OfferBaslat,
      "",
      {PowerShellPath, SqlPath},
      {PowerShellFile, SqlFile}}},
    {"PowerShell2",
     true,
     {Ok(), Ok()},
     [](auto& os) { os.SetString(View::Registry32, PowerShellKey, "PowerShellVersion", "2.0"); },
     {"Panel1",
      Passed,
      Ready,
      {Installed, Present, Installed},
      OfferBaslat,
      "",
      {DotNetPath, SqlPath},
      {DotNetFile, SqlFile}}},
    {"PowerShell1",
     true,
     {Ok(), Ok(), Ok()},
     [](auto& os) { os.SetString(View::Registry32, PowerShellKey, "PowerShellVersion", "1.0"); },
     {"Panel1",
      Passed,
      Ready,
      {Installed, Installed, Installed},
      OfferBaslat,
      "",
      {DotNetPath, PowerShellPath, SqlPath},
      {DotNetFile, PowerShellFile, SqlFile}}},
    {"PowerShellEmpty",
     true,
     {Ok(), Ok(), Ok()},
     [](auto& os) { os.SetString(View::Registry32, PowerShellKey, "PowerShellVersion", ""); },
     {"Panel1",
      Passed,
      Ready,
      {Installed, Installed, Installed},
      OfferBaslat,
      "",
      {DotNetPath, PowerShellPath, SqlPath},
      {DotNetFile, PowerShellFile, SqlFile}}},
    {"PowerShellStartingWithOnePointZero",
     true,
     {Ok(), Ok()},
     [](auto& os) { os.SetString(View::Registry32, PowerShellKey, "PowerShellVersion", "1.0.1"); },
     {"Panel1",
      Passed,
      Ready,
      {Installed, Present, Installed},
      OfferBaslat,
      "",
      {DotNetPath, SqlPath},
      {DotNetFile, SqlFile}}},
    {"FailedDownloadStillGoesToTheInstallStep",
     true,
     {NotFound(), Ok(), Ok()},
     [](auto& os) { os.ScriptProcess({.launches = false}); }, // nothing to launch
     {"Panel1",
      Passed,
      Ready,
      {NotInstalled, Installed, Installed},
      OfferBaslat,
      "",
      {DotNetPath, PowerShellPath, SqlPath},
      {DotNetFile, PowerShellFile, SqlFile}}},
    {"FailedInstaller",
     true,
     {Ok(), Ok(), Ok()},
     [](auto& os) {
         os.ScriptProcess({});
         os.ScriptProcess({});
         os.ScriptProcess({.exitCode = 1603});
     },
     {"Panel1",
      Passed,
      Ready,
      {Installed, Installed, NotInstalled},
      OfferBaslat,
      "",
      {DotNetPath, PowerShellPath, SqlPath},
      {DotNetFile, PowerShellFile, SqlFile}}},
    {"CacheFolderExists",
     true,
     {Ok(), Ok(), Ok()},
     [](auto& os) { os.AddFolder("C:\\Sql2016"); },
     {"Panel1",
      Passed,
      Ready,
      {Installed, Installed, Installed},
      OfferBaslat,
      "",
      {DotNetPath, PowerShellPath, SqlPath},
      {DotNetFile, PowerShellFile, SqlFile}}},
    {"PackagesAlreadyInTheCache",
     true,
     {},
     [](auto& os) {
         os.AddFile(DotNetFile, "MZ");
         os.AddFile(PowerShellFile, "MSCF");
         os.AddFile(SqlFile, "");
     },
     {"Panel1",
      Passed,
      Ready,
      {Installed, Installed, Installed},
      OfferBaslat,
      "",
      {},
      {DotNetFile, PowerShellFile, SqlFile}}},
    {"CacheFolderBlockedByAFile",
     true,
     {},
     [](auto& os) { os.AddFile("C:\\Sql2016", "not a folder"); },
     {"Panel1", Passed, Ready, {"-", "-", "-"}, "", "I/O error 183.", {}, {}}},
    {"RegistryErrorInARowProbe",
     true,
     {},
     [](auto& os) {
         os.SetValue(View::Registry32, DotNetKey, "Version", os::kRegDword, "\1\0\0\0");
     },
     {"Panel1",
      Passed,
      Ready,
      {"Kontrol Ediliyor... ~", "-", "-"},
      "",
      "Invalid data type for 'Version'",
      {},
      {}}},
    {"NotWindows64",
     true,
     {},
     [](auto& os) { os.isWow64Answer = 0; },
     {"none", "-", "-", {"-", "-", "-"}, "BtnIleri\"Son\"@280", "", {}, {}}},
};

class Controller : public WizardFixture {
protected:
    // A complete Kolvera installation and nothing else.
    void ArrangePharmacyPc() {
        Os().AddFolder("C:\\Kolvera\\Data");
        Os().AddFile("C:\\Kolvera\\Data\\kolvera_data.mdf", "data");
    }

    void Press(TSeSkinButton& button) {
        Backend().PostPress(button);
        PumpMessages();
    }

    std::string Buttons() {
        std::string shown;
        for (TSeSkinButton* b : {Form().BtnIleri, Form().BtnBaslat}) {
            if (b->Visible()) {
                shown += (shown.empty() ? "" : " ") + b->Name() + "\"" + ToUtf8(b->Caption()) +
                         "\"@" + std::to_string(b->Top());
            }
        }
        return shown;
    }

    Outcome Observe(const LoopbackServer& server) {
        TForm1& f = Form();
        Outcome o;
        o.seen = f.Panel2->Visible()   ? "Panel2"
                 : f.Panel1->Visible() ? "Panel1"
                 : f.Panel6->Visible() ? "Panel6"
                                       : "none";
        o.sqlRow = DescribeRow(f.SqlRow);
        o.kolveraRow = DescribeRow(f.KolveraRow);
        o.packages = {DescribeRow(f.Indir1Row), DescribeRow(f.Indir2Row), DescribeRow(f.Indir3Row)};
        o.buttons = Buttons();
        if (!Backend().ErrorBoxes().empty()) {
            o.errorBox = Backend().ErrorBoxes().back().text;
            EXPECT_EQ(Backend().ErrorBoxes().back().title, "Kolvera MsSQL 2008 Kurulum");
        }
        for (const std::string& request : server.Requests()) {
            o.requests.push_back(RequestPath(request));
        }
        for (const auto& launch : Os().Launches()) {
            o.launched.push_back(launch.file.value_or("?"));
        }
        return o;
    }
};

class ControllerRoad : public Controller, public ::testing::WithParamInterface<Road> {};

TEST_P(ControllerRoad, EndsInItsState) {
    const Road& road = GetParam();
    LoopbackServer server(road.replies);
    Form().BaseUrl = server.Url("/Kolvera/2016/");
    if (road.productInstalled) {
        ArrangePharmacyPc();
    }
    road.arrange(Os());
    Press(*Form().BtnIleri);
    EXPECT_EQ(Observe(server), road.expected);
}

INSTANTIATE_TEST_SUITE_P(Roads, ControllerRoad, ::testing::ValuesIn(Roads),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Controller, TheCacheFolderIsCreatedOneLevelOnlyWhenMissing) {
    LoopbackServer server({Ok(), Ok(), Ok()});
    Form().BaseUrl = server.Url("/Kolvera/2016/");
    ArrangePharmacyPc();
    Press(*Form().BtnIleri);
    EXPECT_EQ(JournalOf({"CreateDirectoryA"}),
              (std::vector<std::string>{"CreateDirectoryA(\"C:\\Sql2016\") -> 1"}));
}

TEST_F(Controller, OnlyTheExactCloseCaptionsClose) {
    struct Case {
        std::u16string caption;
        bool closes;
    };
    const std::vector<Case> cases = {{u"Son", true},     {u"Çıkış", true},      {u"son", false},
                                     {u"Son ", false},   {u"Cikis", false},     {u"ÇIKIŞ", false},
                                     {u"Başlat", false}, {u"Data Bağla", false}};
    Os().isWow64Answer = 0; // a press that does not close stops at the 64-bit gate
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.caption));
        Form1 = &Form();
        Form().BtnIleri->SetCaption(c.caption);
        Form().Label8->Hide();
        Press(*Form().BtnIleri);
        EXPECT_EQ(Form1 == nullptr, c.closes);
        EXPECT_EQ(Form().Label8->Visible(), !c.closes);
    }
}

TEST_F(Controller, OnNotWindows64TheSecondPressCloses) {
    Os().isWow64Answer = 0;
    Press(*Form().BtnIleri);
    EXPECT_EQ(Form().BtnIleri->Caption(), u"Son");
    EXPECT_TRUE(Form().Label8->Visible());
    EXPECT_EQ(Form().Label8->Caption(), "Kurulum için 64 bit işletim sistemi gerekmektedir.");
    Press(*Form().BtnIleri);
    EXPECT_EQ(Form1, nullptr);
    PumpMessages();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(Form().Panel6->Visible());
}

TEST_F(Controller, APressQueuedBeforeTheButtonWasHiddenStartsNoSecondPage) {
    LoopbackServer server({Ok(), Ok(), Ok()});
    Form().BaseUrl = server.Url("/Kolvera/2016/");
    ArrangePharmacyPc();
    Backend().PostPress(*Form().BtnIleri);
    Backend().PostPress(*Form().BtnIleri);
    PumpMessages();
    EXPECT_EQ(server.Requests().size(), 3u);
    EXPECT_EQ(Os().Launches().size(), 3u);
    EXPECT_EQ(Buttons(), OfferBaslat);
}

// A close request at an exact point of the page: the page runs on to its end, the window
// survives until the handler returns, then the program ends.
class ControllerClose : public Controller, public ::testing::WithParamInterface<const char*> {};

TEST_P(ControllerClose, ThePageRunsOnAndTheProgramEndsAfterIt) {
    LoopbackServer server({Ok(), Ok(), Ok()});
    Form().BaseUrl = server.Url("/Kolvera/2016/");
    ArrangePharmacyPc();
    Os().defaultProcess.runsForMs = 60'000; // installers that take a minute each
    const std::string trigger = GetParam();
    bool posted = false;
    Os().onCall = [&](const std::string& line) {
        if (!posted && line.starts_with(trigger)) {
            posted = true;
            Backend().PostCloseRequest();
        }
    };
    Press(*Form().BtnIleri);
    EXPECT_TRUE(posted);
    EXPECT_EQ(Form1, nullptr);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(Backend().FormsDestroyed(), 0);
    // Every row still ran: all three were fetched and launched, and no wait outlasted the close.
    EXPECT_EQ(server.Requests().size(), 3u);
    EXPECT_EQ(Os().Launches().size(), 3u);
    EXPECT_LT(Os().Now(), 60'000u);
    EXPECT_EQ(Buttons(), OfferBaslat);
    Application->Run(); // the loop meets the quit at once
    EXPECT_EQ(Backend().FormsDestroyed(), 1);
}

INSTANTIATE_TEST_SUITE_P(Points, ControllerClose,
                         ::testing::Values("CreateFileForWriteA", "ShellExecuteExA"),
                         [](const auto& info) {
                             return std::string(info.param).starts_with("Create")
                                        ? "DuringADownload"
                                        : "DuringAnInstall";
                         });

} // namespace
