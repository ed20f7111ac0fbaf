#pragma once

#include "toolkit/TControl.h"
#include "toolkit/TObject.h"

#include <functional>
#include <string>

// The button skin engine: a named skin whose "Button" object is a strip of five 20 x 23 cells.
class TSeSkinEngine : public TObject {
public:
    static constexpr int CellWidth = 20;
    static constexpr int CellHeight = 23;
    static constexpr int FixedBorder = 5; // cells stretch with borders of this width kept

    explicit TSeSkinEngine(std::string skinName) : skinName_(std::move(skinName)) {}
    const std::string& SkinName() const { return skinName_; }
    // The embedded picture of the button cells.
    const std::string& ButtonPicture() const { return buttonPicture_; }

private:
    std::string skinName_;
    std::string buttonPicture_ = "XPBLUE_BUTTON_PNG";
};

// The order of the cells in the skin's button picture.
enum class TSkinButtonState { Normal, Hot, Pressed, Disabled, Focused };

// A push button drawn from the skin. It takes the focus on a left press, clicks on a left release
// inside it, and on a space-bar release while it has the focus. A button that is not showing
// never clicks, so a press queued before it was hidden is dropped.
class TSeSkinButton : public TWinControl {
public:
    TSeSkinButton(TWinControl* parent, std::string name, TSeSkinEngine& engine);

    const std::u16string& Caption() const { return caption_; }
    void SetCaption(std::u16string caption);
    const TFont& Font() const { return font_; }
    void SetFont(TFont font);
    TSeSkinEngine& SkinEngine() const { return engine_; }
    const std::string& SkinObject() const { return skinObject_; }
    bool Enabled() const { return enabled_; }

    std::function<void(TObject* sender)> OnClick;

    // Input, as the backend delivers it.
    void MouseEnter();
    void MouseLeave();
    void LeftButtonDown();
    void LeftButtonUp(bool inside);
    void SpaceUp();

    bool Focused() const;
    TSkinButtonState DrawState() const;
    void Click();

private:
    TSeSkinEngine& engine_;
    std::string skinObject_ = "Button";
    std::u16string caption_;
    TFont font_;
    bool enabled_ = true;
    bool hot_ = false;
    bool pressed_ = false;
};
