#include "toolkit/TControl.h"

#include "toolkit/Backend.h"
#include "toolkit/TForm.h"

#include <algorithm>
#include <ranges>

TControl::TControl(TWinControl* parent, std::string name)
    : name_(std::move(name)), parent_(parent) {
    if (parent_ != nullptr) {
        parent_->controls_.push_back(this);
    }
}

TForm* TControl::OwnerForm() const {
    const TControl* control = this;
    while (control->parent_ != nullptr) {
        control = control->parent_;
    }
    return dynamic_cast<TForm*>(const_cast<TControl*>(control));
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) {
        return;
    }
    Changed(); // the old place needs repainting too
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Changed();
}

TRect TControl::ScreenRect() const {
    int x = left_;
    int y = top_;
    for (const TWinControl* p = parent_; p != nullptr && p->Parent() != nullptr; p = p->Parent()) {
        x += p->Left();
        y += p->Top();
    }
    return {x, y, x + width_, y + height_};
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) {
        return;
    }
    visible_ = visible;
    Changed();
}

bool TControl::Showing() const {
    for (const TControl* c = this; c != nullptr; c = c->parent_) {
        if (!c->visible_) {
            return false;
        }
    }
    return true;
}

void TControl::Changed() {
    if (Backend* backend = Backend::Current()) {
        backend->Invalidate(*this);
    }
}

TWinControl::TWinControl(TWinControl* parent, std::string name)
    : TControl(parent, std::move(name)) {}

int TWinControl::TabOrder() const {
    if (Parent() == nullptr) {
        return 0;
    }
    int order = 0;
    for (const TControl* sibling : Parent()->Controls()) {
        if (sibling == this) {
            return order;
        }
        order += sibling->IsWindowed() ? 1 : 0;
    }
    return order;
}

TControl* TWinControl::ControlAt(TPoint formPoint) const {
    auto hit = [&](const TControl* c) {
        return c->Visible() && c->ScreenRect().Contains(formPoint);
    };
    auto reversed = controls_ | std::views::reverse;
    for (TControl* c : reversed) {
        if (c->IsWindowed() && hit(c)) {
            TControl* inner = static_cast<TWinControl*>(c)->ControlAt(formPoint);
            return inner != nullptr ? inner : c;
        }
    }
    auto graphic =
        std::ranges::find_if(reversed, [&](TControl* c) { return !c->IsWindowed() && hit(c); });
    return graphic != reversed.end() ? *graphic : nullptr;
}

void TWinControl::SetColor(TColor color) {
    if (color == color_) {
        return;
    }
    color_ = color;
    Changed();
}
