// The window as it is made: every control with its parent, place, font, text and visibility.

#include "tests/unit/support/WizardFixture.h"

#include <string>
#include <vector>

namespace {

enum class Kind { Label, Panel, Picture, Spinner, Button, Memo };

struct DesignedControl {
    const char* name;
    Kind kind;
    const char* parent;
    int left, top, width, height;
    TAlignment alignment; // labels only
    int fontHeight;       // labels only
    bool bold;
    TColor colour;
    const char* text; // label caption or picture name
    bool visible;
};

constexpr TAlignment L = TAlignment::taLeftJustify;
constexpr TAlignment R = TAlignment::taRightJustify;
constexpr TAlignment C = TAlignment::taCenter;
constexpr TColor Black = clWindowText;

// The window's design, in creation order.
const std::vector<DesignedControl> Design = {
    {"suiSkinForm1", Kind::Picture, "Form1", 0, 0, 532, 341, L, 0, false, Black, "WINDOW_PNG",
     true},
    {"Label8", Kind::Label, "Form1", 40, 284, 393, 16, C, 13, true, clMaroon,
     "Kurulum için 64 bit işletim sistemi gerekmektedir.", false},
    {"Panel6", Kind::Panel, "Form1", 12, 245, 390, 81, L, 0, false, Black, "", false},
    {"KolveraYok", Kind::Picture, "Panel6", 136, 51, 12, 12, L, 0, false, Black, "FAILURE_PNG",
     false},
    {"KolveraVar", Kind::Picture, "Panel6", 133, 46, 20, 20, L, 0, false, Black, "SUCCESS_PNG",
     false},
    {"SqlVar", Kind::Picture, "Panel6", 136, 15, 12, 12, L, 0, false, Black, "FAILURE_PNG", false},
    {"SqlYok", Kind::Picture, "Panel6", 132, 12, 20, 20, L, 0, false, Black, "SUCCESS_PNG", false},
    {"Label1", Kind::Label, "Panel6", 31, 14, 94, 16, R, 13, true, Black, "Ms SQL Server", true},
    {"Label2", Kind::Label, "Panel6", 4, 48, 121, 16, R, 13, true, Black, "Kolvera Dosyaları",
     true},
    {"SqlGif", Kind::Spinner, "Panel6", 135, 14, 16, 16, L, 0, false, Black, "SPINNER_GIF", false},
    {"KolveraGif", Kind::Spinner, "Panel6", 135, 48, 16, 16, L, 0, false, Black, "SPINNER_GIF",
     false},
    {"SqlLB", Kind::Label, "Panel6", 158, 14, 79, 14, L, 11, false, Black, "Kontrol Ediliyor...",
     false},
    {"KolveraLb", Kind::Label, "Panel6", 158, 49, 79, 14, L, 11, false, Black,
     "Kontrol Ediliyor...", false},
    {"BtnIleri", Kind::Button, "Form1", 432, 280, 75, 25, L, 11, false, Black, "Başlat", true},
    {"Panel1", Kind::Panel, "Form1", 12, 245, 390, 81, L, 0, false, Black, "", false},
    {"Indir2ok", Kind::Picture, "Panel1", 178, 32, 20, 20, L, 0, false, Black, "SUCCESS_PNG",
     false},
    {"Indir1ok", Kind::Picture, "Panel1", 178, 8, 20, 20, L, 0, false, Black, "SUCCESS_PNG", false},
    {"Label3", Kind::Label, "Panel1", 15, 10, 156, 16, R, 13, true, Black, ".NET Framework 3.5 SP1",
     true},
    {"Label4", Kind::Label, "Panel1", 13, 34, 158, 16, R, 13, true, Black, "Windows PowerShell 2.0",
     true},
    {"Indir1Don", Kind::Spinner, "Panel1", 181, 10, 16, 16, L, 0, false, Black, "SPINNER_GIF",
     false},
    {"Indir2Don", Kind::Spinner, "Panel1", 181, 32, 16, 16, L, 0, false, Black, "SPINNER_GIF",
     false},
    {"Indir1Lb", Kind::Label, "Panel1", 201, 10, 79, 14, L, 11, false, Black, "Kontrol Ediliyor...",
     false},
    {"Indir2Lb", Kind::Label, "Panel1", 201, 34, 79, 14, L, 11, false, Black, "Kontrol Ediliyor...",
     false},
    {"Label7", Kind::Label, "Panel1", 42, 58, 129, 16, R, 13, true, Black, "MS SQL Server 2016",
     true},
    {"Indir3ok", Kind::Picture, "Panel1", 178, 56, 20, 20, L, 0, false, Black, "SUCCESS_PNG",
     false},
    {"Indir3Lb", Kind::Label, "Panel1", 201, 58, 79, 14, L, 11, false, Black, "Kontrol Ediliyor...",
     false},
    {"Indir3Don", Kind::Spinner, "Panel1", 181, 57, 16, 16, L, 0, false, Black, "SPINNER_GIF",
     false},
    {"BtnBaslat", Kind::Button, "Form1", 432, 280, 75, 25, L, 11, false, Black, "Başlat", false},
    {"Panel2", Kind::Panel, "Form1", 12, 245, 390, 81, L, 0, false, Black, "", false},
    {"SqlAok", Kind::Picture, "Panel2", 178, 27, 20, 20, L, 0, false, Black, "SUCCESS_PNG", false},
    {"Label6", Kind::Label, "Panel2", 20, 29, 151, 16, R, 13, true, Black, "MS SQL Server Ayarları",
     true},
    {"SqlADon", Kind::Spinner, "Panel2", 181, 27, 16, 16, L, 0, false, Black, "SPINNER_GIF", false},
    {"SqlALb", Kind::Label, "Panel2", 201, 29, 63, 14, L, 11, false, Black, "Bağlanılıyor...",
     false},
    {"Label10", Kind::Label, "Panel2", 26, 58, 145, 16, R, 13, true, Black, "Kolvera Data Ayarları",
     true},
    {"KolveraAok", Kind::Picture, "Panel2", 178, 56, 20, 20, L, 0, false, Black, "SUCCESS_PNG",
     false},
    {"KolveraALb", Kind::Label, "Panel2", 201, 58, 79, 14, L, 11, false, Black,
     "Kontrol Ediliyor...", false},
    {"KolveraADon", Kind::Spinner, "Panel2", 181, 57, 16, 16, L, 0, false, Black, "SPINNER_GIF",
     false},
    {"Label5", Kind::Label, "Panel2", 73, 6, 282, 16, R, 13, true, clMaroon,
     "MS SQL Server 2016 Kurulumu Tamamlandı.", true},
    {"Memo1", Kind::Memo, "Form1", 728, 48, 185, 89, L, 11, false, Black, "", false},
};

// Every control below `parent`, depth first in creation order.
void Flatten(const TWinControl& parent, std::vector<const TControl*>& out) {
    for (const TControl* control : parent.Controls()) {
        out.push_back(control);
        if (const auto* panel = dynamic_cast<const TPanel*>(control)) {
            Flatten(*panel, out);
        }
    }
}

std::vector<const TControl*> AllControls(const TForm& form) {
    std::vector<const TControl*> all;
    Flatten(form, all);
    return all;
}

class ControlTable : public WizardFixture {};

TEST_F(ControlTable, EveryControlIsMadeInDesignOrderWithItsDesignedState) {
    const std::vector<const TControl*> controls = AllControls(Form());
    ASSERT_EQ(controls.size(), Design.size());
    for (std::size_t i = 0; i < Design.size(); ++i) {
        const DesignedControl& d = Design[i];
        const TControl& c = *controls[i];
        SCOPED_TRACE(d.name);
        EXPECT_EQ(c.Name(), d.name);
        EXPECT_EQ(c.Parent()->Name(), d.parent);
        EXPECT_EQ(c.Visible(), d.visible);
        EXPECT_EQ(c.Top(), d.top);
        if (d.kind == Kind::Label) {
            const auto& label = dynamic_cast<const TLabel&>(c);
            EXPECT_EQ(label.Caption(), d.text);
            EXPECT_EQ(label.Alignment(), d.alignment);
            EXPECT_EQ(label.Font().Name, "Arial");
            EXPECT_EQ(label.Font().Height, d.fontHeight);
            EXPECT_EQ(label.Font().Bold, d.bold);
            EXPECT_EQ(label.Font().Color, d.colour);
            // Labels size themselves to the text: the right-aligned keep their right edge.
            if (d.alignment == R) {
                EXPECT_EQ(c.Left() + c.Width(), d.left + d.width);
            } else {
                EXPECT_EQ(c.Left(), d.left);
            }
            continue;
        }
        EXPECT_EQ(c.Left(), d.left);
        EXPECT_EQ(c.Width(), d.width);
        EXPECT_EQ(c.Height(), d.height);
        switch (d.kind) {
        case Kind::Picture:
            if (const auto* picture = dynamic_cast<const TAdvGDIPPicture*>(&c)) {
                EXPECT_EQ(picture->Picture(), d.text);
            } else {
                EXPECT_EQ(dynamic_cast<const TsuiSkinForm&>(c).Picture(), d.text);
            }
            break;
        case Kind::Spinner:
            EXPECT_EQ(dynamic_cast<const TRxGIFAnimator&>(c).Animation(), d.text);
            EXPECT_FALSE(dynamic_cast<const TRxGIFAnimator&>(c).Animate());
            break;
        case Kind::Button: {
            const auto& button = dynamic_cast<const TSeSkinButton&>(c);
            EXPECT_EQ(button.Caption(), u"Başlat");
            EXPECT_EQ(button.Font().Name, "MS Sans Serif");
            EXPECT_EQ(button.Font().Height, 11);
            EXPECT_EQ(button.SkinEngine().SkinName(), "XP Blue");
            EXPECT_EQ(button.SkinObject(), "Button");
            break;
        }
        case Kind::Panel:
            EXPECT_EQ(dynamic_cast<const TPanel&>(c).Color(), clWhite);
            break;
        default:
            break;
        }
    }
}

TEST_F(ControlTable, TheWindowItself) {
    EXPECT_EQ(Form().Caption(), "Kolvera Database 2008 Kurulum");
    EXPECT_EQ(Form().ClientSize().cx, 532);
    EXPECT_EQ(Form().ClientSize().cy, 341);
    EXPECT_EQ(Form().BorderStyle(), TFormBorderStyle::bsNone);
    EXPECT_EQ(Form().Font.Name, "MS Sans Serif");
    EXPECT_EQ(Form().Font.Height, 11);
    EXPECT_TRUE(Form1 == &Form());
    EXPECT_EQ(Form().BaseUrl, "http://indir.kolvera.com.tr/Kolvera/2016/");
    EXPECT_TRUE(Form().Label8->Transparent());
    EXPECT_FALSE(Form().Label1->Transparent());
    EXPECT_EQ(Form().Label1->Color(), clWhite); // its panel's colour
}

TEST_F(ControlTable, TabOrderFollowsTheWindowedControls) {
    const std::vector<std::pair<TWinControl*, int>> order = {
        {Form().Panel6, 0},    {Form().BtnIleri, 1}, {Form().Panel1, 2},
        {Form().BtnBaslat, 3}, {Form().Panel2, 4},   {Form().Memo1, 5}};
    for (const auto& [control, expected] : order) {
        EXPECT_EQ(control->TabOrder(), expected) << control->Name();
    }
}

TEST_F(ControlTable, StatusRowsReferToTheirControls) {
    struct Row {
        const TStatusRow& row;
        std::vector<std::string> names; // title, spinner, status, success, failure
    };
    const TForm1& f = Form();
    const std::vector<Row> rows = {
        {f.SqlRow, {"Label1", "SqlGif", "SqlLB", "SqlYok", "SqlVar"}},
        {f.KolveraRow, {"Label2", "KolveraGif", "KolveraLb", "KolveraVar", "KolveraYok"}},
        {f.Indir1Row, {"Label3", "Indir1Don", "Indir1Lb", "Indir1ok", ""}},
        {f.Indir2Row, {"Label4", "Indir2Don", "Indir2Lb", "Indir2ok", ""}},
        {f.Indir3Row, {"Label7", "Indir3Don", "Indir3Lb", "Indir3ok", ""}},
        {f.SqlARow, {"Label6", "SqlADon", "SqlALb", "SqlAok", ""}},
        {f.KolveraARow, {"Label10", "KolveraADon", "KolveraALb", "KolveraAok", ""}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.names[0]);
        EXPECT_EQ(r.row.Title->Name(), r.names[0]);
        EXPECT_EQ(r.row.Spinner->Name(), r.names[1]);
        EXPECT_EQ(r.row.Status->Name(), r.names[2]);
        EXPECT_EQ(r.row.SuccessMark->Name(), r.names[3]);
        EXPECT_EQ(r.row.FailureMark == nullptr ? "" : r.row.FailureMark->Name(), r.names[4]);
    }
}

} // namespace
