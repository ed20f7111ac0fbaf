#include "toolkit/win32/Picture.h"

#include "toolkit/win32/WideText.h"

#include <array>
#include <span>
#include <stdexcept>

namespace toolkit::win32 {

namespace {

constexpr int BytesPerPixel = 4;

std::span<const std::uint8_t> ResourceBytes(const std::string& name) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const std::wstring wideName = Widen(name);
    const HRSRC info = ::FindResourceW(module, wideName.c_str(), RT_RCDATA);
    const HGLOBAL loaded = info != nullptr ? ::LoadResource(module, info) : nullptr;
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) {
        throw std::runtime_error("the program carries no resource " + name);
    }
    return {static_cast<const std::uint8_t*>(data), ::SizeofResource(module, info)};
}

// AlphaBlend wants colour already multiplied by alpha.
std::uint8_t Premultiply(std::uint8_t channel, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((channel * alpha + 127) / 255);
}

} // namespace

Surface::Surface(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down: row 0 first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = OwnedBitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    dc_ = OwnedDc(::CreateCompatibleDC(nullptr));
    if (!bitmap_.Get() || !dc_.Get()) {
        throw std::runtime_error("cannot make a bitmap of " + std::to_string(width) + " x " +
                                 std::to_string(height) + " pixels");
    }
    bits_ = static_cast<std::uint8_t*>(bits);
    selection_.emplace(dc_.Get(), bitmap_.Get());
}

std::uint8_t* Surface::Pixel(int x, int y) const {
    return bits_ + (static_cast<std::size_t>(y) * width_ + x) * BytesPerPixel;
}

Picture::Picture(const DecodedImage& image)
    : surface_(image.width, image.height * image.frames), frameHeight_(image.height),
      frames_(image.frames) {
    const std::uint8_t* source = image.rgba.data();
    for (int y = 0; y < surface_.Height(); ++y) {
        for (int x = 0; x < surface_.Width(); ++x, source += BytesPerPixel) {
            const std::uint8_t alpha = source[3];
            std::uint8_t* target = surface_.Pixel(x, y);
            target[0] = Premultiply(source[2], alpha);
            target[1] = Premultiply(source[1], alpha);
            target[2] = Premultiply(source[0], alpha);
            target[3] = alpha;
        }
    }
}

TColor Picture::ColorAt(int x, int y) const {
    const std::uint8_t* pixel = surface_.Pixel(x, y);
    return {pixel[2], pixel[1], pixel[0]};
}

void Picture::Draw(HDC target, int x, int y, int frame) const {
    const int top = (frame % frames_) * frameHeight_;
    Blend(target, RECT{x, y, x + Width(), y + frameHeight_},
          RECT{0, top, Width(), top + frameHeight_});
}

void Picture::DrawNineSlice(HDC target, const RECT& destination, const RECT& cell,
                            int border) const {
    // Column and row edges: outer edge, border, border, outer edge.
    const std::array<LONG, 4> sourceX{cell.left, cell.left + border, cell.right - border,
                                      cell.right};
    const std::array<LONG, 4> sourceY{cell.top, cell.top + border, cell.bottom - border,
                                      cell.bottom};
    const std::array<LONG, 4> targetX{destination.left, destination.left + border,
                                      destination.right - border, destination.right};
    const std::array<LONG, 4> targetY{destination.top, destination.top + border,
                                      destination.bottom - border, destination.bottom};
    for (std::size_t row = 0; row < 3; ++row) {
        for (std::size_t column = 0; column < 3; ++column) {
            Blend(target,
                  RECT{targetX[column], targetY[row], targetX[column + 1], targetY[row + 1]},
                  RECT{sourceX[column], sourceY[row], sourceX[column + 1], sourceY[row + 1]});
        }
    }
}

void Picture::Blend(HDC target, const RECT& destination, const RECT& source) const {
    const int width = destination.right - destination.left;
    const int height = destination.bottom - destination.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::AlphaBlend(target, destination.left, destination.top, width, height, surface_.Dc(),
                 source.left, source.top, source.right - source.left, source.bottom - source.top,
                 blend);
}

const Picture& PictureLibrary::Get(const std::string& resourceName) {
    if (auto found = pictures_.find(resourceName); found != pictures_.end()) {
        return found->second;
    }
    const DecodedImage image = DecodeImage(ResourceBytes(resourceName), resourceName.c_str());
    return pictures_.try_emplace(resourceName, image).first->second;
}

} // namespace toolkit::win32
