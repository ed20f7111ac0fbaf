// The database stage on each of its roads, over real ODBC against the SQL Server stand-in. The
// stage connects to the server ".", so this program runs where that name reaches the loopback
// address and the stand-in listens on SQL Server's own port.

#include "database/LoginPassword.h"
#include "prerequisites/AdminPassword.h"
#include "tests/unit/database/KolveraIndexes.h"
#include "tests/unit/database/Transcript.h"
#include "tests/unit/sql/OdbcSetup.h"
#include "tests/unit/sql/StandInServer.h"
#include "tests/unit/support/WizardFixture.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace {

constexpr int SqlServerPort = 1433;
constexpr const char* WinExecLine = "WinExec(\"net start MSSQLSERVER\", 0) -> 33";
constexpr const char* LoginFailed = "Login failed for user 'sa'.";
constexpr const char* NoServer = "Unable to connect: Adaptive Server is unavailable or does not "
                                 "exist";

// ---- the batches -------------------------------------------------------------------------

const std::vector<std::vector<std::string>>& ProvisioningStatements() {
    static const std::vector<std::vector<std::string>> statements = {
        {"create database kolvera ON (FILENAME = 'c:\\kolvera\\data\\kolvera_data.mdf')  LOG ON "
         "(FILENAME = 'c:\\kolvera\\data\\kolvera_log.ldf') FOR ATTACH"},
        {std::string("exec sp_addlogin 'kolvera','") + LoginPassword + "','kolvera','turkish'"},
        {"exec sp_defaultdb 'kolvera','kolvera'"},
        {"exec sp_addsrvrolemember 'kolvera','sysadmin'"},
        {"exec sp_grantdbaccess 'kolvera'"},
    };
    return statements;
}
const std::vector<std::string> CheckStatement = {"select top 1 * from kolvera.dbo.alis"};
const std::vector<std::string> LevelStatement = {"ALTER DATABASE kolvera",
                                                 "SET COMPATIBILITY_LEVEL = 130"};

// A received batch as compared: "ok: " or "error: " and its exact text.
std::string Ok(const std::string& text) {
    return "ok: " + text;
}
std::string Error(const std::string& text) {
    return "error: " + text;
}

std::vector<std::string> Received(const StandInServer* server) {
    std::vector<std::string> batches;
    if (server != nullptr) {
        for (const LoggedBatch& batch : server->Batches()) {
            batches.push_back(batch.error ? Error(batch.text) : Ok(batch.text));
        }
    }
    return batches;
}

std::vector<std::string> FreshRunBatches() {
    std::vector<std::string> batches;
    for (const auto& statement : ProvisioningStatements()) {
        batches.push_back(Ok(BatchOf(statement)));
    }
    batches.push_back(Ok(BatchOf(CheckStatement)));
    batches.push_back(Ok(BatchOf(LevelStatement)));
    for (const std::string& batch : ExpectedScriptBatches()) {
        batches.push_back(Ok(batch));
    }
    return batches;
}

// Every object exists already: what creates one fails, what only sets something succeeds.
std::vector<std::string> SecondRunBatches() {
    const auto& p = ProvisioningStatements();
    std::vector<std::string> batches = {
        Error(BatchOf(p[0])),        Error(BatchOf(p[1])), Ok(BatchOf(p[2])),
        Ok(BatchOf(p[3])),           Error(BatchOf(p[4])), Ok(BatchOf(CheckStatement)),
        Ok(BatchOf(LevelStatement)),
    };
    const std::vector<std::string> script = ExpectedScriptBatches();
    batches.push_back(Ok(script.front())); // USE KOLVERA
    for (std::size_t i = 1; i < script.size(); ++i) {
        batches.push_back(Error(script[i]));
    }
    return batches;
}

// The data files are missing: attaching fails, and with it the login (its default database
// does not exist) and everything about the login; the check fails, and nothing after it is
// sent.
std::vector<std::string> MissingFilesBatches() {
    std::vector<std::string> batches;
    for (const auto& statement : ProvisioningStatements()) {
        batches.push_back(Error(BatchOf(statement)));
    }
    batches.push_back(Error(BatchOf(CheckStatement)));
    return batches;
}

