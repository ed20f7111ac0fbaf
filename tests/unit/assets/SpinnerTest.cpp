#include "tests/unit/assets/AssetFiles.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <stdexcept>

namespace asset_test {
namespace {

constexpr int kFrames = 12;
const Rgba kStrongRed{255, 33, 67, 255};

// What the block structure of the GIF file says, read without a decoder.
struct GifFacts {
    std::string signature;
    int width = 0, height = 0;
    int globalColours = 0;
    std::vector<Rgba> palette;
    int loopCount = -1; // from the NETSCAPE2.0 extension; -1 when missing
    struct Frame {
        int left, top, width, height;
        bool localPalette;
        bool hasControl; // a Graphic Control Extension came before the image
        int delay, disposal;
        bool transparent;
        int transparentIndex;
    };
    std::vector<Frame> frames;
};

std::size_t SkipSubBlocks(const Bytes& gif, std::size_t at) {
    while (gif.at(at) != 0) {
        at += gif.at(at) + 1u;
    }
    return at + 1;
}

GifFacts ReadGifFacts(const Bytes& gif) {
    GifFacts facts;
    facts.signature.assign(gif.begin(), gif.begin() + 6);
    facts.width = Le16(gif, 6);
    facts.height = Le16(gif, 8);
    const std::uint8_t flags = gif.at(10);
    std::size_t at = 13;
    if (flags & 0x80) {
        facts.globalColours = 2 << (flags & 0x07);
        for (int i = 0; i < facts.globalColours; ++i, at += 3) {
            facts.palette.push_back({gif.at(at), gif.at(at + 1), gif.at(at + 2), 255});
        }
    }
    GifFacts::Frame pending{};
    while (gif.at(at) != 0x3B) {
        const std::uint8_t introducer = gif.at(at);
        if (introducer == 0x21 && gif.at(at + 1) == 0xF9) {
            const std::uint8_t packed = gif.at(at + 3);
            pending.hasControl = true;
            pending.disposal = (packed >> 2) & 0x07;
            pending.transparent = packed & 0x01;
            pending.delay = Le16(gif, at + 4);
            pending.transparentIndex = gif.at(at + 6);
            at = SkipSubBlocks(gif, at + 2);
        } else if (introducer == 0x21 && gif.at(at + 1) == 0xFF) {
            const std::string application(gif.begin() + at + 3, gif.begin() + at + 14);
            if (application == "NETSCAPE2.0" && gif.at(at + 14) == 3 && gif.at(at + 15) == 1) {
                facts.loopCount = Le16(gif, at + 16);
            }
            at = SkipSubBlocks(gif, at + 2);
        } else if (introducer == 0x21) {
            at = SkipSubBlocks(gif, at + 2);
        } else if (introducer == 0x2C) {
            GifFacts::Frame frame = pending;
            frame.left = Le16(gif, at + 1);
            frame.top = Le16(gif, at + 3);
            frame.width = Le16(gif, at + 5);
            frame.height = Le16(gif, at + 7);
            frame.localPalette = gif.at(at + 9) & 0x80;
            facts.frames.push_back(frame);
            pending = {};
            at = SkipSubBlocks(gif, at + 11); // past the LZW minimum code size
        } else {
            throw std::runtime_error("unknown GIF block at offset " + std::to_string(at));
        }
    }
    return facts;
}

class Spinner : public ::testing::Test {
protected:
    Spinner() : file_(ReadAsset("spinner.gif")), facts_(ReadGifFacts(file_)) {}

    // The frame's reddest opaque colour: the strong bar's.
    static Rgba Reddest(const Picture& frame) {
        Rgba reddest{255, 255, 255, 0};
        for (int y = 0; y < frame.Height(); ++y) {
            for (int x = 0; x < frame.Width(); ++x) {
                if (frame.At(x, y).a == 255 && frame.At(x, y).g < reddest.g) {
                    reddest = frame.At(x, y);
                }
            }
        }
        return reddest;
    }

