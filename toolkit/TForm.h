#pragma once

#include "toolkit/TControl.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TFormBorderStyle { bsNone, bsSingle };

// A top-level window. It owns every component made with Make and destroys them with itself.
class TForm : public TWinControl {
public:
    TForm(std::string name);
    ~TForm() override;

    template <class T, class... Args> T* Make(Args&&... args) {
        auto component = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = component.get();
        components_.push_back(std::move(component));
        return raw;
    }

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    TSize ClientSize() const { return {Width(), Height()}; }
    void SetClientSize(TSize size) { SetBounds(Left(), Top(), size.cx, size.cy); }
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style) { borderStyle_ = style; }
    TFont Font;

    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);

    std::function<void(TObject* sender)> OnCreate;
    std::function<void(TObject* sender, TCloseAction& action)> OnClose;

    // Runs OnCreate; called once every component exists.
    void DoCreate();
    // The close path of every close: OnClose decides; closing the main form ends the
    // application once the message loop gets back to its top.
    void Close();

private:
    std::vector<std::unique_ptr<TObject>> components_;
    std::string caption_;
    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSingle;
    TWinControl* activeControl_ = nullptr;
};
