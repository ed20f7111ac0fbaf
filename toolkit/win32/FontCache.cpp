#include "toolkit/win32/FontCache.h"

#include "toolkit/win32/WideText.h"

#include <stdexcept>

namespace toolkit::win32 {

HFONT FontCache::Get(const TFont& font) {
    Key key{font.Name, font.Height, font.Bold};
    if (auto found = fonts_.find(key); found != fonts_.end()) {
        return found->second.Get();
    }
    // A negative height asks for the character height rather than the cell height.
    OwnedFont made(::CreateFontW(-font.Height, 0, 0, 0, font.Bold ? FW_BOLD : FW_NORMAL, FALSE,
                                 FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                 Widen(font.Name).c_str()));
    if (!made.Get()) {
        throw std::runtime_error("cannot make the font " + font.Name);
    }
    return fonts_.emplace(std::move(key), std::move(made)).first->second.Get();
}

} // namespace toolkit::win32
