#pragma once
// The wizard's one window: every control in creation order, the status rows, and the handlers
// and stages. Each stage's member functions are defined in its own folder.

#include "app/TStatusRow.h"
#include "net/TIdHTTP.h"
#include "sql/TMSConnection.h"
#include "sql/TMSQuery.h"
#include "toolkit/TAdvGDIPPicture.h"
#include "toolkit/TForm.h"
#include "toolkit/TLabel.h"
#include "toolkit/TMemo.h"
#include "toolkit/TPanel.h"
#include "toolkit/TRxGIFAnimator.h"
#include "toolkit/TSeSkinButton.h"
#include "toolkit/TsuiSkinForm.h"

#include <cstdint>
#include <functional>
#include <string>

// The names of the pictures embedded in the program.
inline constexpr const char* WindowPicture = "WINDOW_PNG";
inline constexpr const char* SuccessPicture = "SUCCESS_PNG";
inline constexpr const char* FailurePicture = "FAILURE_PNG";
inline constexpr const char* SpinnerAnimation = "SPINNER_GIF";

class TForm1 : public TForm {
public:
    TForm1();
    ~TForm1() override;

    // Components, in creation order.
    TSeSkinEngine* SeSkinEngine1;
    TsuiSkinForm* suiSkinForm1;
    TLabel* Label8;
    TPanel* Panel6;
    TAdvGDIPPicture* KolveraYok;
    TAdvGDIPPicture* KolveraVar;
    TAdvGDIPPicture* SqlVar;
    TAdvGDIPPicture* SqlYok;
    TLabel* Label1;
    TLabel* Label2;
    TRxGIFAnimator* SqlGif;
    TRxGIFAnimator* KolveraGif;
    TLabel* SqlLB;
    TLabel* KolveraLb;
    TSeSkinButton* BtnIleri;
    TPanel* Panel1;
    TAdvGDIPPicture* Indir2ok;
    TAdvGDIPPicture* Indir1ok;
    TLabel* Label3;
    TLabel* Label4;
    TRxGIFAnimator* Indir1Don;
    TRxGIFAnimator* Indir2Don;
    TLabel* Indir1Lb;
    TLabel* Indir2Lb;
    TLabel* Label7;
    TAdvGDIPPicture* Indir3ok;
    TLabel* Indir3Lb;
    TRxGIFAnimator* Indir3Don;
    TSeSkinButton* BtnBaslat;
    TPanel* Panel2;
    TAdvGDIPPicture* SqlAok;
    TLabel* Label6;
    TRxGIFAnimator* SqlADon;
    TLabel* SqlALb;
    TLabel* Label10;
    TAdvGDIPPicture* KolveraAok;
    TLabel* KolveraALb;
    TRxGIFAnimator* KolveraADon;
    TLabel* Label5;
    TMemo* Memo1;

    // Non-visual components.
    TIdHTTP IdHTTP1;
    TMSConnection MSConn;
    TMSQuery YQuery;

    // The status rows of the three stage panels.
    TStatusRow SqlRow;      // Panel6: no SQL Server installed yet
    TStatusRow KolveraRow;  // Panel6: the Kolvera files are present
    TStatusRow Indir1Row;   // Panel1: .NET Framework 3.5
    TStatusRow Indir2Row;   // Panel1: PowerShell 2.0
    TStatusRow Indir3Row;   // Panel1: SQL Server 2016
    TStatusRow SqlARow;     // Panel2: SQL Server settings
    TStatusRow KolveraARow; // Panel2: Kolvera data settings

    // The download base address, set by FormCreate.
    std::string BaseUrl;

    // Handlers.
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void BtnIleriClick(TObject* Sender);  // app/
    void BtnBaslatClick(TObject* Sender); // database/
    void IdHTTP1WorkBegin(TIdHTTP& Sender, TWorkMode AWorkMode, std::int32_t AWorkCountMax);
    void IdHTTP1Work(TIdHTTP& Sender, TWorkMode AWorkMode, std::int32_t AWorkCount);
    void IdHTTP1WorkEnd(TIdHTTP& Sender, TWorkMode AWorkMode);

    // Stages and steps.
    bool CheckSystem(); // inspection/
    bool DownloadToFile(TIdHTTP& client, const std::string& url,
                        const std::string& targetPath); // prerequisites/
    void DownloadPackage(std::uint8_t n);               // prerequisites/
    void InstallPackage(std::uint8_t n);                // prerequisites/
    void SetupDatabase();                               // database/
    void ExecIgnoringErrors();                          // database/
    void RunIndexScript();                              // database/

private:
    // One row of the prerequisites page: probe (when the package has a probe), then download and
    // install unless it is installed.
    void RunPackageRow(std::uint8_t n, const TStatusRow& row,
                       const std::function<bool()>& installed);
    void CreateComponents();
    void BindRows();
    void BindHandlers();
};

extern TForm1* Form1;
