#include "toolkit/TApplication.h"

#include <stdexcept>

TApplication* Application = nullptr;

namespace {
Backend* currentBackend = nullptr;
}

Backend* Backend::Current() {
    return currentBackend;
}
void Backend::SetCurrent(Backend* backend) {
    currentBackend = backend;
}

TApplication::TApplication(Backend& backend) : backend_(backend) {
    Backend::SetCurrent(&backend_);
    Application = this;
}

TApplication::~TApplication() {
    if (mainForm_) {
        backend_.DestroyForm(*mainForm_);
        mainForm_.reset();
    }
    Application = nullptr;
    Backend::SetCurrent(nullptr);
}

void TApplication::Initialize() {
    backend_.InitializeApplication();
}

void TApplication::SetTitle(std::string title) {
    title_ = std::move(title);
    backend_.SetApplicationTitle(title_);
}

void TApplication::AdoptForm(std::unique_ptr<TForm> form) {
    if (mainForm_) {
        throw std::logic_error("the application has one form");
    }
    mainForm_ = std::move(form);
}

void TApplication::Run() {
    if (!mainForm_) {
        return;
    }
    backend_.ShowMainForm(*mainForm_);
    backend_.RunMessageLoop(*this);
    backend_.DestroyForm(*mainForm_);
    mainForm_.reset();
}

void TApplication::ProcessMessages() {
    backend_.ProcessMessages(*this);
}

void TApplication::Terminate() {
    backend_.PostQuit();
}

std::uintptr_t TApplication::Handle() const {
    return backend_.ApplicationHandle();
}

void TApplication::HandleEvent(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowException(error);
    }
}

void TApplication::ShowException(const std::exception& error) {
    backend_.ShowErrorBox(title_, ErrorReportText(error.what()));
}

std::string ErrorReportText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}
