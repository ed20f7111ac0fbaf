#pragma once
// The toolkit on a real Windows desktop: a hidden application window that owns one borderless,
// picture-shaped main window, painted from a back buffer and fed with mouse, keyboard and timer
// messages on the user-interface thread. No Windows header leaks out of this folder.

#include "toolkit/Backend.h"

#include <memory>

class Win32Backend : public Backend {
public:
    Win32Backend();
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    void InitializeApplication() override;
    void SetApplicationTitle(const std::string& title) override;
    std::uintptr_t ApplicationHandle() override;
    void ShowMainForm(TForm& form) override;
    void DestroyForm(TForm& form) override;
    void RunMessageLoop(TApplication& application) override;
    void ProcessMessages(TApplication& application) override;
    void PostQuit() override;
    void Invalidate(TControl& control) override;
    TSize MeasureText(const TFont& font, std::string_view line) override;
    void AnimationChanged(TRxGIFAnimator& spinner) override;
    void ShowErrorBox(const std::string& title, const std::string& text) override;

private:
    class Display;
    std::unique_ptr<Display> display_;
};
