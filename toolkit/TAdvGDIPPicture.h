#pragma once

#include "toolkit/TControl.h"

#include <string>

// A PNG with its alpha channel, drawn at the control's place; the control has the picture's size.
class TAdvGDIPPicture : public TControl {
public:
    TAdvGDIPPicture(TWinControl* parent, std::string name, std::string pictureResource)
        : TControl(parent, std::move(name)), picture_(std::move(pictureResource)) {}

    // The name of the embedded PNG.
    const std::string& Picture() const { return picture_; }

private:
    std::string picture_;
};
