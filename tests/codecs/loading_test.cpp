#include "codecs/rasterimage.h"
#include "tests/codecs/codec_test_support.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

using codec_test::LoadFromBytes;
using codec_test::Rgb;

namespace {

std::string Ppm2x2() { return std::string("P6\n2 2\n255\n") + std::string("\xFF\0\0\0\xFF\0\0\0\xFF\xFF\xFF\xFF", 12); }

} // namespace

TEST(PnmLoading, PpmTopRowBecomesTheTopOfThePicture) {
    CRasterImage image;
    ASSERT_TRUE(LoadFromBytes(image, Ppm2x2(), RASTER_FORMAT_BMP));
    EXPECT_EQ(image.GetBpp(), 24u);
    EXPECT_EQ(image.GetType(), RASTER_FORMAT_PNM);
    EXPECT_EQ(image.GetPixelColor(0, 1), Rgb(255, 0, 0));
    EXPECT_EQ(image.GetPixelColor(1, 1), Rgb(0, 255, 0));
    EXPECT_EQ(image.GetPixelColor(0, 0), Rgb(0, 0, 255));
    EXPECT_EQ(image.GetPixelColor(1, 0), Rgb(255, 255, 255));
    EXPECT_EQ(image.GetXDPI(), 96);
}

TEST(PnmLoading, PbmBlackIsIndexZero) {
    CRasterImage image;
    ASSERT_TRUE(LoadFromBytes(image, std::string("P4\n10 1\n\x80\x40", 10), RASTER_FORMAT_BMP));
    EXPECT_EQ(image.GetBpp(), 1u);
    EXPECT_EQ(image.GetType(), RASTER_FORMAT_UNKNOWN);
    EXPECT_EQ(image.GetPaletteColor(0), Rgb(0, 0, 0));
    EXPECT_EQ(image.GetPaletteColor(1), Rgb(255, 255, 255));
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(image.GetPixelIndex(x, 0), (x == 0 || x == 9) ? 0 : 1) << x;
}

TEST(PnmLoading, GraySamplesAreStoredWithoutScaling) {
    struct Case {
        std::string file;
        uint32_t bpp;
        uint8_t index; // of pixel (0, 0)
        RGBQUAD entry; // palette entry of that index
    } cases[] = {
        {std::string("P5\n1 1\n255\n\xC8", 12), 8, 200, Rgb(200, 200, 200)},
        {std::string("P5 1 1 15 \x0F", 11), 4, 15, Rgb(255, 255, 255)},
        {std::string("P5\n1 1\n3\n\x03", 10), 4, 3, Rgb(51, 51, 51)},
        {std::string("P5\n1 1\n16\n\x10", 11), 8, 16, Rgb(16, 16, 16)},
        {std::string("P5\n1 1\n65535\n\xAB\xCD", 15), 8, 0xAB, Rgb(0xAB, 0xAB, 0xAB)},
        {std::string("P5\n1 1\n1\n\x01", 10), 1, 1, Rgb(255, 255, 255)},
        {"P2\n# a comment\n1 1\n255\n200\n", 8, 200, Rgb(200, 200, 200)},
        {"P1\n3 1\n0 1\n0", 1, 1, Rgb(255, 255, 255)},
        {"P1\n3 1\n101", 1, 0, Rgb(0, 0, 0)},
    };
    for (const Case& c : cases) {
        CRasterImage image;
        ASSERT_TRUE(LoadFromBytes(image, c.file, RASTER_FORMAT_BMP)) << c.file << image.GetLastError();
        EXPECT_EQ(image.GetBpp(), c.bpp) << c.file;
        EXPECT_EQ(image.GetPixelIndex(0, 0), c.index) << c.file;
        EXPECT_EQ(image.GetPaletteColor(c.index), c.entry) << c.file;
    }
}

TEST(PnmLoading, PlainAndRawFormsGiveTheSamePixels) {
    CRasterImage raw, plain, wide;
    ASSERT_TRUE(LoadFromBytes(raw, Ppm2x2(), RASTER_FORMAT_BMP));
    ASSERT_TRUE(LoadFromBytes(plain, "P3 2 2 255\n255 0 0  0 255 0\n0 0 255 255 255 255\n", RASTER_FORMAT_BMP));
    ASSERT_TRUE(LoadFromBytes(wide, "P3 2 2 1000\n1000 0 0 0 1000 0 0 0 1000 1000 1000 1000", RASTER_FORMAT_BMP));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) {
            EXPECT_EQ(plain.GetPixelColor(x, y), raw.GetPixelColor(x, y));
            RGBQUAD c = raw.GetPixelColor(x, y);
            // Maximum 1000 has 10 bits; the top 8 remain: 1000 >> 2 = 250.
            EXPECT_EQ(wide.GetPixelColor(x, y), Rgb(c.rgbRed ? 250 : 0, c.rgbGreen ? 250 : 0, c.rgbBlue ? 250 : 0));
        }
}

TEST(PnmLoading, DamagedFilesFailWithAMessage) {
    struct Case {
        std::string file;
        const char* error;
    } cases[] = {
        {"P7\n1 1\n255\n\x01", "Not a BMP"}, // not PNM: the hinted reader's text (under 14 bytes)
        {"P6\n", "Not a BMP"},
        {"P6\n2 2\n255\n\x01\x02\x03", "Error reading BMP info"},         // truncated
        {"P6\n2 2\n0\n" + std::string(12, '\0'), "Error reading BMP info"}, // maximum 0
        {"P6\n2 2\n65536\n" + std::string(24, '\0'), "Error reading BMP info"},
        {"P5\n99999999999 1\n255\n" + std::string(16, '\0'), "Error reading BMP info"},
        {"P5\n-1 1\n255\n" + std::string(16, '\0'), "Error reading BMP info"},
        {"P3 1 1 255 1 2", "Error reading BMP info"},
        {"P1 2 1 0 x     ", "Error reading BMP info"},
        {"", "Not a BMP"},
    };
    for (const Case& c : cases) {
        CRasterImage image;
        EXPECT_FALSE(LoadFromBytes(image, c.file, RASTER_FORMAT_BMP)) << c.file;
        EXPECT_STREQ(image.GetLastError(), c.error) << c.file;
        EXPECT_FALSE(image.IsValid());
    }
}

