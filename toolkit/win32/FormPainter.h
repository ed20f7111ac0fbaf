#pragma once
// Draws a form and its controls in their stacking order: a parent first, then its picture-type
// controls in list order, then its windowed controls in creation order, each clipped to its
// parent. A control is drawn only when it and every parent are visible.

#include "toolkit/TForm.h"
#include "toolkit/win32/FontCache.h"
#include "toolkit/win32/Picture.h"

#include <string>

class TLabel;
class TSeSkinButton;

namespace toolkit::win32 {

class FormPainter {
public:
    FormPainter(PictureLibrary& pictures, FontCache& fonts) : pictures_(pictures), fonts_(fonts) {}

    // Decodes every picture the controls under `parent` show, visible or not.
    void LoadPictures(const TWinControl& parent);
    void Paint(HDC dc, const TForm& form);

private:
    void PaintWindowed(HDC dc, const TWinControl& control);
    void PaintChildren(HDC dc, const TWinControl& parent);
    void PaintGraphic(HDC dc, const TControl& control);
    void PaintLabel(HDC dc, const TLabel& label);
    void PaintButton(HDC dc, const TSeSkinButton& button);
    void PaintPicture(HDC dc, const TControl& control, const std::string& picture, int frame);

    PictureLibrary& pictures_;
    FontCache& fonts_;
};

} // namespace toolkit::win32
