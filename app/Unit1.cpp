#include "app/Unit1.h"

#include "database/IndexScript.h"

TForm1* Form1 = nullptr;

namespace {

constexpr const char* DownloadBaseUrl = "http://indir.kolvera.com.tr/Kolvera/2016/";
constexpr TSize WindowPictureSize{532, 341};

const TFont FormFont{"MS Sans Serif", 11, false, clWindowText};
const TFont TitleFont{"Arial", 13, true, clWindowText};
const TFont NoticeFont{"Arial", 13, true, clMaroon};
const TFont StatusFont{"Arial", 11, false, clWindowText};

struct Bounds {
    int left, top, width, height;
};

TPanel* MakePanel(TForm& form, const char* name) {
    auto* panel = form.Make<TPanel>(&form, name);
    panel->SetBounds(12, 245, 390, 81);
    panel->SetColor(clWhite);
    panel->Hide();
    return panel;
}

TLabel* MakeLabel(TForm& form, TWinControl* parent, const char* name, Bounds b, const TFont& font,
                  TAlignment alignment, const char* caption, bool visible) {
    auto* label = form.Make<TLabel>(parent, name);
    label->SetBounds(b.left, b.top, b.width, b.height);
    label->SetAlignment(alignment);
    label->SetFont(font);
    label->SetCaption(caption);
    label->SetVisible(visible);
    return label;
}

TLabel* MakeTitle(TForm& form, TWinControl* parent, const char* name, Bounds b,
                  const char* caption) {
    return MakeLabel(form, parent, name, b, TitleFont, TAlignment::taRightJustify, caption, true);
}

TLabel* MakeStatus(TForm& form, TWinControl* parent, const char* name, Bounds b,
                   const char* caption) {
    return MakeLabel(form, parent, name, b, StatusFont, TAlignment::taLeftJustify, caption, false);
}

TAdvGDIPPicture* MakeMark(TForm& form, TWinControl* parent, const char* name, int left, int top,
                          const char* picture, int size) {
    auto* mark = form.Make<TAdvGDIPPicture>(parent, name, picture);
    mark->SetBounds(left, top, size, size);
    mark->Hide();
    return mark;
}

// The green tick, 20 x 20.
TAdvGDIPPicture* MakeSuccessMark(TForm& form, TWinControl* parent, const char* name, int left,
                                 int top) {
    return MakeMark(form, parent, name, left, top, SuccessPicture, 20);
}

// The red cross, 12 x 12.
TAdvGDIPPicture* MakeFailureMark(TForm& form, TWinControl* parent, const char* name, int left,
                                 int top) {
    return MakeMark(form, parent, name, left, top, FailurePicture, 12);
}

TRxGIFAnimator* MakeSpinner(TForm& form, TWinControl* parent, const char* name, int left, int top) {
    auto* spinner = form.Make<TRxGIFAnimator>(parent, name, SpinnerAnimation);
    spinner->SetBounds(left, top, 16, 16);
    spinner->Hide();
    return spinner;
}

TSeSkinButton* MakeButton(TForm& form, const char* name, TSeSkinEngine& engine, bool visible) {
    auto* button = form.Make<TSeSkinButton>(&form, name, engine);
    button->SetBounds(432, 280, 75, 25);
    button->SetFont(FormFont);
    button->SetCaption(u"Başlat");
    button->SetVisible(visible);
    return button;
}

} // namespace

TForm1::TForm1() : TForm("Form1"), YQuery(MSConn) {
    SetCaption("Kolvera Database 2008 Kurulum");
    SetColor(clBtnFace);
    Font = FormFont;
    CreateComponents();
    BindRows();
    BindHandlers();
}

TForm1::~TForm1() = default;

