// The database stage: starts SQL Server, connects as its administrator, attaches and checks the
// Kolvera database, creates the product login, sets the compatibility level and indexes it.

#include "app/Pacing.h"
#include "app/Unit1.h"
#include "database/LoginPassword.h"
#include "os/Api.h"
#include "prerequisites/AdminPassword.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr const char* ServiceStartCommand = "net start MSSQLSERVER";
constexpr const char* LocalServer = ".";
constexpr const char* AdministratorUser = "sa";
constexpr const char* MasterDatabase = "master";

constexpr const char* AttachStatement =
    "create database kolvera ON (FILENAME = 'c:\\kolvera\\data\\kolvera_data.mdf')  LOG ON "
    "(FILENAME = 'c:\\kolvera\\data\\kolvera_log.ldf') FOR ATTACH";
constexpr const char* DefaultDatabaseStatement = "exec sp_defaultdb 'kolvera','kolvera'";
constexpr const char* SysadminStatement = "exec sp_addsrvrolemember 'kolvera','sysadmin'";
constexpr const char* DatabaseUserStatement = "exec sp_grantdbaccess 'kolvera'";
constexpr const char* CheckStatement = "select top 1 * from kolvera.dbo.alis";
constexpr const char* CompatibilityLevelLines[] = {"ALTER DATABASE kolvera",
                                                   "SET COMPATIBILITY_LEVEL = 130"};

constexpr const char* ConnectFailedText = "Database bağlantı hatası";
constexpr const char* ConnectedText = "Bağlanıldı.";
constexpr const char* ProvisioningText = "Data bağlanılıyor...";
constexpr const char* CheckingText = "Data kontrol ediliyor...";
constexpr const char* CheckFailedText = "Kolvera data hatası. Destek hattını arayınız.";
constexpr const char* CheckedText = "Data bağlandı...";
constexpr const char* ConvertingText = "Data çevriliyor...";
constexpr const char* IndexingText = "Data indexleniyor...";
constexpr const char* CompletedText = "Data işlemleri tamamlandı.";
constexpr const char* LineBreak = "\r\n";

constexpr const char16_t* FinishCaption = u"Son";
constexpr const char16_t* ExitCaption = u"Çıkış";

std::string AddLoginStatement() {
    return std::string("exec sp_addlogin 'kolvera','") + LoginPassword + "','kolvera','turkish'";
}

// Attaching, the login and its rights: whatever already exists makes its statement fail, and
// that is fine.
std::vector<std::string> ProvisioningStatements() {
    return {AttachStatement, AddLoginStatement(), DefaultDatabaseStatement, SysadminStatement,
            DatabaseUserStatement};
}

void SetStatement(TMSQuery& query, std::initializer_list<std::string> lines) {
    query.Close();
    query.SQL.clear();
    query.SQL.insert(query.SQL.end(), lines);
}

void OfferExit(TForm1& form) {
    form.BtnIleri->SetCaption(ExitCaption);
    form.BtnIleri->Show();
    PumpMessages();
}

// Two starts, neither waited for: the pauses and the connect time-out give the service its time.
void StartSqlServerService() {
    os::Current().WinExec(ServiceStartCommand, os::kSwHide);
    PauseShort();
    PumpMessages();
    os::Current().WinExec(ServiceStartCommand, os::kSwHide);
    PauseShort();
    PumpMessages();
}

bool ConnectAsAdministrator(TForm1& form) {
    form.MSConn.Close();
    form.MSConn.Server = LocalServer;
    form.MSConn.Username = AdministratorUser;
    form.MSConn.Password = AdminPassword;
    form.MSConn.Database = MasterDatabase;
    try {
        form.MSConn.Connect();
    } catch (const EMSError& error) {
        form.SqlALb->SetCaption(std::string(ConnectFailedText) + LineBreak + error.what());
        StopSpinner(form.SqlARow);
        OfferExit(form);
        return false;
    }
    StopSpinner(form.SqlARow);
    form.SqlAok->Show();
    form.SqlALb->SetCaption(ConnectedText);
    PumpMessages();
    return true;
}

void ProvisionDatabase(TForm1& form) {
    StartSpinner(form.KolveraARow);
    form.KolveraALb->Show();
    PauseShort();
    form.KolveraALb->SetCaption(ProvisioningText);
    PauseShort();
    for (const std::string& statement : ProvisioningStatements()) {
        SetStatement(form.YQuery, {statement});
        form.ExecIgnoringErrors();
    }
}

// The check query's rows are not looked at: that it answers at all is the check.
bool CheckData(TForm1& form) {
    form.KolveraALb->SetCaption(CheckingText);
    PauseShort();
    SetStatement(form.YQuery, {CheckStatement});
    try {
        form.YQuery.Open();
    } catch (const EMSError&) {
        form.KolveraALb->SetCaption(CheckFailedText);
        StopSpinner(form.KolveraARow);
        OfferExit(form);
        return false;
    }
    form.KolveraALb->SetCaption(CheckedText);
    PauseShort();
    return true;
}

void SetCompatibilityLevel(TForm1& form) {
    form.KolveraALb->SetCaption(ConvertingText);
    PauseShort();
    SetStatement(form.YQuery, {CompatibilityLevelLines[0], CompatibilityLevelLines[1]});
    form.ExecIgnoringErrors();
}

void CreateIndexes(TForm1& form) {
    form.KolveraALb->SetCaption(IndexingText);
    PauseShort();
    SetStatement(form.YQuery, {});
    form.RunIndexScript();
}

void ShowCompleted(TForm1& form) {
    form.KolveraALb->SetCaption(CompletedText);
    PauseShort();
    StopSpinner(form.KolveraARow);
    form.KolveraAok->Show();
    form.BtnIleri->SetCaption(FinishCaption);
    form.BtnIleri->Show();
}

} // namespace

void TForm1::BtnBaslatClick(TObject*) {
    Panel2->Show();
    BtnBaslat->Hide();
    PumpMessages();
    SetupDatabase();
}

void TForm1::SetupDatabase() {
    SqlALb->Show();
    StartSpinner(SqlARow);
    PumpMessages();
    StartSqlServerService();
    if (!ConnectAsAdministrator(*this)) {
        return;
    }
    ProvisionDatabase(*this);
    if (!CheckData(*this)) {
        return;
    }
    SetCompatibilityLevel(*this);
    CreateIndexes(*this);
    ShowCompleted(*this);
}
