#pragma once

#include "toolkit/TControl.h"

#include <string>
#include <string_view>
#include <vector>

// A text label that sizes itself to its text: a right-aligned label keeps its right edge, any
// other its left edge; a line break starts another line and the label grows downward.
class TLabel : public TControl {
public:
    TLabel(TWinControl* parent, std::string name);

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    const TFont& Font() const { return font_; }
    void SetFont(TFont font);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    // The background it paints: its parent's colour (none when transparent).
    TColor Color() const;

    // The caption split at its line breaks (CR LF, or a lone CR or LF).
    std::vector<std::string_view> Lines() const;

private:
    void AdjustBounds();

    std::string caption_;
    TFont font_;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    bool transparent_ = false;
};
