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
            std::string caption;
            for (char16_t c : button->Caption()) {
                // Only the Turkish letters the captions use need more than one byte.
                switch (c) {
                case u'ş':
                    caption += "ş";
                    break;
                case u'ı':
                    caption += "ı";
                    break;
                case u'ğ':
                    caption += "ğ";
                    break;
                case u'Ç':
                    caption += "Ç";
                    break;
                default:
                    caption += static_cast<char>(c);
                }
            }
            out += "\"" + caption + "\"@" + std::to_string(button->Top());
        } else if (const auto* panel = dynamic_cast<const TWinControl*>(control);
                   panel != nullptr && dynamic_cast<const TMemo*>(control) == nullptr) {
            std::string inner;
            Describe(*panel, inner);
            out += "{" + inner + "}";
        }
    }
}

} // namespace

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