// Written out whole: the batch of the first multi-line index, byte for byte.
constexpr const char* IxHastaBatch =
    "\r\nCREATE NONCLUSTERED INDEX IX_hasta ON dbo.hasta\r\n\t(\r\n\tid\r\n\t) ON [PRIMARY]\r\n";

// ---- the screens ---------------------------------------------------------------------------

struct RowView {
    std::string status;
    bool spinning = false;
    bool tick = false;
};

enum class Start { Normal, DataBagla };
enum class Outcome { ConnectFails, CheckFails, Completes };

// What the window shows during the stage: Panel6 under Panel2 on the "Data Bağla" road.
struct ScreenView {
    Start start;
    std::optional<std::string> btnIleri; // caption when showing
    std::optional<RowView> sql;
    std::optional<RowView> kolvera;
};

std::string Describe(const ScreenView& v) {
    std::string s;
    if (v.start == Start::DataBagla) {
        s += "Panel6{Label1\"Ms SQL Server\" Label2\"Kolvera Dosyaları\"} ";
    }
    if (v.btnIleri) {
        s += "BtnIleri\"" + *v.btnIleri + "\"@280 ";
    }
    s += "Panel2{";
    if (v.sql && v.sql->tick) {
        s += "SqlAok ";
    }
    s += "Label6\"MS SQL Server Ayarları\"";
    if (v.sql && v.sql->spinning) {
        s += " SqlADon~";
    }
    if (v.sql) {
        s += " SqlALb\"" + v.sql->status + "\"";
    }
    s += " Label10\"Kolvera Data Ayarları\"";
    if (v.kolvera && v.kolvera->tick) {
        s += " KolveraAok";
    }
    if (v.kolvera) {
        s += " KolveraALb\"" + v.kolvera->status + "\"";
    }
    if (v.kolvera && v.kolvera->spinning) {
        s += " KolveraADon~";
    }
    s += " Label5\"MS SQL Server 2016 Kurulumu Tamamlandı.\"}";
    return s;
}

// The stage's transcript, step by step, for a road: its pumps, pauses, service starts and
// what the window showed; "final: " is what it shows when the click handler returns.
std::vector<std::string> ExpectedTranscript(Start start, Outcome outcome,
                                            const std::string& connectError = {}) {
    std::vector<std::string> t;
    ScreenView view{start,
                    start == Start::DataBagla ? std::optional<std::string>("Çıkış") : std::nullopt,
                    std::nullopt, std::nullopt};
    const auto screen = [&] { t.push_back("screen: " + Describe(view)); };
    const auto pump = [&] { AppendPumps(t); };
    const auto pauseShowing = [&] {
        t.push_back(PauseShortLine);
        screen();
    };
    const auto kolveraStatus = [&](const char* status) {
        view.kolvera = RowView{status, true, false};
        pauseShowing();
    };

    pump(); // Panel2 shown, BtnBaslat hidden
    screen();
    view.sql = RowView{"Bağlanılıyor...", true, false};
    pump();
    screen();
    for (int i = 0; i < 2; ++i) {
        t.push_back(WinExecLine);
        t.push_back(PauseShortLine);
        pump();
    }
    if (outcome == Outcome::ConnectFails) {
        view.sql = RowView{"Database bağlantı hatası\r\n" + connectError, false, false};
        view.btnIleri = "Çıkış";
        pump();
        screen();
        t.push_back("final: " + Describe(view));
        return t;
    }
    view.sql = RowView{"Bağlanıldı.", false, true};
    pump();
    screen();
    kolveraStatus("Kontrol Ediliyor...");
    kolveraStatus("Data bağlanılıyor...");
    kolveraStatus("Data kontrol ediliyor...");
    if (outcome == Outcome::CheckFails) {
        view.kolvera = RowView{"Kolvera data hatası. Destek hattını arayınız.", false, false};
        view.btnIleri = "Çıkış";
        pump();
        screen();
        t.push_back("final: " + Describe(view));
        return t;
    }
    kolveraStatus("Data bağlandı...");
    kolveraStatus("Data çevriliyor...");
    kolveraStatus("Data indexleniyor...");
    AppendPumps(t, static_cast<int>(ExpectedScript().size()));
    kolveraStatus("Data işlemleri tamamlandı.");
    view.kolvera = RowView{"Data işlemleri tamamlandı.", false, true};
    view.btnIleri = "Son";
    t.push_back("final: " + Describe(view));
    return t;
}

