// The window at rest, its stacking, its labels, its error report and its close path.

#include "app/Pacing.h"
#include "tests/unit/support/WizardFixture.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace {

class Window : public WizardFixture {};

TEST_F(Window, AtStartOnlyThePictureAndTheStartButtonShow) {
    EXPECT_EQ(DescribeScreen(Form()), "BtnIleri\"Başlat\"@280");
    EXPECT_EQ(Form().BtnIleri->Left(), 432);
    EXPECT_TRUE(Form().suiSkinForm1->Visible());
}

TEST_F(Window, ApplicationStartsWithComAndItsTitle) {
    EXPECT_TRUE(Backend().ComInitialized());
    EXPECT_EQ(Backend().ApplicationTitle(), "Kolvera MsSQL 2008 Kurulum");
}

TEST_F(Window, OnlyTheHighestVisiblePanelIsSeen) {
    const TPoint insidePanels{380, 320}; // bare panel, clear of every row
    struct Case {
        bool panel6, panel1, panel2;
        const char* seen;
    };
    const std::vector<Case> cases = {
        {false, false, false, "suiSkinForm1"}, {true, false, false, "Panel6"},
        {true, true, false, "Panel1"},         {true, true, true, "Panel2"},
        {true, false, true, "Panel2"},         {false, true, false, "Panel1"},
    };
    for (const Case& c : cases) {
        Form().Panel6->SetVisible(c.panel6);
        Form().Panel1->SetVisible(c.panel1);
        Form().Panel2->SetVisible(c.panel2);
        const TControl* seen = Form().ControlAt(insidePanels);
        ASSERT_NE(seen, nullptr);
        EXPECT_EQ(seen->Name(), c.seen) << c.panel6 << c.panel1 << c.panel2;
    }
}

TEST_F(Window, ThePictureLiesUnderEverythingAndLabelEightUnderThePanels) {
    EXPECT_EQ(Form().ControlAt({450, 290})->Name(), "BtnIleri");
    EXPECT_EQ(Form().ControlAt({200, 150})->Name(), "suiSkinForm1");
    Form().Label8->Show();
    EXPECT_EQ(Form().ControlAt({200, 290})->Name(), "Label8");
    Form().Panel6->Show();
    EXPECT_EQ(Form().ControlAt({200, 290})->Name(), "Panel6");
}

TEST_F(Window, BothButtonsShownOverlapByOneRowWithTheStartButtonOnTop) {
    Form().BtnBaslat->SetTop(304);
    Form().BtnBaslat->Show();
    EXPECT_EQ(Form().ControlAt({450, 303})->Name(), "BtnIleri");
    EXPECT_EQ(Form().ControlAt({450, 304})->Name(), "BtnBaslat");
}

TEST_F(Window, LabelsSizeThemselvesKeepingTheirAnchoredEdge) {
    struct Case {
        TLabel* label;
        const char* text;
        int rightEdge; // for right-aligned titles, else -1
        int left;      // for left-aligned labels, else -1
        int lines;
    };
    TForm1& f = Form();
    const std::vector<Case> cases = {
        {f.Label1, "Ms SQL Server", 125, -1, 1},
        {f.Label2, "Bir", 125, -1, 1},
        {f.Label3, "Çok daha uzun bir başlık metni", 171, -1, 1},
        {f.Label6, "iki\r\nsatır", 171, -1, 2},
        {f.SqlLB, "Ms SQL Server bilgisayarınıza kurulu.\r\n Önce Ms Sql Serverı kaldırınız.", -1,
         158, 2},
        {f.KolveraLb, "Kolvera Otomasyon Sistemi hazır.", -1, 158, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const int top = c.label->Top();
        c.label->SetCaption(c.text);
        const int lineHeight = c.label->Font().Height + 3;
        EXPECT_EQ(c.label->Top(), top); // grows downward
        EXPECT_EQ(c.label->Height(), c.lines * lineHeight);
        EXPECT_EQ(c.label->Lines().size(), static_cast<std::size_t>(c.lines));
        if (c.rightEdge >= 0) {
            EXPECT_EQ(c.label->Left() + c.label->Width(), c.rightEdge);
        } else {
            EXPECT_EQ(c.label->Left(), c.left);
        }
    }
}

TEST_F(Window, ALineBreakSplitsTheTextAndKeepsTheSpaceAfterIt) {
    Form().SqlLB->SetCaption("a\r\n b");
    const std::vector<std::string_view> lines = Form().SqlLB->Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[1], " b");
}

