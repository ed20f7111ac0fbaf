#pragma once
// What the toolkit needs from a platform: a real window (win32/) or a scripted one (headless/).

#include "toolkit/Graphics.h"

#include <cstdint>
#include <string>
#include <string_view>

class TApplication;
class TControl;
class TForm;
class TRxGIFAnimator;

class Backend {
public:
    virtual ~Backend() = default;

    // The backend of the running application, or nullptr before there is one.
    static Backend* Current();
    static void SetCurrent(Backend* backend);

    // Per-thread set-up (COM as a single-threaded apartment on Windows).
    virtual void InitializeApplication() = 0;
    virtual void SetApplicationTitle(const std::string& title) = 0;
    virtual std::uintptr_t ApplicationHandle() = 0;

    virtual void ShowMainForm(TForm& form) = 0;
    virtual void DestroyForm(TForm& form) = 0;

    // Handles messages until a quit request is met, which marks the application terminated.
    virtual void RunMessageLoop(TApplication& application) = 0;
    // Handles every waiting message and returns when the queue is empty.
    virtual void ProcessMessages(TApplication& application) = 0;
    virtual void PostQuit() = 0;

    virtual void Invalidate(TControl& control) = 0;
    virtual TSize MeasureText(const TFont& font, std::string_view line) = 0;
    virtual void AnimationChanged(TRxGIFAnimator& spinner) = 0;
    // The application's standard error report.
    virtual void ShowErrorBox(const std::string& title, const std::string& text) = 0;
};
