#include "tests/unit/assets/AssetFiles.h"

#include <gtest/gtest.h>

namespace asset_test {
namespace {

struct MarkCase {
    const char* file;
    int size;
    bool green; // the tick is green, the cross red
};

void PrintTo(const MarkCase& c, std::ostream* out) {
    *out << c.file;
}

class Mark : public ::testing::TestWithParam<MarkCase> {};

TEST_P(Mark, IsASquarePngWithAlpha) {
    const PngHeader header = ReadPngHeader(ReadAsset(GetParam().file));
    EXPECT_EQ(header.width, static_cast<std::uint32_t>(GetParam().size));
    EXPECT_EQ(header.height, static_cast<std::uint32_t>(GetParam().size));
    EXPECT_EQ(header.bitDepth, 8);
    EXPECT_EQ(header.colourType, 6) << "colour type 6: RGBA";
}

TEST_P(Mark, StandsOnATransparentBackgroundInItsColour) {
    const Picture mark = DecodePicture(ReadAsset(GetParam().file));
    const int last = GetParam().size - 1;
    for (const auto& [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}}) {
        EXPECT_EQ(mark.At(x, y).a, 0) << "corner (" << x << ", " << y << ")";
    }
    long red = 0, green = 0, opaque = 0;
    for (int y = 0; y <= last; ++y) {
        for (int x = 0; x <= last; ++x) {
            if (mark.At(x, y).a == 255) {
                red += mark.At(x, y).r;
                green += mark.At(x, y).g;
                ++opaque;
            }
        }
    }
    ASSERT_GT(opaque, 0) << "the mark is drawn at all";
    EXPECT_EQ(green > 2 * red, GetParam().green) << "red " << red << ", green " << green;
    EXPECT_EQ(red > 2 * green, !GetParam().green) << "red " << red << ", green " << green;
}

INSTANTIATE_TEST_SUITE_P(Assets, Mark,
                         ::testing::Values(MarkCase{"success.png", 20, true},
                                           MarkCase{"failure.png", 12, false}),
                         [](const auto& info) {
                             return std::string(info.param.green ? "SuccessTick" : "FailureCross");
                         });

// The "XP Blue" button skin: five 20 x 23 cells, normal, hot, pressed, disabled, focused.
class ButtonSkin : public ::testing::Test {
protected:
    enum State { Normal, Hot, Pressed, Disabled, Focused, StateCount };
    static constexpr int kCellWidth = 20, kCellHeight = 23, kBorder = 5;

    ButtonSkin() : strip_(DecodePicture(ReadAsset("button_xpblue.png"))) {}
    Rgba Cell(State state, int x, int y) const { return strip_.At(state * kCellWidth + x, y); }
    static int Brightness(Rgba c) { return c.r + c.g + c.b; }

    Picture strip_;
};

TEST_F(ButtonSkin, IsAStripOfFiveCellsWithAlpha) {
    const PngHeader header = ReadPngHeader(ReadAsset("button_xpblue.png"));
    EXPECT_EQ(header.width, 100u);
    EXPECT_EQ(header.height, 23u);
    EXPECT_EQ(header.colourType, 6) << "colour type 6: RGBA";
}

// The painter stretches the part between the five-pixel borders; a cell whose middle columns
// differ would show stretched streaks on a wide button.
TEST_F(ButtonSkin, MiddleColumnsOfEachCellAreAlikeSoTheyStretch) {
    for (int state = Normal; state < StateCount; ++state) {
        for (int y = 0; y < kCellHeight; ++y) {
            const Rgba first = Cell(State(state), kBorder, y);
            for (int x = kBorder + 1; x < kCellWidth - kBorder; ++x) {
                EXPECT_EQ(Cell(State(state), x, y), first)
                    << "state " << state << " row " << y << " column " << x;
            }
        }
    }
}

TEST_F(ButtonSkin, CellsHaveRoundedCornersAndOpaqueFaces) {
    for (int state = Normal; state < StateCount; ++state) {
        for (const auto& [x, y] : {std::pair{0, 0},
                                   {kCellWidth - 1, 0},
                                   {0, kCellHeight - 1},
                                   {kCellWidth - 1, kCellHeight - 1}}) {
            EXPECT_LT(Cell(State(state), x, y).a, 255) << "state " << state << " corner";
        }
        EXPECT_EQ(Cell(State(state), kCellWidth / 2, kCellHeight / 2).a, 255) << "state " << state;
        EXPECT_EQ(Cell(State(state), kCellWidth / 2, 0).a, 255) << "state " << state << " border";
    }
}

TEST_F(ButtonSkin, StatesLookAsTheSkinDescribes) {
    const int mid = kCellWidth / 2;
    const Rgba normalBorder = Cell(Normal, mid, 0);
    EXPECT_TRUE(normalBorder.b > normalBorder.r + 60) << "dark blue border " << normalBorder;
    EXPECT_GT(Brightness(Cell(Normal, mid, 2)), Brightness(Cell(Normal, mid, kCellHeight - 3)))
        << "white face shading to light grey at the bottom";

    const Rgba hotRim = Cell(Hot, mid, kCellHeight - 2);
    EXPECT_TRUE(hotRim.r > 200 && hotRim.r > hotRim.b + 100) << "orange inner rim " << hotRim;
    const Rgba focusRim = Cell(Focused, mid, kCellHeight - 2);
    EXPECT_TRUE(focusRim.b > focusRim.r + 60) << "light blue inner rim " << focusRim;
    EXPECT_EQ(Cell(Hot, mid, 11), Cell(Normal, mid, 11)) << "hot keeps the normal face";

    EXPECT_LT(Brightness(Cell(Pressed, mid, 11)), Brightness(Cell(Normal, mid, 11)))
        << "pressed face is darker";
    const Rgba disabledBorder = Cell(Disabled, mid, 0);
    EXPECT_GT(Brightness(disabledBorder), Brightness(normalBorder) + 300)
        << "grey border " << disabledBorder;
}

} // namespace
} // namespace asset_test
