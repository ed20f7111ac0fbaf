#pragma once

#include "toolkit/TControl.h"

#include <string>

// The window skin: switches the form's border off, draws the window picture under every other
// control, sizes the client area to the picture and shapes the window to the picture's pixels
// that are not the transparent colour. A press on bare picture moves the window.
class TsuiSkinForm : public TControl {
public:
    TsuiSkinForm(TForm& form, std::string name, std::string pictureResource, TSize pictureSize);

    const std::string& Picture() const { return picture_; }
    TColor TransparentColor() const { return clFuchsia; }

private:
    std::string picture_;
};