void TForm1::CreateComponents() {
    SeSkinEngine1 = Make<TSeSkinEngine>("XP Blue");
    suiSkinForm1 = Make<TsuiSkinForm>(*this, "suiSkinForm1", WindowPicture, WindowPictureSize);

    Label8 = MakeLabel(*this, this, "Label8", {40, 284, 393, 16}, NoticeFont, TAlignment::taCenter,
                       "Kurulum için 64 bit işletim sistemi gerekmektedir.", false);
    Label8->SetTransparent(true);

    Panel6 = MakePanel(*this, "Panel6");
    KolveraYok = MakeFailureMark(*this, Panel6, "KolveraYok", 136, 51);
    KolveraVar = MakeSuccessMark(*this, Panel6, "KolveraVar", 133, 46);
    SqlVar = MakeFailureMark(*this, Panel6, "SqlVar", 136, 15);
    SqlYok = MakeSuccessMark(*this, Panel6, "SqlYok", 132, 12);
    Label1 = MakeTitle(*this, Panel6, "Label1", {31, 14, 94, 16}, "Ms SQL Server");
    Label2 = MakeTitle(*this, Panel6, "Label2", {4, 48, 121, 16}, "Kolvera Dosyaları");
    SqlGif = MakeSpinner(*this, Panel6, "SqlGif", 135, 14);
    KolveraGif = MakeSpinner(*this, Panel6, "KolveraGif", 135, 48);
    SqlLB = MakeStatus(*this, Panel6, "SqlLB", {158, 14, 79, 14}, "Kontrol Ediliyor...");
    KolveraLb = MakeStatus(*this, Panel6, "KolveraLb", {158, 49, 79, 14}, "Kontrol Ediliyor...");

    BtnIleri = MakeButton(*this, "BtnIleri", *SeSkinEngine1, true);

    Panel1 = MakePanel(*this, "Panel1");
    Indir2ok = MakeSuccessMark(*this, Panel1, "Indir2ok", 178, 32);
    Indir1ok = MakeSuccessMark(*this, Panel1, "Indir1ok", 178, 8);
    Label3 = MakeTitle(*this, Panel1, "Label3", {15, 10, 156, 16}, ".NET Framework 3.5 SP1");
    Label4 = MakeTitle(*this, Panel1, "Label4", {13, 34, 158, 16}, "Windows PowerShell 2.0");
    Indir1Don = MakeSpinner(*this, Panel1, "Indir1Don", 181, 10);
    Indir2Don = MakeSpinner(*this, Panel1, "Indir2Don", 181, 32);
    Indir1Lb = MakeStatus(*this, Panel1, "Indir1Lb", {201, 10, 79, 14}, "Kontrol Ediliyor...");
    Indir2Lb = MakeStatus(*this, Panel1, "Indir2Lb", {201, 34, 79, 14}, "Kontrol Ediliyor...");
    Label7 = MakeTitle(*this, Panel1, "Label7", {42, 58, 129, 16}, "MS SQL Server 2016");
    Indir3ok = MakeSuccessMark(*this, Panel1, "Indir3ok", 178, 56);
    Indir3Lb = MakeStatus(*this, Panel1, "Indir3Lb", {201, 58, 79, 14}, "Kontrol Ediliyor...");
    Indir3Don = MakeSpinner(*this, Panel1, "Indir3Don", 181, 57);

    BtnBaslat = MakeButton(*this, "BtnBaslat", *SeSkinEngine1, false);

    Panel2 = MakePanel(*this, "Panel2");
    SqlAok = MakeSuccessMark(*this, Panel2, "SqlAok", 178, 27);
    Label6 = MakeTitle(*this, Panel2, "Label6", {20, 29, 151, 16}, "MS SQL Server Ayarları");
    SqlADon = MakeSpinner(*this, Panel2, "SqlADon", 181, 27);
    SqlALb = MakeStatus(*this, Panel2, "SqlALb", {201, 29, 63, 14}, "Bağlanılıyor...");
    Label10 = MakeTitle(*this, Panel2, "Label10", {26, 58, 145, 16}, "Kolvera Data Ayarları");
    KolveraAok = MakeSuccessMark(*this, Panel2, "KolveraAok", 178, 56);
    KolveraALb = MakeStatus(*this, Panel2, "KolveraALb", {201, 58, 79, 14}, "Kontrol Ediliyor...");
    KolveraADon = MakeSpinner(*this, Panel2, "KolveraADon", 181, 57);
    Label5 = MakeLabel(*this, Panel2, "Label5", {73, 6, 282, 16}, NoticeFont,
                       TAlignment::taRightJustify, "MS SQL Server 2016 Kurulumu Tamamlandı.", true);

    Memo1 = Make<TMemo>(this, "Memo1");
    Memo1->SetBounds(728, 48, 185, 89);
    Memo1->Font = FormFont;
    Memo1->Lines = IndexScript();
    Memo1->Hide();
}

void TForm1::BindRows() {
    SqlRow = {Label1, SqlGif, SqlLB, SqlYok, SqlVar};
    KolveraRow = {Label2, KolveraGif, KolveraLb, KolveraVar, KolveraYok};
    Indir1Row = {Label3, Indir1Don, Indir1Lb, Indir1ok, nullptr};
    Indir2Row = {Label4, Indir2Don, Indir2Lb, Indir2ok, nullptr};
    Indir3Row = {Label7, Indir3Don, Indir3Lb, Indir3ok, nullptr};
    SqlARow = {Label6, SqlADon, SqlALb, SqlAok, nullptr};
    KolveraARow = {Label10, KolveraADon, KolveraALb, KolveraAok, nullptr};
}

void TForm1::BindHandlers() {
    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    BtnIleri->OnClick = [this](TObject* sender) { BtnIleriClick(sender); };
    BtnBaslat->OnClick = [this](TObject* sender) { BtnBaslatClick(sender); };
    IdHTTP1.OnWorkBegin = [this](TIdHTTP& sender, TWorkMode mode, std::int32_t max) {
        IdHTTP1WorkBegin(sender, mode, max);
    };
    IdHTTP1.OnWork = [this](TIdHTTP& sender, TWorkMode mode, std::int32_t count) {
        IdHTTP1Work(sender, mode, count);
    };
    IdHTTP1.OnWorkEnd = [this](TIdHTTP& sender, TWorkMode mode) { IdHTTP1WorkEnd(sender, mode); };
}

void TForm1::FormCreate(TObject*) {
    BaseUrl = DownloadBaseUrl;
    Panel1->SetLeft(12);
    Panel1->SetTop(245);
}

void TForm1::FormClose(TObject*, TCloseAction& Action) {
    Action = TCloseAction::caFree;
    Form1 = nullptr;
}
