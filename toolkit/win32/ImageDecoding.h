#pragma once
// PNG and GIF files decoded to straight RGBA pixels.

#include <cstdint>
#include <span>
#include <vector>

namespace toolkit::win32 {

struct DecodedImage {
    int width = 0;
    int height = 0; // of one frame
    int frames = 1;
    // Red, green, blue, alpha per pixel, row after row; the frames of an animation follow one
    // another, each fully composed.
    std::vector<std::uint8_t> rgba;
};

// Decodes a PNG, or every frame of a GIF; throws std::runtime_error naming `what` when the data
// is not a picture.
DecodedImage DecodeImage(std::span<const std::uint8_t> file, const char* what);

} // namespace toolkit::win32
