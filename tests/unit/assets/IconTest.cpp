#include "tests/unit/assets/AssetFiles.h"

#include <gtest/gtest.h>
#include <set>

namespace asset_test {
namespace {

struct IconImage {
    int width, height, bitCount;
    Bytes data;
};

// The images of a .ico file as its directory lists them.
std::vector<IconImage> ReadIconDirectory(const Bytes& ico) {
    EXPECT_EQ(Le16(ico, 0), 0) << "reserved";
    EXPECT_EQ(Le16(ico, 2), 1) << "type 1: icon";
    std::vector<IconImage> images;
    for (int i = 0; i < Le16(ico, 4); ++i) {
        const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
        const int width = ico.at(entry) ? ico.at(entry) : 256;
        const int height = ico.at(entry + 1) ? ico.at(entry + 1) : 256;
        const std::uint32_t bytes = Le32(ico, entry + 8), offset = Le32(ico, entry + 12);
        if (offset + bytes > ico.size()) {
            ADD_FAILURE() << "image " << i << " runs past the end of the file";
            continue;
        }
        images.push_back({width, height, Le16(ico, entry + 6),
                          Bytes(ico.begin() + offset, ico.begin() + offset + bytes)});
    }
    return images;
}

// Alpha of pixel (x, y), counted from the top, of a 32-bit bottom-up DIB icon image.
std::uint8_t DibAlpha(const IconImage& image, int x, int y) {
    const std::size_t row = static_cast<std::size_t>(image.height - 1 - y);
    return image.data.at(40 + (row * image.width + x) * 4 + 3);
}

TEST(ProgramIcon, HoldsFiveSquareImagesFrom16To128Pixels) {
    const std::vector<IconImage> images = ReadIconDirectory(ReadAsset("KolveraKurulum.ico"));
    std::multiset<int> sizes;
    for (const IconImage& image : images) {
        EXPECT_EQ(image.width, image.height);
        sizes.insert(image.width);
    }
    EXPECT_EQ(sizes, (std::multiset<int>{16, 32, 48, 64, 128}));
}

TEST(ProgramIcon, EveryImageHas32BitsPerPixelWithAlpha) {
    for (const IconImage& image : ReadIconDirectory(ReadAsset("KolveraKurulum.ico"))) {
        SCOPED_TRACE(std::to_string(image.width) + " px");
        EXPECT_EQ(image.bitCount, 32) << "directory entry";
        if (image.data.size() >= 8 && image.data[0] == 0x89 && image.data[1] == 'P') {
            const PngHeader header = ReadPngHeader(image.data);
            EXPECT_EQ(header.width, static_cast<std::uint32_t>(image.width));
            EXPECT_EQ(header.colourType, 6) << "PNG image with alpha";
            continue;
        }
        ASSERT_GE(image.data.size(), 40u);
        EXPECT_EQ(Le32(image.data, 0), 40u) << "BITMAPINFOHEADER";
        EXPECT_EQ(static_cast<int>(Le32(image.data, 4)), image.width);
        EXPECT_EQ(static_cast<int>(Le32(image.data, 8)), 2 * image.height)
            << "colour rows and mask rows";
        EXPECT_EQ(Le16(image.data, 14), 32) << "bits per pixel";
        EXPECT_EQ(Le32(image.data, 16), 0u) << "uncompressed";
        const std::size_t colour = static_cast<std::size_t>(image.width) * image.height * 4;
        const std::size_t maskStride = (static_cast<std::size_t>(image.width) + 31) / 32 * 4;
        ASSERT_EQ(image.data.size(), 40 + colour + maskStride * image.height);
        // An image whose alpha is all zero is drawn from its mask alone; this one must
        // really carry its transparency in the alpha channel.
        EXPECT_EQ(DibAlpha(image, 0, 0), 0) << "transparent corner";
        EXPECT_EQ(DibAlpha(image, image.width / 2, image.height / 2), 255) << "opaque middle";
    }
}

} // namespace
} // namespace asset_test
