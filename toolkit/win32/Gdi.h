#pragma once
// Owners of the GDI and USER handles the backend makes: each releases its handle on every path.

#include "toolkit/Graphics.h"

#include <windows.h>
// winuser.h maps DrawState to DrawStateW, which would rename TSeSkinButton::DrawState.
#undef DrawState

#include <utility>

namespace toolkit::win32 {

// One handle and the call that frees it.
template <class Handle, auto Free> class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    ~Owned() { Reset(); }
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle Get() const { return handle_; }
    // Hands the handle over to whoever frees it now (SetWindowRgn takes its region).
    Handle Release() { return std::exchange(handle_, nullptr); }
    void Reset() {
        if (handle_ != nullptr) {
            Free(handle_);
            handle_ = nullptr;
        }
    }

private:
    Handle handle_ = nullptr;
};

using OwnedBitmap = Owned<HBITMAP, ::DeleteObject>;
using OwnedFont = Owned<HFONT, ::DeleteObject>;
using OwnedRegion = Owned<HRGN, ::DeleteObject>;
using OwnedDc = Owned<HDC, ::DeleteDC>;
using OwnedIcon = Owned<HICON, ::DestroyIcon>;
using OwnedWindow = Owned<HWND, ::DestroyWindow>;

// An object selected into a device context for one scope; the previous one comes back after.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~Selection() { ::SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Drawing confined to a rectangle for one scope.
class ClipScope {
public:
    ClipScope(HDC dc, const RECT& area) : dc_(dc), saved_(::SaveDC(dc)) {
        ::IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    }
    ~ClipScope() { ::RestoreDC(dc_, saved_); }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

private:
    HDC dc_;
    int saved_;
};

// BeginPaint and EndPaint of one WM_PAINT.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    ~PaintScope() { ::EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC Dc() const { return dc_; }
    const RECT& Area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

inline RECT ToRect(const TRect& rect) {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

inline COLORREF ToColorRef(TColor color) {
    return RGB(color.r, color.g, color.b);
}

} // namespace toolkit::win32