// ---- what the server holds afterwards ------------------------------------------------------

void ExpectNothingAttached(const StandInServer& server) {
    EXPECT_EQ(server.DatabaseState("kolvera"), std::nullopt);
}

void ExpectProvisionedAndIndexed(const StandInServer& server) {
    const auto database = server.DatabaseState("kolvera");
    ASSERT_TRUE(database.has_value());
    EXPECT_EQ((*database)["compatibility_level"].number, 130);

    const auto login = server.LoginState("kolvera");
    ASSERT_TRUE(login.has_value());
    EXPECT_EQ((*login)["password"].text, LoginPassword);
    EXPECT_EQ((*login)["default_database"].text, "kolvera");
    EXPECT_EQ((*login)["default_language"].text, "Türkçe"); // the language that "turkish" names
    ASSERT_EQ((*login)["server_roles"].items.size(), 1u);
    EXPECT_EQ((*login)["server_roles"].items[0].text, "sysadmin");

    const std::vector<StandInIndex> indexes = server.Indexes("kolvera");
    const std::vector<IndexRow>& rows = KolveraIndexRows();
    ASSERT_EQ(indexes.size(), rows.size());
    for (const IndexRow& row : rows) {
        const auto index = std::ranges::find(indexes, row.name, &StandInIndex::name);
        ASSERT_NE(index, indexes.end()) << row.name;
        EXPECT_EQ(index->table, row.table) << row.name;
        std::vector<IndexKey> keys;
        for (const KeyColumn& key : KeyColumns(row)) {
            keys.push_back({key.column, key.descending});
        }
        EXPECT_EQ(index->keys, keys) << row.name;
    }
    const auto keysOf = [&](const char* name) {
        return std::ranges::find(indexes, std::string(name), &StandInIndex::name)->keys;
    };
    EXPECT_EQ(keysOf("IX_recete_1").back(), (IndexKey{"ilaci_alan_kisi", true}));
    EXPECT_EQ(keysOf("IX_recete").back(), (IndexKey{"yakinlik_id", false}));
}

// ---- the roads -----------------------------------------------------------------------------

struct Road {
    const char* name;
    std::optional<StandInOptions> server; // none: nothing listens
    bool previousRun;                     // the wizard already ran on this server
    Start start;
    Outcome outcome;
    std::string connectError;
    std::vector<std::string> batches;
    void (*check)(const StandInServer&);
};

const std::vector<Road>& Roads() {
    static const std::vector<Road> roads = {
        {"FreshAttach", StandInOptions{.saPassword = AdminPassword}, false, Start::Normal,
         Outcome::Completes, "", FreshRunBatches(), ExpectProvisionedAndIndexed},
        {"FreshAttachByDataBagla", StandInOptions{.saPassword = AdminPassword}, false,
         Start::DataBagla, Outcome::Completes, "", FreshRunBatches(), ExpectProvisionedAndIndexed},
        {"WrongPassword",
         StandInOptions{.saPassword = std::string(AdminPassword) + "0"},
         false,
         Start::Normal,
         Outcome::ConnectFails,
         LoginFailed,
         {},
         ExpectNothingAttached},
        {"NoServerListening",
         std::nullopt,
         false,
         Start::Normal,
         Outcome::ConnectFails,
         NoServer,
         {},
         nullptr},
        {"DataFilesMissing",
         StandInOptions{.saPassword = AdminPassword, .files = KolveraFiles::Missing}, false,
         Start::Normal, Outcome::CheckFails, "", MissingFilesBatches(), ExpectNothingAttached},
        {"AlisEmpty", StandInOptions{.saPassword = AdminPassword, .files = KolveraFiles::EmptyAlis},
         false, Start::Normal, Outcome::Completes, "", FreshRunBatches(),
         ExpectProvisionedAndIndexed},
        {"SecondRun", StandInOptions{.saPassword = AdminPassword}, true, Start::Normal,
         Outcome::Completes, "", SecondRunBatches(), ExpectProvisionedAndIndexed},
    };
    return roads;
}

