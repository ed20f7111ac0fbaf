#pragma once
// Controls are plain state; a backend draws them and feeds them input. Setters return early
// when nothing changes and otherwise ask the backend to repaint.

#include "toolkit/Graphics.h"
#include "toolkit/TObject.h"

#include <string>
#include <vector>

class TWinControl;
class TForm;

class TControl : public TObject {
public:
    TControl(TWinControl* parent, std::string name);

    const std::string& Name() const { return name_; }
    TWinControl* Parent() const { return parent_; }
    TForm* OwnerForm() const;

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
    void SetTop(int top) { SetBounds(left_, top, width_, height_); }
    void SetBounds(int left, int top, int width, int height);
    // The control's rectangle in its form's client coordinates.
    TRect ScreenRect() const;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and so is every parent up to the form.
    bool Showing() const;

    // Windowed controls (panels, buttons, the memo) lie above the picture-type ones of the
    // same parent.
    virtual bool IsWindowed() const { return false; }

protected:
    void Changed();

private:
    std::string name_;
    TWinControl* parent_;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool visible_ = true;
};

class TWinControl : public TControl {
public:
    TWinControl(TWinControl* parent, std::string name);

    bool IsWindowed() const override { return true; }

    // Children in creation order, which is also their stacking order.
    const std::vector<TControl*>& Controls() const { return controls_; }
    // Position among the windowed siblings: the keyboard's tab order.
    int TabOrder() const;

    // The topmost showing control at a point of the form's client area, searching this
    // control's children; nullptr when none lies there.
    TControl* ControlAt(TPoint formPoint) const;

    TColor Color() const { return color_; }
    void SetColor(TColor color);

private:
    friend class TControl;
    std::vector<TControl*> controls_;
    TColor color_ = clBtnFace;
};
