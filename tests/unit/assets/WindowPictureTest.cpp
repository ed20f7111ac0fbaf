#include "tests/unit/assets/AssetFiles.h"

#include <gtest/gtest.h>

namespace asset_test {
namespace {

constexpr int kWidth = 532;
constexpr int kHeight = 341;
// The card: everything that is not margin. Its corners are rounded with a radius of about 10.
constexpr int kCardLeft = 6, kCardTop = 8, kCardRight = 521, kCardBottom = 331;
constexpr int kCornerRadius = 10;

const Rgba kFuchsia{255, 0, 255, 255};
const Rgba kWhite{255, 255, 255, 255};
const Rgba kRuleRed{173, 21, 31, 255};
const Rgba kMaroon{101, 0, 0, 255};
const Rgba kWordmarkRed{168, 28, 32, 255};

struct Rect {
    int left, top, right, bottom; // inclusive
};

class WindowPicture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { picture_ = new Picture(DecodePicture(ReadAsset("window.png"))); }
    static void TearDownTestSuite() {
        delete picture_;
        picture_ = nullptr;
    }
    static const Picture& Pic() { return *picture_; }

    // Every pixel of the rectangle that fails the check, as "(x, y) colour" lines, at most ten.
    template <typename Check> static std::string Failing(const Rect& r, Check check) {
        std::string failures;
        int count = 0;
        for (int y = r.top; y <= r.bottom; ++y) {
            for (int x = r.left; x <= r.right; ++x) {
                if (!check(Pic().At(x, y)) && count++ < 10) {
                    failures += "(" + std::to_string(x) + ", " + std::to_string(y) + ") " +
                                ::testing::PrintToString(Pic().At(x, y)) + "\n";
                }
            }
        }
        return failures;
    }

