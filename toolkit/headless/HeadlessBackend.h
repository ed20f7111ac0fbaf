#pragma once
// A backend without a display, for native tests: its pump delivers the events a test has
// queued (a press, a close request) and counts itself; text is measured by a fixed rule.

#include "toolkit/Backend.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class TSeSkinButton;

class HeadlessBackend : public Backend {
public:
    // The handle the application reports as its window.
    static constexpr std::uintptr_t WindowHandle = 0x1000;

    // Queues an event; the next pump delivers it, reporting what escapes it as the
    // application's error report would.
    void Post(std::function<void()> event);
    // A left press and release inside the button, as the mouse would queue them.
    void PostPress(TSeSkinButton& button);
    // A close request from the system to the main form.
    void PostCloseRequest();
    bool MessagesWaiting() const { return !queue_.empty(); }

    // Called at the start of every pump; a test can record it or queue events from it.
    std::function<void()> onProcessMessages;
    int Pumps() const { return pumps_; }

    struct ErrorBox {
        std::string title;
        std::string text;
    };
    const std::vector<ErrorBox>& ErrorBoxes() const { return errorBoxes_; }
    bool ComInitialized() const { return comInitialized_; }
    const std::string& ApplicationTitle() const { return title_; }
    bool MainFormShown() const { return shownForm_ != nullptr; }
    int FormsDestroyed() const { return formsDestroyed_; }

    // A line is one character height plus three; each character is roughly half the height wide,
    // one pixel wider when bold.
    static TSize MeasureLine(const TFont& font, std::string_view line);

    void InitializeApplication() override { comInitialized_ = true; }
    void SetApplicationTitle(const std::string& title) override { title_ = title; }
    std::uintptr_t ApplicationHandle() override { return WindowHandle; }
    void ShowMainForm(TForm& form) override { shownForm_ = &form; }
    void DestroyForm(TForm& form) override;
    void RunMessageLoop(TApplication& application) override;
    void ProcessMessages(TApplication& application) override;
    void PostQuit() override;
    void Invalidate(TControl&) override {}
    TSize MeasureText(const TFont& font, std::string_view line) override {
        return MeasureLine(font, line);
    }
    void AnimationChanged(TRxGIFAnimator&) override {}
    void ShowErrorBox(const std::string& title, const std::string& text) override {
        errorBoxes_.push_back({title, text});
    }

private:
    struct Message {
        bool quit = false;
        std::function<void()> event;
    };
    bool DeliverNext(TApplication& application);

    std::deque<Message> queue_;
    int pumps_ = 0;
    std::vector<ErrorBox> errorBoxes_;
    bool comInitialized_ = false;
    std::string title_;
    TForm* shownForm_ = nullptr;
    int formsDestroyed_ = 0;
};
