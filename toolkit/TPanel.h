#pragma once

#include "toolkit/TControl.h"

// A plain rectangle in its colour, with no bevel, border or caption, holding other controls.
class TPanel : public TWinControl {
public:
    TPanel(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name)) {}
};
