#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// Reading back the files that the resource script embeds in the program.
namespace asset_test {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadAsset(const std::string& name);
std::string ReadText(const std::string& path);

struct PngHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 0;
    std::uint8_t colourType = 0;
};

// The IHDR chunk of a PNG file; throws std::runtime_error when the file does not start with one.
PngHeader ReadPngHeader(const Bytes& file);

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgba& colour);

// A picture decoded to 8-bit RGBA.
class Picture {
public:
    Picture(int width, int height, std::vector<Rgba> pixels);
    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgba At(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)]; }

private:
    int width_;
    int height_;
    std::vector<Rgba> pixels_;
};

// Throws std::runtime_error when the decoder refuses the file.
Picture DecodePicture(const Bytes& file);

// The frames of an animated GIF, composed as a player shows them, with their delays.
struct Animation {
    std::vector<Picture> frames;
    std::vector<int> delaysMs;
};

Animation DecodeAnimation(const Bytes& file);

std::uint16_t Le16(const Bytes& data, std::size_t at);
std::uint32_t Le32(const Bytes& data, std::size_t at);

} // namespace asset_test
