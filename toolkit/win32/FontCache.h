#pragma once

#include "toolkit/Graphics.h"
#include "toolkit/win32/Gdi.h"

#include <map>
#include <string>
#include <tuple>

namespace toolkit::win32 {

// One GDI font per name, character height and weight, made on first use; the colour is not
// part of a GDI font.
class FontCache {
public:
    HFONT Get(const TFont& font);
    void Clear() { fonts_.clear(); }

private:
    using Key = std::tuple<std::string, int, bool>;
    std::map<Key, OwnedFont> fonts_;
};

} // namespace toolkit::win32
