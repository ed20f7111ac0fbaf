#pragma once

#include "toolkit/TControl.h"

#include <string>
#include <vector>

// A multi-line text box with both scroll bars; the wizard keeps text in one and never shows it.
class TMemo : public TWinControl {
public:
    TMemo(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name)) {}

    std::vector<std::string> Lines;
    TFont Font;
};
