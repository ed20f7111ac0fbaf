#pragma once
// Pictures as the backend draws them: premultiplied 32-bit bitmaps blended with their alpha.

#include "toolkit/Graphics.h"
#include "toolkit/win32/Gdi.h"
#include "toolkit/win32/ImageDecoding.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace toolkit::win32 {

// A 32-bit top-down bitmap (blue, green, red, alpha) selected into its own memory device context.
class Surface {
public:
    Surface(int width, int height);

    HDC Dc() const { return dc_.Get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    std::uint8_t* Pixel(int x, int y) const;

private:
    int width_;
    int height_;
    std::uint8_t* bits_ = nullptr;
    OwnedBitmap bitmap_;
    OwnedDc dc_;
    std::optional<Selection> selection_;
};

// A decoded picture; an animation keeps its frames one below the other.
class Picture {
public:
    explicit Picture(const DecodedImage& image);

    int Width() const { return surface_.Width(); }
    int Height() const { return frameHeight_; } // of one frame
    int Frames() const { return frames_; }
    // The colour of a pixel of the first frame; exact where the picture is opaque.
    TColor ColorAt(int x, int y) const;

    // The frame at its own size with its top left corner at (x, y).
    void Draw(HDC target, int x, int y, int frame) const;
    // A cell of the picture stretched to `target` with borders of `border` pixels kept as they
    // are, so rounded corners and rims keep their width at any size.
    void DrawNineSlice(HDC target, const RECT& destination, const RECT& cell, int border) const;

private:
    void Blend(HDC target, const RECT& destination, const RECT& source) const;

    Surface surface_;
    int frameHeight_;
    int frames_;
};

// The pictures embedded in the program, each decoded once, on first use.
class PictureLibrary {
public:
    const Picture& Get(const std::string& resourceName);
    void Clear() { pictures_.clear(); }

private:
    std::map<std::string, Picture, std::less<>> pictures_;
};

} // namespace toolkit::win32