// Sends what a first run of the wizard sent, over a connection of its own.
void RunWizardBefore(const StandInServer& server) {
    TMSConnection connection;
    connection.Server = ".";
    connection.Username = "sa";
    connection.Password = AdminPassword;
    connection.Database = "master";
    connection.Connect();
    TMSQuery query(connection);
    std::vector<std::vector<std::string>> batches = ProvisioningStatements();
    batches.push_back(CheckStatement);
    batches.push_back(LevelStatement);
    std::vector<std::string> lines;
    for (const std::string& line : ExpectedScript()) {
        if (line == "GO") {
            batches.push_back(std::exchange(lines, {}));
        } else {
            lines.push_back(line);
        }
    }
    for (const auto& batch : batches) {
        query.SQL = batch;
        query.Execute();
    }
    server.ForgetBatches();
}

void PrintTo(const Road& road, std::ostream* out) {
    *out << road.name;
}

class DatabaseStageTest : public WizardFixture, public ::testing::WithParamInterface<Road> {
protected:
    DatabaseStageTest() {
        UseFreeTds(SqlServerPort);
        const Road& road = GetParam();
        if (road.server) {
            StandInOptions options = *road.server;
            options.port = SqlServerPort;
            server_ = std::make_unique<StandInServer>(options);
        }
        if (road.previousRun) {
            RunWizardBefore(*server_);
        }
        ShowStageButton(road.start);
        ClearJournal();
    }

    // The window as the first page leaves it when it offers the database stage.
    void ShowStageButton(Start start) {
        if (start == Start::Normal) {
            Form().BtnIleri->Hide();
        } else {
            Form().Panel6->Show();
            Form().BtnIleri->SetCaption(u"Çıkış");
            Form().BtnBaslat->SetCaption(u"Data Bağla");
            Form().BtnBaslat->SetTop(304);
        }
        Form().BtnBaslat->Show();
    }

    std::unique_ptr<StandInServer> server_;
};

TEST_P(DatabaseStageTest, ShowsEveryStepAndSendsEveryBatch) {
    const Road& road = GetParam();
    Form().BtnBaslatClick(Form().BtnBaslat);

    std::vector<std::string> transcript = Compress(Journal());
    transcript.push_back("final: " + DescribeScreen(Form()));
    EXPECT_EQ(transcript, ExpectedTranscript(road.start, road.outcome, road.connectError));
    EXPECT_EQ(Received(server_.get()), road.batches);
    EXPECT_EQ(Form().MSConn.Connected(), road.outcome != Outcome::ConnectFails);
    EXPECT_TRUE(Backend().ErrorBoxes().empty());
    if (road.outcome == Outcome::Completes) {
        const std::vector<LoggedBatch> received = server_->Batches();
        EXPECT_NE(std::ranges::find(received, IxHastaBatch, &LoggedBatch::text), received.end());
    }
    if (road.check != nullptr) {
        road.check(*server_);
    }
}

INSTANTIATE_TEST_SUITE_P(Roads, DatabaseStageTest, ::testing::ValuesIn(Roads()),
                         [](const auto& info) { return std::string(info.param.name); });

// A press on "Çıkış" during a "Data Bağla" run only asks the application to end: the stage
// still sends every remaining statement and the whole script, and then offers "Son".
class CloseDuringDataBaglaTest : public WizardFixture {
protected:
    CloseDuringDataBaglaTest() : server_({.saPassword = AdminPassword, .port = SqlServerPort}) {
        UseFreeTds(SqlServerPort);
        Form().Panel6->Show();
        Form().BtnIleri->SetCaption(u"Çıkış");
        Form().BtnBaslat->SetCaption(u"Data Bağla");
        Form().BtnBaslat->SetTop(304);
        Form().BtnBaslat->Show();
    }

    StandInServer server_;
};

TEST_F(CloseDuringDataBaglaTest, TheStageRunsToItsEnd) {
    Backend().PostPress(*Form().BtnIleri); // delivered by the stage's first pump
    Form().BtnBaslatClick(Form().BtnBaslat);

    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(Received(&server_), FreshRunBatches());
    EXPECT_EQ(Form().BtnIleri->Caption(), u"Son");
    EXPECT_TRUE(Form().KolveraAok->Visible());
    ExpectProvisionedAndIndexed(server_);
}

} // namespace
