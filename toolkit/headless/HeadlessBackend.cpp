#include "toolkit/headless/HeadlessBackend.h"

#include "toolkit/TApplication.h"
#include "toolkit/TSeSkinButton.h"

#include <stdexcept>

void HeadlessBackend::Post(std::function<void()> event) {
    queue_.push_back({false, std::move(event)});
}

void HeadlessBackend::PostPress(TSeSkinButton& button) {
    Post([&button] { button.LeftButtonDown(); });
    Post([&button] { button.LeftButtonUp(true); });
}

void HeadlessBackend::PostCloseRequest() {
    Post([] {
        if (Application != nullptr && Application->MainForm() != nullptr) {
            Application->MainForm()->Close();
        }
    });
}

void HeadlessBackend::PostQuit() {
    queue_.push_back({true, {}});
}

void HeadlessBackend::DestroyForm(TForm& form) {
    if (shownForm_ == &form) {
        shownForm_ = nullptr;
    }
    ++formsDestroyed_;
}

bool HeadlessBackend::DeliverNext(TApplication& application) {
    if (queue_.empty()) {
        return false;
    }
    Message message = std::move(queue_.front());
    queue_.pop_front();
    if (message.quit) {
        application.MarkTerminated();
    } else {
        application.HandleEvent(message.event);
    }
    return true;
}

void HeadlessBackend::ProcessMessages(TApplication& application) {
    ++pumps_;
    if (onProcessMessages) {
        onProcessMessages();
    }
    while (DeliverNext(application)) {
    }
}

void HeadlessBackend::RunMessageLoop(TApplication& application) {
    while (!application.Terminated()) {
        if (!DeliverNext(application)) {
            throw std::logic_error("the message loop would wait forever: nothing is queued");
        }
    }
}

TSize HeadlessBackend::MeasureLine(const TFont& font, std::string_view line) {
    int characters = 0;
    for (unsigned char c : line) {
        characters += (c & 0xC0) != 0x80 ? 1 : 0; // count UTF-8 sequences, not bytes
    }
    const int advance = font.Height / 2 + (font.Bold ? 1 : 0);
    return {characters * advance, font.Height + 3};
}
