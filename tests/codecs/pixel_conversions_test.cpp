#include "codecs/nearest_palette_index.h"
#include "codecs/rasterimage.h"
#include "tests/codecs/codec_test_support.h"

#include <gtest/gtest.h>
#include <random>

using codec_test::Rgb;

namespace {

// The plain linear search: smallest squared distance, earliest entry on ties.
uint8_t LinearNearest(const RGBQUAD* palette, uint32_t count, RGBQUAD c) {
    int best = 200000;
    uint8_t answer = 0;
    for (uint32_t i = 0; i < count; ++i) {
        int db = palette[i].rgbBlue - c.rgbBlue, dg = palette[i].rgbGreen - c.rgbGreen,
            dr = palette[i].rgbRed - c.rgbRed;
        int d = db * db + dg * dg + dr * dr;
        if (d == 0)
            return static_cast<uint8_t>(i);
        if (d < best) {
            best = d;
            answer = static_cast<uint8_t>(i);
        }
    }
    return answer;
}

} // namespace

TEST(StdPalette, MatchesTheCheckRows) {
    CRasterImage image;
    image.Create(1, 1, 8, 0);
    image.SetStdPalette();
    struct Row {
        uint32_t entry;
        RGBQUAD colour;
    } rows[] = {{0, Rgb(0, 0, 0)},          {9, Rgb(166, 202, 240)},  {10, Rgb(255, 240, 212)},
                {15, Rgb(255, 170, 37)},    {16, Rgb(255, 170, 0)},   {21, Rgb(80, 50, 0)},
                {34, Rgb(255, 212, 212)},   {40, Rgb(254, 0, 0)},     {41, Rgb(220, 0, 0)},
                {118, Rgb(212, 227, 255)},  {125, Rgb(0, 73, 220)},   {220, Rgb(254, 254, 0)},
                {225, Rgb(80, 80, 0)},      {226, Rgb(242, 242, 242)}, {245, Rgb(14, 14, 14)},
                {246, Rgb(255, 251, 240)},  {255, Rgb(255, 255, 255)}};
    for (const Row& r : rows)
        EXPECT_EQ(image.GetPaletteColor(r.entry), r.colour) << r.entry;

    CRasterImage four;
    four.Create(1, 1, 4, 0);
    four.SetStdPalette();
    EXPECT_EQ(four.GetPaletteColor(7), Rgb(192, 192, 192));
    EXPECT_EQ(four.GetPaletteColor(8), Rgb(128, 128, 128));
}

TEST(GrayScale, TrueColourPalettesAndBitmaps) {
    CRasterImage rgb;
    rgb.Create(1, 1, 24, 0);
    rgb.SetPixelColor(0, 0, Rgb(30, 20, 10));
    ASSERT_TRUE(rgb.GrayScale());
    EXPECT_EQ(rgb.GetBpp(), 8u);
    EXPECT_EQ(rgb.GetPixelIndex(0, 0), 21);
    EXPECT_TRUE(rgb.IsGrayScale());

    CRasterImage ramp;
    ramp.Create(256, 1, 8, 0);
    ramp.SetGrayPalette();
    for (int x = 0; x < 256; ++x)
        ramp.SetPixelIndex(x, 0, static_cast<uint8_t>(x));
    ASSERT_TRUE(ramp.GrayScale());
    for (int x = 0; x < 256; ++x)
        EXPECT_EQ(ramp.GetPixelIndex(x, 0), x);

    CRasterImage bitmap;
    bitmap.Create(2, 1, 1, 0);
    bitmap.SetStdPalette();
    bitmap.SetPixelIndex(0, 0, 0);
    bitmap.SetPixelIndex(1, 0, 1);
    ASSERT_TRUE(bitmap.GrayScale());
    EXPECT_EQ(bitmap.GetBpp(), 8u);
    EXPECT_EQ(bitmap.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(bitmap.GetPixelIndex(1, 0), 255);
    EXPECT_TRUE(bitmap.IsGrayScale());
}

TEST(DecreaseBpp, ToTheStandardPalette) {
    CRasterImage image;
    image.Create(4, 1, 24, 0);
    image.SetPixelColor(0, 0, Rgb(255, 0, 0));
    image.SetPixelColor(1, 0, Rgb(254, 0, 0));
    image.SetPixelColor(2, 0, Rgb(0, 0, 0));
    image.SetPixelColor(3, 0, Rgb(255, 255, 255));
    ASSERT_TRUE(image.DecreaseBpp(8, false));
    EXPECT_EQ(image.GetBpp(), 8u);
    EXPECT_EQ(image.GetPixelIndex(0, 0), 249);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 40);
    EXPECT_EQ(image.GetPixelIndex(2, 0), 0);
    EXPECT_EQ(image.GetPixelIndex(3, 0), 255);

    ASSERT_TRUE(image.DecreaseBpp(8, false)); // already 8 bits: unchanged
    EXPECT_EQ(image.GetPixelIndex(0, 0), 249);

    CRasterImage bitmap;
    bitmap.Create(2, 1, 1, 0);
    EXPECT_FALSE(bitmap.DecreaseBpp(8, false));
    EXPECT_STREQ(bitmap.GetLastError(), "DecreaseBpp: target BPP greater than source BPP");
    EXPECT_EQ(bitmap.GetBpp(), 1u);
}

TEST(DecreaseBpp, FastSearchAnswersAsTheLinearSearch) {
    CRasterImage image;
    image.Create(1, 1, 8, 0);
    image.SetStdPalette();
    std::vector<std::vector<RGBQUAD>> palettes = {{image.GetPalette(), image.GetPalette() + 256}};
    std::mt19937 random(3);
    for (int p = 0; p < 3; ++p) { // random palettes with repeated entries
        std::vector<RGBQUAD> palette;
        for (int i = 0; i < 40 + 100 * p; ++i)
            palette.push_back(Rgb(random() % 256, random() % 256, random() % 256));
        palette.push_back(palette[5]);
        palettes.push_back(palette);
    }
    for (const auto& palette : palettes) {
        NearestPaletteIndex fast(palette.data(), static_cast<uint32_t>(palette.size()));
        for (int r = 0; r < 256; r += 5)
            for (int g = 0; g < 256; g += 5)
                for (int b = 0; b < 256; b += 5) {
                    RGBQUAD c = Rgb(r, g, b);
                    ASSERT_EQ(fast.Find(c), LinearNearest(palette.data(), static_cast<uint32_t>(palette.size()), c));
                }
    }
}

TEST(DecreaseBpp, GivenPaletteAndImportantColours) {
    CRasterImage image;
    image.Create(2, 1, 24, 0);
    image.SetPixelColor(0, 0, Rgb(250, 250, 250));
    image.SetPixelColor(1, 0, Rgb(10, 10, 10));
    const RGBQUAD palette[3] = {Rgb(0, 0, 0), Rgb(128, 128, 128), Rgb(255, 255, 255)};
    ASSERT_TRUE(image.DecreaseBpp(8, false, palette, 2));
    EXPECT_EQ(image.GetPixelIndex(0, 0), 1); // white is not among the 2 important entries
    EXPECT_EQ(image.GetPixelIndex(1, 0), 0);
}
