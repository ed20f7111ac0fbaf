// The first stage: the SQL Server row, then the product-files row, each spinning while it
// checks and then showing one mark and its outcome text.

#include "app/Pacing.h"
#include "app/Unit1.h"
#include "inspection/Probes.h"
#include "os/Api.h"

#include <array>

namespace {

constexpr const char* SqlServerInstalledText =
    "Ms SQL Server bilgisayarınıza kurulu.\r\n Önce Ms Sql Serverı kaldırınız.";
constexpr const char* SqlServerReadyText = "Ms SQL Server bilgisayarınıza kurulmaya hazır.";

constexpr const char* ProductFolderMissingText =
    "Kolvera Otomasyon Sistemi bilgisayarınızda bulunamadı.";
constexpr const char* DataFolderMissingText =
    "Kolvera Otomasyon Sistemi datası \r\nbilgisayarınızda bulunamadı.";
constexpr const char* DataFileMissingText =
    "Kolvera Otomasyon Sistemi datası bilgisayarınızda bulunamadı.";
constexpr const char* ProductReadyText = "Kolvera Otomasyon Sistemi hazır.";

// Indexed by TProductCheckResult: the two data texts differ in their line break only.
constexpr std::array<const char*, 4> ProductOutcomeTexts{
    ProductFolderMissingText, DataFolderMissingText, DataFileMissingText, ProductReadyText};

void ShowChecking(const TStatusRow& row) {
    StartSpinner(row);
    row.Status->Show();
}

// Shows the row's outcome: its success or its failure mark, and the text.
void ShowOutcome(const TStatusRow& row, bool passed, const char* text) {
    (passed ? row.SuccessMark : row.FailureMark)->Show();
    row.Status->SetCaption(text);
}

} // namespace

bool TForm1::CheckSystem() {
    bool passed = false;

    ShowChecking(SqlRow);
    PauseLong();
    StopSpinner(SqlRow);
    const std::string sqlServerVersion = ReadSqlServerVersion();
    const bool noSqlServer = sqlServerVersion.empty();
    ShowOutcome(SqlRow, noSqlServer, noSqlServer ? SqlServerReadyText : SqlServerInstalledText);
    if (noSqlServer) {
        passed = true;
    }
    PumpMessages();

    ShowChecking(KolveraRow);
    PauseLong();
    StopSpinner(KolveraRow);
    const TProductCheckResult product = CheckProductInstallation();
    ShowOutcome(KolveraRow, product == pcReady, ProductOutcomeTexts[product]);
    if (product == pcReady) {
        passed = true;
    }
    PumpMessages();

    // The verdict comes from what the rows show: any failure mark fails the PC.
    if (KolveraRow.FailureMark->Visible() || SqlRow.FailureMark->Visible()) {
        passed = false;
    }
    os::Current().Sleep(SettleSleepMs);
    return passed;
}
