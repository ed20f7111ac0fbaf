#include "toolkit/win32/FormPainter.h"

#include "toolkit/TAdvGDIPPicture.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPanel.h"
#include "toolkit/TRxGIFAnimator.h"
#include "toolkit/TSeSkinButton.h"
#include "toolkit/TsuiSkinForm.h"
#include "toolkit/win32/WideText.h"

namespace toolkit::win32 {

namespace {

// The embedded picture a control shows, or nullptr for controls drawn without one.
const std::string* PictureOf(const TControl& control) {
    if (const auto* skin = dynamic_cast<const TsuiSkinForm*>(&control)) {
        return &skin->Picture();
    }
    if (const auto* picture = dynamic_cast<const TAdvGDIPPicture*>(&control)) {
        return &picture->Picture();
    }
    if (const auto* spinner = dynamic_cast<const TRxGIFAnimator*>(&control)) {
        return &spinner->Animation();
    }
    if (const auto* button = dynamic_cast<const TSeSkinButton*>(&control)) {
        return &button->SkinEngine().ButtonPicture();
    }
    return nullptr;
}

void Fill(HDC dc, const TRect& rect, TColor color) {
    const RECT area = ToRect(rect);
    ::SetDCBrushColor(dc, ToColorRef(color));
    ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}

int LineLeft(const TRect& box, TAlignment alignment, int lineWidth) {
    switch (alignment) {
    case TAlignment::taRightJustify:
        return box.right - lineWidth;
    case TAlignment::taCenter:
        return box.left + (box.right - box.left - lineWidth) / 2;
    case TAlignment::taLeftJustify:
        break;
    }
    return box.left;
}

} // namespace

void FormPainter::LoadPictures(const TWinControl& parent) {
    for (const TControl* control : parent.Controls()) {
        if (const std::string* picture = PictureOf(*control)) {
            pictures_.Get(*picture);
        }
        if (const auto* windowed = dynamic_cast<const TWinControl*>(control)) {
            LoadPictures(*windowed);
        }
    }
}

void FormPainter::Paint(HDC dc, const TForm& form) {
    Fill(dc, {0, 0, form.Width(), form.Height()}, form.Color());
    PaintChildren(dc, form);
}

void FormPainter::PaintChildren(HDC dc, const TWinControl& parent) {
    for (const TControl* control : parent.Controls()) {
        if (control->Visible() && !control->IsWindowed()) {
            PaintGraphic(dc, *control);
        }
    }
    for (const TControl* control : parent.Controls()) {
        if (control->Visible() && control->IsWindowed()) {
            PaintWindowed(dc, static_cast<const TWinControl&>(*control));
        }
    }
}

void FormPainter::PaintWindowed(HDC dc, const TWinControl& control) {
    const ClipScope clip(dc, ToRect(control.ScreenRect()));
    if (const auto* button = dynamic_cast<const TSeSkinButton*>(&control)) {
        PaintButton(dc, *button);
    } else if (dynamic_cast<const TPanel*>(&control) != nullptr) {
        Fill(dc, control.ScreenRect(), control.Color());
    }
    // The memo holds text the wizard never shows, so it has no look of its own.
    PaintChildren(dc, control);
}

void FormPainter::PaintGraphic(HDC dc, const TControl& control) {
    if (const auto* label = dynamic_cast<const TLabel*>(&control)) {
        PaintLabel(dc, *label);
    } else if (const auto* spinner = dynamic_cast<const TRxGIFAnimator*>(&control)) {
        PaintPicture(dc, control, spinner->Animation(), spinner->FrameIndex());
    } else if (const std::string* picture = PictureOf(control)) {
        PaintPicture(dc, control, *picture, 0);
    }
}

void FormPainter::PaintLabel(HDC dc, const TLabel& label) {
    const TRect box = label.ScreenRect();
    if (!label.Transparent()) {
        Fill(dc, box, label.Color());
    }
    const Selection font(dc, fonts_.Get(label.Font()));
    ::SetTextColor(dc, ToColorRef(label.Font().Color));
    ::SetBkMode(dc, TRANSPARENT);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    const RECT clip = ToRect(box);
    int top = box.top;
    for (std::string_view line : label.Lines()) {
        const std::wstring text = Widen(line);
        const int length = static_cast<int>(text.size());
        SIZE size{};
        ::GetTextExtentPoint32W(dc, text.c_str(), length, &size);
        ::ExtTextOutW(dc, LineLeft(box, label.Alignment(), size.cx), top, ETO_CLIPPED, &clip,
                      text.c_str(), static_cast<UINT>(length), nullptr);
        top += metrics.tmHeight;
    }
}

void FormPainter::PaintButton(HDC dc, const TSeSkinButton& button) {
    const RECT box = ToRect(button.ScreenRect());
    const int cell = static_cast<int>(button.DrawState()) * TSeSkinEngine::CellWidth;
    pictures_.Get(button.SkinEngine().ButtonPicture())
        .DrawNineSlice(dc, box,
                       RECT{cell, 0, cell + TSeSkinEngine::CellWidth, TSeSkinEngine::CellHeight},
                       TSeSkinEngine::FixedBorder);
    const Selection font(dc, fonts_.Get(button.Font()));
    ::SetTextColor(dc, ToColorRef(button.Font().Color));
    ::SetBkMode(dc, TRANSPARENT);
    RECT textBox = box;
    ::DrawTextW(dc, AsWide(button.Caption()), static_cast<int>(button.Caption().size()), &textBox,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void FormPainter::PaintPicture(HDC dc, const TControl& control, const std::string& picture,
                               int frame) {
    const TRect box = control.ScreenRect();
    pictures_.Get(picture).Draw(dc, box.left, box.top, frame);
}

} // namespace toolkit::win32