TEST_F(Window, MemoIsNeverShownAndHoldsTheIndexScript) {
    EXPECT_FALSE(Form().Memo1->Visible());
    EXPECT_EQ(Form().Memo1->Lines.size(), 193u);
    EXPECT_GE(Form().Memo1->Left(), Form().ClientSize().cx); // outside the client area
}

TEST_F(Window, AnErrorEscapingAHandlerIsReportedWithTheApplicationTitle) {
    struct Case {
        const char* message;
        const char* shown;
    };
    const std::vector<Case> cases = {
        {"I/O error 183", "I/O error 183."},
        {"Invalid data type for 'Version'", "Invalid data type for 'Version'"}, // ' sorts before .
        {"Ends with a full stop.", "Ends with a full stop."},
        {"Ends with a comma,", "Ends with a comma,"}, // sorts before the full stop
        {"Türkçe ı", "Türkçe ı."},                    // a letter of more than one byte
        {"", ""},
    };
    for (const Case& c : cases) {
        Backend().Post([&] { throw std::runtime_error(c.message); });
    }
    PumpMessages();
    ASSERT_EQ(Backend().ErrorBoxes().size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(Backend().ErrorBoxes()[i].title, "Kolvera MsSQL 2008 Kurulum");
        EXPECT_EQ(Backend().ErrorBoxes()[i].text, cases[i].shown);
    }
}

TEST_F(Window, AnErrorInANestedHandlerDoesNotReachTheHandlerThatPumped) {
    bool outerFinished = false;
    Backend().Post([&] {
        Backend().Post([] { throw std::runtime_error("inner"); });
        PumpMessages();
        outerFinished = true;
    });
    PumpMessages();
    EXPECT_TRUE(outerFinished);
    ASSERT_EQ(Backend().ErrorBoxes().size(), 1u);
    EXPECT_EQ(Backend().ErrorBoxes()[0].text, "inner.");
}

TEST_F(Window, ACloseRequestDuringAHandlerDestroysNothingUntilTheHandlerReturns) {
    TForm1& form = Form();
    std::vector<std::string> seen;
    form.BtnIleri->OnClick = [&](TObject*) {
        Backend().PostCloseRequest();
        PauseShort();
        seen.push_back(Form1 == nullptr ? "Form1 cleared" : "Form1 set");
        seen.push_back(Application->Terminated() ? "terminating" : "running");
        seen.push_back(Backend().FormsDestroyed() == 0 ? "window alive" : "window destroyed");
        form.Indir1Lb->SetCaption("still usable"); // the handler goes on with its steps
    };
    Backend().PostPress(*form.BtnIleri);
    Application->Run();
    EXPECT_EQ(seen, (std::vector<std::string>{"Form1 cleared", "terminating", "window alive"}));
    EXPECT_EQ(Backend().FormsDestroyed(), 1);
    EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST_F(Window, APressQueuedOnAButtonThatIsThenHiddenIsDropped) {
    int clicks = 0;
    Form().BtnBaslat->OnClick = [&](TObject*) { ++clicks; };
    Form().BtnBaslat->Show();
    Backend().PostPress(*Form().BtnBaslat);
    Form().BtnBaslat->Hide();
    PumpMessages();
    EXPECT_EQ(clicks, 0);
    Form().BtnBaslat->Show();
    Backend().PostPress(*Form().BtnBaslat);
    PumpMessages();
    EXPECT_EQ(clicks, 1);
}

TEST_F(Window, AButtonClicksOnReleaseInsideOrOnSpaceWhileFocused) {
    int clicks = 0;
    TSeSkinButton& button = *Form().BtnIleri;
    button.OnClick = [&](TObject*) { ++clicks; };
    button.LeftButtonDown();
    EXPECT_TRUE(button.Focused());
    EXPECT_EQ(button.DrawState(), TSkinButtonState::Pressed);
    button.LeftButtonUp(false); // released outside: no click
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(button.DrawState(), TSkinButtonState::Focused);
    button.SpaceUp();
    EXPECT_EQ(clicks, 1);
    button.LeftButtonDown();
    button.LeftButtonUp(true);
    EXPECT_EQ(clicks, 2);
    Form().BtnBaslat->SpaceUp(); // not focused
    EXPECT_EQ(clicks, 2);
}

TEST_F(Window, FormCloseFreesTheWindowAndClearsItsReference) {
    TCloseAction action = TCloseAction::caHide;
    Form().FormClose(&Form(), action);
    EXPECT_EQ(action, TCloseAction::caFree);
    EXPECT_EQ(Form1, nullptr);
}

} // namespace
