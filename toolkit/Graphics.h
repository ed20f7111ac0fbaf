#pragma once

#include <cstdint>
#include <string>

struct TColor {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const TColor&, const TColor&) = default;
};

inline constexpr TColor clWhite{255, 255, 255};
inline constexpr TColor clMaroon{128, 0, 0};
inline constexpr TColor clWindowText{0, 0, 0};
inline constexpr TColor clBtnFace{240, 240, 240};
inline constexpr TColor clFuchsia{255, 0, 255};

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

struct TFont {
    std::string Name = "Arial";
    int Height = 11; // character height in pixels
    bool Bold = false;
    TColor Color = clWindowText;
    friend bool operator==(const TFont&, const TFont&) = default;
};

struct TPoint {
    int x = 0;
    int y = 0;
};

struct TSize {
    int cx = 0;
    int cy = 0;
};

struct TRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Contains(TPoint p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
};
