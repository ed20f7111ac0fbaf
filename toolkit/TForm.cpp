#include "toolkit/TForm.h"

#include "toolkit/Backend.h"
#include "toolkit/TApplication.h"

TForm::TForm(std::string name) : TWinControl(nullptr, std::move(name)) {}

TForm::~TForm() {
    // Later components may refer to earlier ones (a button to its skin engine).
    while (!components_.empty()) {
        components_.pop_back();
    }
}

void TForm::SetCaption(std::string caption) {
    if (caption == caption_) {
        return;
    }
    caption_ = std::move(caption);
    Changed();
}

void TForm::SetActiveControl(TWinControl* control) {
    if (control == activeControl_) {
        return;
    }
    TWinControl* previous = activeControl_;
    activeControl_ = control;
    if (Backend* backend = Backend::Current()) {
        if (previous != nullptr) {
            backend->Invalidate(*previous);
        }
        if (control != nullptr) {
            backend->Invalidate(*control);
        }
    }
}

void TForm::DoCreate() {
    if (OnCreate) {
        OnCreate(this);
    }
}

void TForm::Close() {
    TCloseAction action = TCloseAction::caHide;
    if (OnClose) {
        OnClose(this, action);
    }
    if (action == TCloseAction::caNone) {
        return;
    }
    if (Application != nullptr && Application->MainForm() == this) {
        Application->Terminate();
    }
}
