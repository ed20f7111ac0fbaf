#include "toolkit/TSeSkinButton.h"

#include "toolkit/TForm.h"

TSeSkinButton::TSeSkinButton(TWinControl* parent, std::string name, TSeSkinEngine& engine)
    : TWinControl(parent, std::move(name)), engine_(engine) {}

void TSeSkinButton::SetCaption(std::u16string caption) {
    if (caption == caption_) {
        return;
    }
    caption_ = std::move(caption);
    Changed();
}

void TSeSkinButton::SetFont(TFont font) {
    if (font == font_) {
        return;
    }
    font_ = std::move(font);
    Changed();
}

void TSeSkinButton::MouseEnter() {
    hot_ = true;
    Changed();
}

void TSeSkinButton::MouseLeave() {
    hot_ = false;
    Changed();
}

void TSeSkinButton::LeftButtonDown() {
    if (!Showing() || !enabled_) {
        return;
    }
    if (TForm* form = OwnerForm()) {
        form->SetActiveControl(this);
    }
    pressed_ = true;
    Changed();
}

void TSeSkinButton::LeftButtonUp(bool inside) {
    const bool wasPressed = pressed_;
    pressed_ = false;
    Changed();
    if (wasPressed && inside) {
        Click();
    }
}

void TSeSkinButton::SpaceUp() {
    if (Focused()) {
        Click();
    }
}

bool TSeSkinButton::Focused() const {
    const TForm* form = OwnerForm();
    return form != nullptr && form->ActiveControl() == this;
}

TSkinButtonState TSeSkinButton::DrawState() const {
    if (!enabled_) {
        return TSkinButtonState::Disabled;
    }
    if (pressed_) {
        return TSkinButtonState::Pressed;
    }
    if (hot_) {
        return TSkinButtonState::Hot;
    }
    return Focused() ? TSkinButtonState::Focused : TSkinButtonState::Normal;
}

void TSeSkinButton::Click() {
    if (!Showing() || !enabled_ || !OnClick) {
        return;
    }
    OnClick(this);
}
