#include "DIBTestHelpers.h"
#include "components/dib/MoConvert.h"
#include "components/dib/MoHalftone.h"

#include <gtest/gtest.h>

namespace {

TMoDIBInfo Grey(int width, int height, int value) {
    return TrueColorImage(width, height, [=](int, int) { return std::tuple{value, value, value}; });
}

} // namespace

TEST(Halftone, GreyInColourDiffusesItsError) {
    const TMoDIBInfo result = ConvertToHalfTone(Grey(4, 2, 128));
    EXPECT_EQ(result.Header.biBitCount, 8);
    EXPECT_EQ(result.Header.biClrUsed, 215u);
    EXPECT_EQ(result.Row(0)[0], 3 * 35 + 3 * 5 + 2); // red 153, green 128, blue 128
    EXPECT_EQ(result.Row(0)[1], 2 * 35 + 3 * 5 + 2); // red corrected to 119: level 102
    EXPECT_EQ(result.Colors[122], (TRGBQuad{128, 128, 153, 0}));
    EXPECT_EQ(result.Colors[210], (TRGBQuad{0, 0, 0x80, 0}));
    EXPECT_EQ(result.Colors[213], (TRGBQuad{0xC0, 0xC0, 0xC0, 0}));
}

TEST(Halftone, GreyInBlackAndWhiteAlternates) {
    const TMoDIBInfo result = ConvertToHalfToneBW(Grey(2, 1, 127));
    EXPECT_EQ(result.Header.biBitCount, 1);
    EXPECT_EQ(result.Header.biClrUsed, 2u);
    EXPECT_EQ(GetIndex(result.Row(0), 1, 0), 0);
    EXPECT_EQ(GetIndex(result.Row(0), 1, 1), 1);
}

TEST(Halftone, OddRowsRunFromTheRight) {
    // Row 1 starts at its right end, under a black pixel that left -81 per channel:
    // 100 corrected to 130 is white; scanned from the left it would have been black.
    const TMoDIBInfo image = TrueColorImage(2, 2, [](int x, int y) {
        const int v = y == 0 ? 128 : x * 100;
        return std::tuple{v, v, v};
    });
    const TMoDIBInfo result = ConvertToHalfToneBW(image);
    EXPECT_EQ(GetIndex(result.Row(0), 1, 0), 1);
    EXPECT_EQ(GetIndex(result.Row(0), 1, 1), 0);
    EXPECT_EQ(GetIndex(result.Row(1), 1, 0), 0);
    EXPECT_EQ(GetIndex(result.Row(1), 1, 1), 1);
}

TEST(Halftone, WhiteStaysWhite) {
    const TMoDIBInfo colour = ConvertToHalfTone(Grey(5, 3, 255));
    const TMoDIBInfo mono = ConvertToHalfToneBW(Grey(5, 3, 255));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(colour.Row(y)[x], 209);
            EXPECT_EQ(GetIndex(mono.Row(y), 1, x), 1);
        }
}

TEST(Halftone, TheFiveExtraColoursNeverOccur) {
    const TMoDIBInfo image = TrueColorImage(64, 16, [](int x, int y) {
        return std::tuple{(x * 4) % 256, (y * 16 + x) % 256, 128};
    });
    const TMoDIBInfo result = ConvertPixelFormat(image, moPfHalftone, {});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x)
            EXPECT_LT(result.Row(y)[x], 210);
}

TEST(Halftone, PaletteImagesUseTheirColourTable) {
    TMoDIBInfo image = CreateDIB(3, 1, 16, 4);
    image.Colors[5] = {255, 255, 255, 0};
    image.Row(0)[0] = 0x55;
    image.Row(0)[1] = 0x50;
    const TMoDIBInfo result = ConvertPixelFormat(image, moPfHalftone, {});
    EXPECT_EQ(result.Row(0)[0], 209);
    EXPECT_EQ(result.Row(0)[1], 209);
    EXPECT_EQ(result.Row(0)[2], 209);
}