    // Clockwise angle in degrees from twelve o'clock of the centroid of the strong bar.
    static double StrongBarAngle(const Picture& frame) {
        const Rgba strong = Reddest(frame);
        double sumX = 0, sumY = 0;
        int count = 0;
        for (int y = 0; y < frame.Height(); ++y) {
            for (int x = 0; x < frame.Width(); ++x) {
                if (frame.At(x, y) == strong) {
                    sumX += x + 0.5 - frame.Width() / 2.0;
                    sumY += y + 0.5 - frame.Height() / 2.0;
                    ++count;
                }
            }
        }
        const double degrees = std::atan2(sumX / count, -sumY / count) * 180 / std::numbers::pi;
        return degrees < 0 ? degrees + 360 : degrees;
    }

    Bytes file_;
    GifFacts facts_;
};

TEST_F(Spinner, IsA16By16Gif89aWithA32ColourTable) {
    EXPECT_EQ(facts_.signature, "GIF89a");
    EXPECT_EQ(facts_.width, 16);
    EXPECT_EQ(facts_.height, 16);
    ASSERT_EQ(facts_.globalColours, 32);
    EXPECT_EQ(facts_.palette[0], (Rgba{255, 255, 255, 255})) << "entry 0 is white";
    EXPECT_NE(std::find(facts_.palette.begin(), facts_.palette.end(), kStrongRed),
              facts_.palette.end())
        << "the strong red is in the table";
    for (const Rgba& colour : facts_.palette) {
        EXPECT_EQ(colour.r, 255) << "red fading through pinks to white: " << colour;
        EXPECT_TRUE(colour.g >= 33 && colour.b >= 67) << colour;
    }
}

TEST_F(Spinner, HasTwelveFullFramesOf100MsRestoredToTransparentBackground) {
    ASSERT_EQ(facts_.frames.size(), static_cast<std::size_t>(kFrames));
    for (std::size_t i = 0; i < facts_.frames.size(); ++i) {
        const GifFacts::Frame& f = facts_.frames[i];
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_EQ(f.left, 0);
        EXPECT_EQ(f.top, 0);
        EXPECT_EQ(f.width, 16);
        EXPECT_EQ(f.height, 16);
        EXPECT_FALSE(f.localPalette);
        ASSERT_TRUE(f.hasControl) << "Graphic Control Extension";
        EXPECT_EQ(f.delay, 10) << "hundredths of a second";
        EXPECT_EQ(f.disposal, 2) << "restore to background";
        EXPECT_TRUE(f.transparent);
        EXPECT_EQ(f.transparentIndex, 0);
    }
}

TEST_F(Spinner, LoopsForever) {
    EXPECT_EQ(facts_.loopCount, 0);
}

TEST_F(Spinner, DecodesToFramesWhoseStrongBarStepsClockwise) {
    const Animation animation = DecodeAnimation(file_);
    ASSERT_EQ(animation.frames.size(), static_cast<std::size_t>(kFrames));
    for (int i = 0; i < kFrames; ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        const Picture& frame = animation.frames[i];
        EXPECT_EQ(frame.Width(), 16);
        EXPECT_EQ(frame.Height(), 16);
        EXPECT_EQ(animation.delaysMs[i], 100);
        EXPECT_EQ(frame.At(0, 0).a, 0) << "transparent background";
        EXPECT_EQ(frame.At(8, 8).a, 0) << "the ring's hollow middle";
        EXPECT_EQ(Reddest(frame), kStrongRed) << "one bar in full red";
    }
    // Frame 0 has the strong bar at twelve o'clock and frame 3 at three; in between and after,
    // every frame moves it one twelfth of a turn on, clockwise. The bar's pixels are few, so
    // its measured angle is matched to the nearest twelfth.
    EXPECT_NEAR(StrongBarAngle(animation.frames[0]), 0, 8);
    EXPECT_NEAR(StrongBarAngle(animation.frames[3]), 90, 8);
    for (int i = 0; i < kFrames; ++i) {
        const int twelfth = static_cast<int>(std::lround(StrongBarAngle(animation.frames[i]) / 30));
        EXPECT_EQ(twelfth % kFrames, i) << "frame " << i;
    }
}

} // namespace
} // namespace asset_test
