#include "tests/unit/support/WizardFixture.h"

#include "toolkit/TMemo.h"

#include <algorithm>

namespace {

void Describe(const TWinControl& parent, std::string& out) {
    for (const TControl* control : parent.Controls()) {
        if (!control->Visible() || dynamic_cast<const TsuiSkinForm*>(control) != nullptr) {
            continue;
        }
        if (!out.empty()) {
            out += ' ';
        }
        out += control->Name();
        if (const auto* label = dynamic_cast<const TLabel*>(control)) {
            out += "\"" + label->Caption() + "\"";
        } else if (const auto* spinner = dynamic_cast<const TRxGIFAnimator*>(control)) {
            out += spinner->Animate() ? "~" : "";
        } else if (const auto* button = dynamic_cast<const TSeSkinButton*>(control)) {
            out += "\"" + ToUtf8(button->Caption()) + "\"@" + std::to_string(button->Top());
        } else if (const auto* panel = dynamic_cast<const TWinControl*>(control);
                   panel != nullptr && dynamic_cast<const TMemo*>(control) == nullptr) {
            std::string inner;
            Describe(*panel, inner);
            out += "{" + inner + "}";
        }
    }
}

} // namespace

std::string ToUtf8(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string DescribeScreen(const TForm& form) {
    std::string out;
    Describe(form, out);
    return out;
}

WizardFixture::WizardFixture() {
    os_->messagesWaiting = [this] { return backend_.MessagesWaiting(); };
    application_ = std::make_unique<TApplication>(backend_);
    application_->Initialize();
    application_->SetTitle("Kolvera MsSQL 2008 Kurulum");
    application_->CreateForm(Form1);
    form_ = Form1;
    lastScreen_ = DescribeScreen(*form_);
    backend_.onProcessMessages = [this] {
        os_->Record("ProcessMessages");
        std::string screen = DescribeScreen(*form_);
        if (screen != lastScreen_) {
            os_->Record("screen: " + screen);
            lastScreen_ = std::move(screen);
        }
    };
}

WizardFixture::~WizardFixture() {
    backend_.onProcessMessages = nullptr;
    application_.reset();
    Form1 = nullptr;
}

std::vector<std::string> WizardFixture::JournalOf(const std::vector<std::string>& prefixes) const {
    std::vector<std::string> lines;
    for (const std::string& line : Journal()) {
        if (std::ranges::any_of(prefixes,
                                [&](const std::string& p) { return line.starts_with(p); })) {
            lines.push_back(line);
        }
    }
    return lines;
}

void WizardFixture::ClearJournal() {
    os_->ClearCalls();
    lastScreen_ = DescribeScreen(*form_);
}
