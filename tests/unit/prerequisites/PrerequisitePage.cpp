#include "tests/unit/prerequisites/PrerequisitePage.h"

#include "os/Types.h"
#include "prerequisites/TPrerequisitePackage.h"

#include <array>

namespace {

struct PanelControl {
    const char* name;
    std::uint8_t row; // 0: a title, always showing
    enum { Title, Mark, Spinner, Status } kind;
};

// Panel1's controls in creation order, the order the screen lists them in.
constexpr std::array<PanelControl, 12> Panel1Controls{{
    {"Indir2ok", 2, PanelControl::Mark},
    {"Indir1ok", 1, PanelControl::Mark},
    {"Label3\".NET Framework 3.5 SP1\"", 0, PanelControl::Title},
    {"Label4\"Windows PowerShell 2.0\"", 0, PanelControl::Title},
    {"Indir1Don", 1, PanelControl::Spinner},
    {"Indir2Don", 2, PanelControl::Spinner},
    {"Indir1Lb", 1, PanelControl::Status},
    {"Indir2Lb", 2, PanelControl::Status},
    {"Label7\"MS SQL Server 2016\"", 0, PanelControl::Title},
    {"Indir3ok", 3, PanelControl::Mark},
    {"Indir3Lb", 3, PanelControl::Status},
    {"Indir3Don", 3, PanelControl::Spinner},
}};

} // namespace

PrerequisitePage::PrerequisitePage() {
    Os().AddFolder(PackageCacheDir);
    Form().BtnIleri->Hide();
    Form().Panel1->Show();
}

void PrerequisitePage::StartRow(std::uint8_t n) {
    const TStatusRow& row = Form().*FindPackage(n)->Row;
    StartSpinner(row);
    row.Status->Show();
    row.Status->SetCaption("İndiriliyor...");
    ClearJournal();
}

std::string Screen(std::uint8_t n, std::string_view status, RowEnd end) {
    std::string shown;
    for (const PanelControl& control : Panel1Controls) {
        std::string text;
        if (control.kind == PanelControl::Title) {
            text = control.name;
        } else if (control.row != n) {
            continue;
        } else if (control.kind == PanelControl::Status) {
            text = std::string(control.name) + "\"" + std::string(status) + "\"";
        } else if (control.kind == PanelControl::Spinner && end == RowEnd::Working) {
            text = std::string(control.name) + "~";
        } else if (control.kind == PanelControl::Mark && end == RowEnd::Done) {
            text = control.name;
        } else {
            continue;
        }
        shown += (shown.empty() ? "" : " ") + text;
    }
    return "screen: Panel1{" + shown + "}";
}

std::string Lines(const std::vector<std::string>& journal) {
    std::string out;
    for (const std::string& line : journal) {
        out += line + "\n";
    }
    return out;
}