    static bool InCornerSquare(int x, int y) {
        const bool left = x<kCardLeft + kCornerRadius, right = x> kCardRight - kCornerRadius;
        const bool top = y<kCardTop + kCornerRadius, bottom = y> kCardBottom - kCornerRadius;
        return (left || right) && (top || bottom);
    }

private:
    static inline Picture* picture_ = nullptr;
};

TEST_F(WindowPicture, IsA532By341TrueColourPngWithoutAlpha) {
    const PngHeader header = ReadPngHeader(ReadAsset("window.png"));
    EXPECT_EQ(header.width, 532u);
    EXPECT_EQ(header.height, 341u);
    EXPECT_EQ(header.bitDepth, 8) << "8 bits per channel";
    EXPECT_EQ(header.colourType, 2) << "colour type 2: RGB, no alpha channel";
    EXPECT_EQ(Pic().Width(), kWidth);
    EXPECT_EQ(Pic().Height(), kHeight);
}

TEST_F(WindowPicture, MarginIsFuchsiaAllAround) {
    const auto isFuchsia = [](Rgba c) { return c == kFuchsia; };
    const Rect margins[] = {
        {0, 0, kWidth - 1, kCardTop - 1},              // rows 0-7
        {0, kCardBottom + 1, kWidth - 1, kHeight - 1}, // rows 332-340
        {0, 0, kCardLeft - 1, kHeight - 1},            // columns 0-5
        {kCardRight + 1, 0, kWidth - 1, kHeight - 1},  // columns 522-531
    };
    for (const Rect& margin : margins) {
        EXPECT_EQ(Failing(margin, isFuchsia), "")
            << "margin x " << margin.left << "-" << margin.right << ", y " << margin.top << "-"
            << margin.bottom;
    }
}

// The window's shape is the set of pixels that are not fuchsia: a fuchsia pixel inside the card
// would punch a hole through the window.
TEST_F(WindowPicture, CardHasNoFuchsiaPixelOutsideItsCorners) {
    std::string failures;
    int count = 0;
    for (int y = kCardTop; y <= kCardBottom; ++y) {
        for (int x = kCardLeft; x <= kCardRight; ++x) {
            if (!InCornerSquare(x, y) && Pic().At(x, y) == kFuchsia && count++ < 10) {
                failures += "(" + std::to_string(x) + ", " + std::to_string(y) + ")\n";
            }
        }
    }
    EXPECT_EQ(failures, "");
}

TEST_F(WindowPicture, CardCornersAreRounded) {
    // Offsets from each corner of the card toward its inside: the corner pixel itself and a
    // point beyond the arc are cut away; a point within the arc and the start of each straight
    // edge belong to the card.
    struct Case {
        int dx, dy;
        bool fuchsia;
    };
    const Case cases[] = {{0, 0, true},
                          {2, 2, true},
                          {4, 4, false},
                          {kCornerRadius, 0, false},
                          {0, kCornerRadius, false}};
    const struct {
        int x, y, sx, sy;
    } corners[] = {{kCardLeft, kCardTop, 1, 1},
                   {kCardRight, kCardTop, -1, 1},
                   {kCardLeft, kCardBottom, 1, -1},
                   {kCardRight, kCardBottom, -1, -1}};
    for (const auto& corner : corners) {
        for (const Case& c : cases) {
            const int x = corner.x + corner.sx * c.dx, y = corner.y + corner.sy * c.dy;
            EXPECT_EQ(Pic().At(x, y) == kFuchsia, c.fuchsia)
                << "(" << x << ", " << y << ") " << Pic().At(x, y);
        }
    }
}

TEST_F(WindowPicture, CardHasDarkOutlineAndLightShadeAlongRightAndBottom) {
    const Rgba outline = Pic().At(260, kCardTop);
    EXPECT_TRUE(outline.r == outline.g && outline.g == outline.b && outline.r < 128)
        << "dark grey outline, found " << outline;
    for (const auto& [x, y] : {std::pair{kCardLeft, 170}, {kCardRight, 170}, {260, kCardBottom}}) {
        EXPECT_EQ(Pic().At(x, y), outline) << "(" << x << ", " << y << ")";
    }
    for (const auto& [x, y] : {std::pair{kCardRight - 1, 300}, {260, kCardBottom - 1}}) {
        const Rgba shade = Pic().At(x, y);
        EXPECT_TRUE(shade.r == shade.g && shade.g == shade.b && shade.r > outline.r &&
                    shade.r < 255)
            << "light grey shade at (" << x << ", " << y << "), found " << shade;
    }
}

TEST_F(WindowPicture, BandsHaveTheirColours) {
    struct Sample {
        const char* band;
        int x, y;
        Rgba colour;
    };
    const Sample samples[] = {
        {"header, between wordmark and emblem", 310, 40, kWhite},
        {"header, top left", 12, 12, kWhite},
        {"red rule", 7, 72, kRuleRed},
        {"red rule", 200, 79, kRuleRed},
        {"red rule, right of the emblem", 515, 75, kRuleRed},
        {"maroon band, below the bars", 250, 160, kMaroon},
        {"maroon band, below the emblem", 480, 225, kMaroon},
    };
    for (const Sample& s : samples) {
        EXPECT_EQ(Pic().At(s.x, s.y), s.colour) << s.band << " at (" << s.x << ", " << s.y << ")";
    }
    EXPECT_EQ(Failing({7, 75, 340, 75}, [](Rgba c) { return c == kRuleRed; }), "")
        << "the rule, left of the emblem";
}

// The stage panels (12, 245, 390 x 81), Label8 and the two buttons (432, 280 and 432, 304,
// 75 x 25) lie on the bottom band; it must be plain white under all of them.
TEST_F(WindowPicture, BottomBandIsPlainWhiteWherePanelsAndButtonsLie) {
    const auto isWhite = [](Rgba c) { return c == kWhite; };
    EXPECT_EQ(Failing({16, 244, 511, 329}, isWhite), "") << "band between the rounded corners";
    EXPECT_EQ(Failing({12, 245, 401, 325}, isWhite), "") << "stage panels";
    EXPECT_EQ(Failing({432, 280, 506, 328}, isWhite), "") << "buttons";
}

TEST_F(WindowPicture, WordmarkIsDarkRedAndStaysInItsPlace) {
    const Rect box{25, 17, 267, 65};
    int inside = 0;
    std::string outside;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (Pic().At(x, y) != kWordmarkRed) {
                continue;
            }
            if (x >= box.left && x <= box.right && y >= box.top && y <= box.bottom) {
                ++inside;
            } else if (outside.size() < 200) {
                outside += "(" + std::to_string(x) + ", " + std::to_string(y) + ") ";
            }
        }
    }
    EXPECT_GT(inside, 500) << "the wordmark's solid strokes";
    EXPECT_EQ(outside, "") << "wordmark colour outside x 25-267, y 17-65";
}

} // namespace
} // namespace asset_test
