#pragma once
// The wizard's window on a fake machine with a headless display. One journal holds, in order,
// every call through the OS seam, every pump ("ProcessMessages") and, after a pump, what the
// window shows when that differs from what the previous pump showed ("screen: ...").

#include "app/Unit1.h"
#include "os/fake/FakeApi.h"
#include "toolkit/TApplication.h"
#include "toolkit/headless/HeadlessBackend.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// What a person sees: every showing control in creation order, with its text, a spinner as
// turning (~) or still, a button with its caption and top; the picture itself is left out.
std::string DescribeScreen(const TForm& form);

// A button caption as UTF-8, for messages and comparisons with the journal.
std::string ToUtf8(const std::u16string& text);

class WizardFixture : public ::testing::Test {
protected:
    WizardFixture();
    ~WizardFixture() override;

    os::fake::FakeApi& Os() { return *os_; }
    HeadlessBackend& Backend() { return backend_; }
    TForm1& Form() { return *form_; }

    const std::vector<std::string>& Journal() const { return os_->Calls(); }
    // The journal lines that start with one of the prefixes.
    std::vector<std::string> JournalOf(const std::vector<std::string>& prefixes) const;
    void ClearJournal();

private:
    os::fake::ScopedFakeApi os_;
    HeadlessBackend backend_;
    std::unique_ptr<TApplication> application_;
    TForm1* form_ = nullptr;
    std::string lastScreen_;
};
