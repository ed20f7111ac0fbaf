#include "tests/unit/assets/AssetFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <stb/stb_image.h>
#include <stdexcept>

namespace asset_test {

namespace {

struct StbFree {
    void operator()(void* memory) const { stbi_image_free(memory); }
};
using StbPixels = std::unique_ptr<stbi_uc, StbFree>;

std::vector<Rgba> ToRgba(const stbi_uc* data, int width, int height) {
    std::vector<Rgba> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = {data[4 * i], data[4 * i + 1], data[4 * i + 2], data[4 * i + 3]};
    }
    return pixels;
}

std::uint32_t Be32(const Bytes& data, std::size_t at) {
    return std::uint32_t{data.at(at)} << 24 | std::uint32_t{data.at(at + 1)} << 16 |
           std::uint32_t{data.at(at + 2)} << 8 | std::uint32_t{data.at(at + 3)};
}

} // namespace

Bytes ReadAsset(const std::string& name) {
    const std::string path = std::string(KOLVERA_ASSET_DIR) + "/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

PngHeader ReadPngHeader(const Bytes& file) {
    static const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 33 || !std::equal(signature.begin(), signature.end(), file.begin()) ||
        Be32(file, 8) != 13 || std::string(file.begin() + 12, file.begin() + 16) != "IHDR") {
        throw std::runtime_error("not a PNG file with an IHDR chunk first");
    }
    return {Be32(file, 16), Be32(file, 20), file[24], file[25]};
}

std::ostream& operator<<(std::ostream& out, const Rgba& colour) {
    return out << "rgba(" << int{colour.r} << ", " << int{colour.g} << ", " << int{colour.b} << ", "
               << int{colour.a} << ")";
}

Picture::Picture(int width, int height, std::vector<Rgba> pixels)
    : width_(width), height_(height), pixels_(std::move(pixels)) {}

Picture DecodePicture(const Bytes& file) {
    int width = 0, height = 0, channels = 0;
    StbPixels data(stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width,
                                         &height, &channels, 4));
    if (!data) {
        throw std::runtime_error(std::string("decoder refused the file: ") + stbi_failure_reason());
    }
    return Picture(width, height, ToRgba(data.get(), width, height));
}

Animation DecodeAnimation(const Bytes& file) {
    int* delays = nullptr;
    int width = 0, height = 0, frames = 0, channels = 0;
    StbPixels data(stbi_load_gif_from_memory(file.data(), static_cast<int>(file.size()), &delays,
                                             &width, &height, &frames, &channels, 4));
    StbPixels delayMemory(reinterpret_cast<stbi_uc*>(delays));
    if (!data) {
        throw std::runtime_error(std::string("decoder refused the file: ") + stbi_failure_reason());
    }
    Animation animation;
    const std::size_t frameBytes = static_cast<std::size_t>(width) * height * 4;
    for (int i = 0; i < frames; ++i) {
        animation.frames.emplace_back(width, height,
                                      ToRgba(data.get() + frameBytes * i, width, height));
        animation.delaysMs.push_back(delays[i]);
    }
    return animation;
}

std::uint16_t Le16(const Bytes& data, std::size_t at) {
    return static_cast<std::uint16_t>(data.at(at) | data.at(at + 1) << 8);
}

std::uint32_t Le32(const Bytes& data, std::size_t at) {
    return std::uint32_t{Le16(data, at)} | std::uint32_t{Le16(data, at + 2)} << 16;
}

} // namespace asset_test
