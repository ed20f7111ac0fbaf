#include "toolkit/win32/Win32Backend.h"

#include "toolkit/TApplication.h"
#include "toolkit/TForm.h"
#include "toolkit/TRxGIFAnimator.h"
#include "toolkit/TSeSkinButton.h"
#include "toolkit/TsuiSkinForm.h"
#include "toolkit/win32/FontCache.h"
#include "toolkit/win32/FormPainter.h"
#include "toolkit/win32/Gdi.h"
#include "toolkit/win32/Picture.h"
#include "toolkit/win32/WideText.h"
#include "toolkit/win32/WindowShape.h"

#include <algorithm>
#include <functional>
#include <map>
#include <objbase.h>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>
#include <windows.h>
#include <windowsx.h>

using namespace toolkit::win32;

namespace {

constexpr const wchar_t* WindowClassName = L"Win32BackendWindow";
// The icon a VCL program carries under this name is its program, taskbar and window icon.
constexpr const wchar_t* ProgramIcon = L"MAINICON";

// The application window is the taskbar entry and nothing else: shown and captioned so that the
// taskbar lists its title, but of zero size and parked where minimised windows go, off every
// screen, so that no desktop (Wine's X11 driver included) draws even one pixel of it.
constexpr DWORD ApplicationWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int OffScreen = -32000;
// The main window has no frame at all; its picture is its whole face.
constexpr DWORD MainWindowStyle = WS_POPUP;

// Every call into the toolkit's handlers goes through the application, so that an error that
// escapes one reaches the standard error report and the message loop goes on.
void Deliver(const std::function<void()>& handler) {
    if (Application != nullptr) {
        Application->HandleEvent(handler);
    }
}

HICON LoadProgramIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(::LoadImageW(instance, ProgramIcon, IMAGE_ICON,
                                           ::GetSystemMetrics(widthMetric),
                                           ::GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

// The class both windows share: one window procedure and the program's icon, big and small.
class WindowClass {
public:
    explicit WindowClass(WNDPROC procedure)
        : instance_(::GetModuleHandleW(nullptr)),
          bigIcon_(LoadProgramIcon(instance_, SM_CXICON, SM_CYICON)),
          smallIcon_(LoadProgramIcon(instance_, SM_CXSMICON, SM_CYSMICON)) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance_;
        windowClass.hIcon = bigIcon_.Get();
        windowClass.hIconSm = smallIcon_.Get();
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = WindowClassName;
        if (::RegisterClassExW(&windowClass) == 0) {
            throw std::runtime_error("cannot register the window class");
        }
    }
    ~WindowClass() { ::UnregisterClassW(WindowClassName, instance_); }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

    HINSTANCE Instance() const { return instance_; }

private:
    HINSTANCE instance_;
    OwnedIcon bigIcon_;
    OwnedIcon smallIcon_;
};

POINT ClientPoint(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

TPoint ToPoint(POINT point) {
    return {static_cast<int>(point.x), static_cast<int>(point.y)};
}

// The showing buttons under `parent`, in tab order.
void CollectShowingButtons(const TWinControl& parent, std::vector<TSeSkinButton*>& buttons) {
    for (TControl* control : parent.Controls()) {
        if (!control->Visible() || !control->IsWindowed()) {
            continue;
        }
        if (auto* button = dynamic_cast<TSeSkinButton*>(control)) {
            buttons.push_back(button);
        } else {
            CollectShowingButtons(static_cast<const TWinControl&>(*control), buttons);
        }
    }
}

const TsuiSkinForm* FindSkin(const TForm& form) {
    for (const TControl* control : form.Controls()) {
        if (const auto* skin = dynamic_cast<const TsuiSkinForm*>(control)) {
            return skin;
        }
    }
    return nullptr;
}

} // namespace

class Win32Backend::Display {
public:
    Display() : windowClass_(&WindowProcedure), measureDc_(::CreateCompatibleDC(nullptr)) {}
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    void InitializeApplication();
    void SetApplicationTitle(const std::string& title);
    HWND ApplicationWindow() const { return applicationWindow_.Get(); }
    void ShowMainForm(TForm& form);
    void DestroyForm(TForm& form);
    void Invalidate(TControl& control);
    TSize MeasureText(const TFont& font, std::string_view line);
    void AnimationChanged(TRxGIFAnimator& spinner);

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT ApplicationMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT FormMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void ApplyShape(HWND window, const TForm& form);
    void StartTimer(UINT_PTR id);
    void Paint();
    LRESULT HitTest(LPARAM screenPoint) const;
    TSeSkinButton* ButtonAt(POINT point) const;
    void MouseMove(POINT point);
    void SetHotButton(TSeSkinButton* button);
    void LeftButtonDown(POINT point);
    void LeftButtonUp(POINT point);
    void CaptureLost();
    void SpaceUp();
    void MoveFocus(int step);
    void FocusFirstButton();
    void Tick(UINT_PTR id);
    void CloseForm();

    WindowClass windowClass_;
    bool comInitialized_ = false;
    std::wstring title_;
    OwnedWindow applicationWindow_;

    TForm* form_ = nullptr;
    OwnedWindow formWindow_;
    PictureLibrary pictures_;
    FontCache fonts_;
    FormPainter painter_{pictures_, fonts_};
    OwnedDc measureDc_;
    std::optional<Surface> backBuffer_;

    // Animating spinners by their timer id.
    std::map<UINT_PTR, TRxGIFAnimator*> spinners_;
    TSeSkinButton* hotButton_ = nullptr;
    TSeSkinButton* pressedButton_ = nullptr; // holds the mouse capture
    bool trackingLeave_ = false;
};

Win32Backend::Display::~Display() {
    // The windows go first, while everything their messages reach still exists.
    form_ = nullptr;
    formWindow_.Reset();
    applicationWindow_.Reset();
    if (comInitialized_) {
        ::CoUninitialize();
    }
}

void Win32Backend::Display::InitializeApplication() {
    // Single-threaded apartment on the user-interface thread, for the SQL Server client layer.
    comInitialized_ = SUCCEEDED(::CoInitialize(nullptr));
    const HWND window =
        ::CreateWindowExW(0, WindowClassName, title_.c_str(), ApplicationWindowStyle, OffScreen,
                          OffScreen, 0, 0, nullptr, nullptr, windowClass_.Instance(), this);
    if (window == nullptr) {
        throw std::runtime_error("cannot make the application window");
    }
    applicationWindow_ = OwnedWindow(window);
}

void Win32Backend::Display::SetApplicationTitle(const std::string& title) {
    title_ = Widen(title);
    if (applicationWindow_.Get() != nullptr) {
        ::SetWindowTextW(applicationWindow_.Get(), title_.c_str());
    }
}

void Win32Backend::Display::ShowMainForm(TForm& form) {
    painter_.LoadPictures(form);
    const TSize size = form.ClientSize();
    backBuffer_.emplace(size.cx, size.cy);
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
    // Owned by the application window, the main window has no taskbar entry of its own.
    const HWND window = ::CreateWindowExW(
        0, WindowClassName, Widen(form.Caption()).c_str(), MainWindowStyle, left, top, size.cx,
        size.cy, applicationWindow_.Get(), nullptr, windowClass_.Instance(), this);
    if (window == nullptr) {
        throw std::runtime_error("cannot make the main window");
    }
    formWindow_ = OwnedWindow(window);
    form_ = &form;
    ApplyShape(window, form);
    for (const auto& spinner : spinners_) {
        StartTimer(spinner.first);
    }
    ::ShowWindow(applicationWindow_.Get(), SW_SHOWNOACTIVATE);
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);
}

void Win32Backend::Display::ApplyShape(HWND window, const TForm& form) {
    const TsuiSkinForm* skin = FindSkin(form);
    if (skin == nullptr) {
        return;
    }
    OwnedRegion shape = WindowShape(pictures_.Get(skin->Picture()), skin->TransparentColor());
    if (::SetWindowRgn(window, shape.Get(), TRUE) != 0) {
        shape.Release(); // the window owns its region now
    }
}

void Win32Backend::Display::DestroyForm(TForm& form) {
    if (&form != form_) {
        return;
    }
    form_ = nullptr;
    hotButton_ = nullptr;
    pressedButton_ = nullptr;
    spinners_.clear();
    formWindow_.Reset(); // its timers end with it
    backBuffer_.reset();
    pictures_.Clear();
    fonts_.Clear();
}

void Win32Backend::Display::Invalidate(TControl& control) {
    const HWND window = formWindow_.Get();
    if (window == nullptr || form_ == nullptr) {
        return;
    }
    if (&control == form_) {
        // The form itself changed: its caption is the window text; repaint all of it.
        ::SetWindowTextW(window, Widen(form_->Caption()).c_str());
        ::InvalidateRect(window, nullptr, FALSE);
        return;
    }
    const RECT area = ToRect(control.ScreenRect());
    ::InvalidateRect(window, &area, FALSE);
}

TSize Win32Backend::Display::MeasureText(const TFont& font, std::string_view line) {
    const Selection selected(measureDc_.Get(), fonts_.Get(font));
    const std::wstring text = Widen(line);
    SIZE size{};
    ::GetTextExtentPoint32W(measureDc_.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return {static_cast<int>(size.cx), static_cast<int>(size.cy)};
}

void Win32Backend::Display::AnimationChanged(TRxGIFAnimator& spinner) {
    const auto id = reinterpret_cast<UINT_PTR>(&spinner);
    if (spinner.Animate()) {
        spinners_[id] = &spinner;
        StartTimer(id);
        return;
    }
    spinners_.erase(id);
    if (formWindow_.Get() != nullptr) {
        ::KillTimer(formWindow_.Get(), id);
    }
}

void Win32Backend::Display::StartTimer(UINT_PTR id) {
    if (formWindow_.Get() != nullptr) {
        ::SetTimer(formWindow_.Get(), id, TRxGIFAnimator::FrameIntervalMs, nullptr);
    }
}

LRESULT CALLBACK Win32Backend::Display::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                        LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* display = reinterpret_cast<Display*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        // The last message the window gets: nothing may reach the display through it after.
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        display = nullptr;
    }
    if (display == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return display->HandleMessage(window, message, wParam, lParam);
}

LRESULT Win32Backend::Display::HandleMessage(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    // While a window is being made or destroyed it is neither of these, and gets the defaults.
    if (form_ != nullptr && window == formWindow_.Get()) {
        return FormMessage(window, message, wParam, lParam);
    }
    if (window == applicationWindow_.Get()) {
        return ApplicationMessage(window, message, wParam, lParam);
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32Backend::Display::ApplicationMessage(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    switch (message) {
    case WM_CLOSE: // the taskbar entry's close command
        CloseForm();
        return 0;
    case WM_SETFOCUS: // the taskbar entry was activated: the main window takes the keyboard
        if (form_ != nullptr) {
            ::SetFocus(formWindow_.Get());
        }
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT Win32Backend::Display::FormMessage(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND: // the back buffer covers every pixel
        return 1;
    case WM_NCHITTEST:
        return HitTest(lParam);
    case WM_MOUSEMOVE:
        MouseMove(ClientPoint(lParam));
        return 0;
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        SetHotButton(nullptr);
        return 0;
    case WM_LBUTTONDOWN:
        LeftButtonDown(ClientPoint(lParam));
        return 0;
    case WM_LBUTTONUP:
        LeftButtonUp(ClientPoint(lParam));
        return 0;
    case WM_CAPTURECHANGED:
        CaptureLost();
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_TAB) {
            MoveFocus(::GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
            return 0;
        }
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE) {
            SpaceUp();
            return 0;
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && form_->ActiveControl() == nullptr) {
            FocusFirstButton();
        }
        break;
    case WM_TIMER:
        Tick(wParam);
        return 0;
    case WM_CLOSE: // never DestroyWindow here: the form decides, and goes when the loop ends
        CloseForm();
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void Win32Backend::Display::Paint() {
    const PaintScope paint(formWindow_.Get());
    const RECT& area = paint.Area();
    Deliver([&] {
        const HDC buffer = backBuffer_->Dc();
        {
            const ClipScope clip(buffer, area);
            painter_.Paint(buffer, *form_);
        }
        ::BitBlt(paint.Dc(), area.left, area.top, area.right - area.left, area.bottom - area.top,
                 buffer, area.left, area.top, SRCCOPY);
    });
}

// A press on bare picture moves the window as a press on a title bar would.
LRESULT Win32Backend::Display::HitTest(LPARAM screenPoint) const {
    POINT point = ClientPoint(screenPoint);
    ::ScreenToClient(formWindow_.Get(), &point);
    const TControl* control = form_->ControlAt(ToPoint(point));
    const bool barePicture =
        control == nullptr || dynamic_cast<const TsuiSkinForm*>(control) != nullptr;
    return barePicture ? HTCAPTION : HTCLIENT;
}

TSeSkinButton* Win32Backend::Display::ButtonAt(POINT point) const {
    return dynamic_cast<TSeSkinButton*>(form_->ControlAt(ToPoint(point)));
}

void Win32Backend::Display::MouseMove(POINT point) {
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, formWindow_.Get(), 0};
        trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
    }
    SetHotButton(ButtonAt(point));
}

void Win32Backend::Display::SetHotButton(TSeSkinButton* button) {
    if (button == hotButton_) {
        return;
    }
    if (TSeSkinButton* previous = std::exchange(hotButton_, button)) {
        Deliver([previous] { previous->MouseLeave(); });
    }
    if (button != nullptr) {
        Deliver([button] { button->MouseEnter(); });
    }
}

void Win32Backend::Display::LeftButtonDown(POINT point) {
    TSeSkinButton* button = ButtonAt(point);
    if (button == nullptr) {
        return;
    }
    // The button sees the release even when it happens outside it.
    ::SetCapture(formWindow_.Get());
    pressedButton_ = button;
    Deliver([button] { button->LeftButtonDown(); });
}

void Win32Backend::Display::LeftButtonUp(POINT point) {
    TSeSkinButton* button = std::exchange(pressedButton_, nullptr);
    if (button == nullptr) {
        return;
    }
    ::ReleaseCapture();
    const bool inside = ButtonAt(point) == button;
    // A click runs a whole stage from here, pumping messages as it goes.
    Deliver([button, inside] { button->LeftButtonUp(inside); });
}

void Win32Backend::Display::CaptureLost() {
    if (TSeSkinButton* button = std::exchange(pressedButton_, nullptr)) {
        Deliver([button] { button->LeftButtonUp(false); });
    }
}

void Win32Backend::Display::SpaceUp() {
    if (auto* button = dynamic_cast<TSeSkinButton*>(form_->ActiveControl())) {
        Deliver([button] { button->SpaceUp(); });
    }
}

void Win32Backend::Display::MoveFocus(int step) {
    std::vector<TSeSkinButton*> buttons;
    CollectShowingButtons(*form_, buttons);
    if (buttons.empty()) {
        return;
    }
    const int count = static_cast<int>(buttons.size());
    const auto focused = std::ranges::find(buttons, form_->ActiveControl());
    // With no button focused, Tab starts at the first and Shift+Tab at the last.
    const int from = focused != buttons.end() ? static_cast<int>(focused - buttons.begin())
                                              : (step > 0 ? count - 1 : 0);
    TSeSkinButton* next = buttons[static_cast<std::size_t>((from + step + count) % count)];
    Deliver([this, next] { form_->SetActiveControl(next); });
}

// As a form does when it is activated with nothing focused: the first control in tab order that
// can take the focus gets it.
void Win32Backend::Display::FocusFirstButton() {
    std::vector<TSeSkinButton*> buttons;
    CollectShowingButtons(*form_, buttons);
    if (!buttons.empty()) {
        Deliver([this, first = buttons.front()] { form_->SetActiveControl(first); });
    }
}

void Win32Backend::Display::Tick(UINT_PTR id) {
    if (const auto spinner = spinners_.find(id); spinner != spinners_.end()) {
        Deliver([animator = spinner->second] { animator->AdvanceFrame(); });
    }
}

void Win32Backend::Display::CloseForm() {
    if (TForm* form = form_) {
        Deliver([form] { form->Close(); });
    }
}

Win32Backend::Win32Backend() : display_(std::make_unique<Display>()) {}

Win32Backend::~Win32Backend() = default;

void Win32Backend::InitializeApplication() {
    display_->InitializeApplication();
}

void Win32Backend::SetApplicationTitle(const std::string& title) {
    display_->SetApplicationTitle(title);
}

std::uintptr_t Win32Backend::ApplicationHandle() {
    return reinterpret_cast<std::uintptr_t>(display_->ApplicationWindow());
}

void Win32Backend::ShowMainForm(TForm& form) {
    display_->ShowMainForm(form);
}

void Win32Backend::DestroyForm(TForm& form) {
    display_->DestroyForm(form);
}

void Win32Backend::RunMessageLoop(TApplication& application) {
    MSG message{};
    // A pump inside a handler may already have met the quit request.
    while (!application.Terminated() && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    application.MarkTerminated();
}

void Win32Backend::ProcessMessages(TApplication& application) {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            application.MarkTerminated();
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

void Win32Backend::PostQuit() {
    ::PostQuitMessage(0);
}

void Win32Backend::Invalidate(TControl& control) {
    display_->Invalidate(control);
}

TSize Win32Backend::MeasureText(const TFont& font, std::string_view line) {
    return display_->MeasureText(font, line);
}

void Win32Backend::AnimationChanged(TRxGIFAnimator& spinner) {
    display_->AnimationChanged(spinner);
}

void Win32Backend::ShowErrorBox(const std::string& title, const std::string& text) {
    ::MessageBoxW(display_->ApplicationWindow(), Widen(text).c_str(), Widen(title).c_str(),
                  MB_OK | MB_ICONERROR);
}
