#include "toolkit/TLabel.h"

#include "toolkit/Backend.h"

#include <algorithm>

TLabel::TLabel(TWinControl* parent, std::string name) : TControl(parent, std::move(name)) {}

void TLabel::SetCaption(std::string caption) {
    if (caption == caption_) {
        return;
    }
    caption_ = std::move(caption);
    Changed();
    AdjustBounds();
}

void TLabel::SetFont(TFont font) {
    if (font == font_) {
        return;
    }
    font_ = std::move(font);
    Changed();
    AdjustBounds();
}

void TLabel::SetAlignment(TAlignment alignment) {
    if (alignment == alignment_) {
        return;
    }
    alignment_ = alignment;
    Changed();
}

void TLabel::SetTransparent(bool transparent) {
    if (transparent == transparent_) {
        return;
    }
    transparent_ = transparent;
    Changed();
}

TColor TLabel::Color() const {
    return Parent() != nullptr ? Parent()->Color() : clBtnFace;
}

std::vector<std::string_view> TLabel::Lines() const {
    std::vector<std::string_view> lines;
    std::string_view rest = caption_;
    for (;;) {
        const auto end = rest.find_first_of("\r\n");
        lines.push_back(rest.substr(0, end));
        if (end == std::string_view::npos) {
            return lines;
        }
        const bool crlf = rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n';
        rest.remove_prefix(end + (crlf ? 2 : 1));
    }
}

void TLabel::AdjustBounds() {
    Backend* backend = Backend::Current();
    if (backend == nullptr) {
        return;
    }
    int width = 0;
    int height = 0;
    for (std::string_view line : Lines()) {
        const TSize size = backend->MeasureText(font_, line.empty() ? std::string_view(" ") : line);
        width = std::max(width, line.empty() ? 0 : size.cx);
        height += size.cy;
    }
    const int left = alignment_ == TAlignment::taRightJustify ? Left() + Width() - width : Left();
    SetBounds(left, Top(), width, height);
}
