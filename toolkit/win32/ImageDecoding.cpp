#include "toolkit/win32/ImageDecoding.h"

#define STBI_ONLY_PNG
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#define STB_IMAGE_IMPLEMENTATION
#include <algorithm>
#include <memory>
#include <stb/stb_image.h>
#include <stdexcept>
#include <string>

namespace toolkit::win32 {

namespace {

constexpr int RgbaChannels = 4;

struct StbFree {
    void operator()(void* memory) const { stbi_image_free(memory); }
};

bool IsGif(std::span<const std::uint8_t> file) {
    static constexpr std::uint8_t Signature[] = {'G', 'I', 'F', '8'};
    return file.size() >= sizeof(Signature) &&
           std::equal(std::begin(Signature), std::end(Signature), file.begin());
}

[[noreturn]] void ThrowUndecodable(const char* what) {
    throw std::runtime_error(std::string("cannot decode the picture ") + what + ": " +
                             stbi_failure_reason());
}

DecodedImage Collect(std::unique_ptr<stbi_uc, StbFree> pixels, int width, int height, int frames) {
    DecodedImage image{width, height, frames, {}};
    const auto size = static_cast<std::size_t>(width) * height * frames * RgbaChannels;
    image.rgba.assign(pixels.get(), pixels.get() + size);
    return image;
}

} // namespace

DecodedImage DecodeImage(std::span<const std::uint8_t> file, const char* what) {
    const int length = static_cast<int>(file.size());
    int width = 0;
    int height = 0;
    int channels = 0;
    if (IsGif(file)) {
        int* delays = nullptr;
        int frames = 0;
        std::unique_ptr<stbi_uc, StbFree> pixels(stbi_load_gif_from_memory(
            file.data(), length, &delays, &width, &height, &frames, &channels, RgbaChannels));
        std::unique_ptr<int, StbFree> ownedDelays(delays); // the spinner keeps its own pace
        if (!pixels) {
            ThrowUndecodable(what);
        }
        return Collect(std::move(pixels), width, height, frames);
    }
    std::unique_ptr<stbi_uc, StbFree> pixels(
        stbi_load_from_memory(file.data(), length, &width, &height, &channels, RgbaChannels));
    if (!pixels) {
        ThrowUndecodable(what);
    }
    return Collect(std::move(pixels), width, height, 1);
}

} // namespace toolkit::win32
