#pragma once

#include "toolkit/Backend.h"
#include "toolkit/TForm.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

// The application object: one per program, reached through `Application`.
class TApplication {
public:
    explicit TApplication(Backend& backend);
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    void Initialize();
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title);

    // Makes the main form, lets `reference` point to it, then runs its OnCreate.
    template <class T> void CreateForm(T*& reference) {
        auto form = std::make_unique<T>();
        reference = form.get();
        AdoptForm(std::move(form));
        reference->DoCreate();
    }
    TForm* MainForm() const { return mainForm_.get(); }

    // Shows the main form and handles messages until the application terminates; then the
    // form and its components are destroyed.
    void Run();
    void ProcessMessages();
    // Asks the message loop to end when it next reaches its top.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // The quit request has been met; called by the backend.
    void MarkTerminated() { terminated_ = true; }
    std::uintptr_t Handle() const;

    // Runs one event handler; an error that escapes it goes to the standard error report.
    void HandleEvent(const std::function<void()>& handler);
    void ShowException(const std::exception& error);

private:
    void AdoptForm(std::unique_ptr<TForm> form);

    Backend& backend_;
    std::string title_;
    std::unique_ptr<TForm> mainForm_;
    bool terminated_ = false;
};

extern TApplication* Application;

// The text of the standard error report: a full stop is appended when the last character sorts
// after the full stop.
std::string ErrorReportText(const std::string& message);