TEST(PnmLoading, ReaderTextsWithoutAHint) {
    struct Case {
        std::string file;
        const char* error;
    } cases[] = {
        {"P6\n2 2\n255\n\x01", "error: cannot load image data"},
        {"P6\n20000 20000\n255\n", "RASTER_MAX_MEMORY exceeded"},
        {"GIF89a", "error: unknowm format"},
    };
    for (const Case& c : cases) {
        CRasterImage image;
        CMemStream stream(reinterpret_cast<uint8_t*>(const_cast<char*>(c.file.data())), static_cast<int32_t>(c.file.size()));
        EXPECT_FALSE(image.Decode(&stream, RASTER_FORMAT_PNM)) << c.file;
        EXPECT_STREQ(image.GetLastError(), c.error) << c.file;
    }
    CRasterImage image;
    std::string junk = "neither BMP nor PNM";
    EXPECT_FALSE(LoadFromBytes(image, junk, RASTER_FORMAT_UNKNOWN));
    EXPECT_STREQ(image.GetLastError(), "Decode: Unknown or wrong format");
}

TEST(PnmLoading, MissingFileLeavesTheErrorTextAlone) {
    CRasterImage image;
    image.Create(0, 0, 8, 0); // sets a text
    EXPECT_FALSE(image.Load("/nonexistent/x.ppm", RASTER_FORMAT_BMP));
    EXPECT_STREQ(image.GetLastError(), "CRasterImage::Create : width and height must be greater than zero");
}

TEST(BmpLoading, ReadsWhatTheWriterWrites) {
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        CRasterImage image;
        image.Create(5, 3, bpp, 0);
        image.SetStdPalette();
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                image.SetPixelColor(x, y, Rgb(x * 60, y * 100, 255 - x * 60));
        std::string bytes = codec_test::EncodeToBytes(image, RASTER_FORMAT_BMP);
        CRasterImage loaded;
        ASSERT_TRUE(LoadFromBytes(loaded, bytes, RASTER_FORMAT_UNKNOWN)) << loaded.GetLastError();
        EXPECT_EQ(loaded.GetType(), RASTER_FORMAT_BMP);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(loaded.GetPixelColor(x, y), image.GetPixelColor(x, y)) << bpp;
    }
}

// PAM files: the alpha channel becomes the image's alpha plane, rows bottom-up
// like the pixels; a gray tuple stands for all three colours.
TEST(PnmLoading, PamFilesKeepTheirAlpha) {
    const std::string header = "P7\nWIDTH 2\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    CRasterImage rgba;
    ASSERT_TRUE(LoadFromBytes(rgba, header + std::string("\xFF\x00\x00\x80\x00\x00\xFF\x00", 8), RASTER_FORMAT_BMP));
    EXPECT_EQ(rgba.GetBpp(), 24u);
    ASSERT_TRUE(rgba.HasAlpha());
    EXPECT_EQ(rgba.GetPixelColor(0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(rgba.GetPixelColor(1, 0), Rgb(0, 0, 255));
    EXPECT_EQ(rgba.AlphaRow(0)[0], 0x80);
    EXPECT_EQ(rgba.AlphaRow(0)[1], 0x00);

    CRasterImage grayAlpha;
    ASSERT_TRUE(LoadFromBytes(grayAlpha,
                              "P7\nWIDTH 1\nHEIGHT 2\nDEPTH 2\nMAXVAL 255\nTUPLTYPE GRAYSCALE_ALPHA\nENDHDR\n" +
                                  std::string("\x40\xFF\xC0\x10", 4),
                              RASTER_FORMAT_BMP));
    ASSERT_TRUE(grayAlpha.HasAlpha());
    EXPECT_EQ(grayAlpha.GetPixelColor(0, 1), Rgb(0x40, 0x40, 0x40)); // the top row
    EXPECT_EQ(grayAlpha.AlphaRow(1)[0], 0xFF);
    EXPECT_EQ(grayAlpha.GetPixelColor(0, 0), Rgb(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(grayAlpha.AlphaRow(0)[0], 0x10);

    CRasterImage plain;
    ASSERT_TRUE(LoadFromBytes(plain, "P7\nWIDTH 1\nHEIGHT 1\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n\x01\x02\x03",
                              RASTER_FORMAT_BMP));
    EXPECT_FALSE(plain.HasAlpha());
    EXPECT_EQ(plain.GetPixelColor(0, 0), Rgb(1, 2, 3));

    // A depth that does not fit the tuple type, an unknown word, a short file.
    for (const std::string& damaged :
         {std::string("P7\nWIDTH 1\nHEIGHT 1\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n\x01\x02\x03\x04"),
          std::string("P7\nWIDTH 1\nHEIGHT 1\nDEPTH 4\nCOLOURS 2\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n\x01\x02\x03\x04"),
          header + "\x01\x02\x03"}) {
        CRasterImage image;
        EXPECT_FALSE(LoadFromBytes(image, damaged, RASTER_FORMAT_BMP)) << damaged;
        EXPECT_FALSE(image.IsValid());
    }
}
