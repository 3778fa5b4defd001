#include "codecs/rasterimage.h"
#include "tests/codecs/codec_test_support.h"
#include "tests/support/test_support.h"

#include <cstring>
#include <gtest/gtest.h>

using codec_test::Rgb;

TEST(RasterImage, CreateNormalisesDepthAndComputesRows) {
    struct Case {
        uint32_t width, bpp, expectedBpp, rowBytes, colours;
    } cases[] = {{3, 24, 24, 12, 0}, {3, 1, 1, 4, 2},  {3, 16, 24, 12, 0}, {3, 32, 24, 12, 0},
                 {3, 2, 4, 4, 16},  {9, 8, 8, 12, 256}, {33, 1, 1, 8, 2}};
    for (const Case& c : cases) {
        CRasterImage image;
        ASSERT_NE(image.Create(c.width, 2, c.bpp, RASTER_FORMAT_BMP), nullptr);
        EXPECT_EQ(image.GetBpp(), c.expectedBpp);
        EXPECT_EQ(image.GetEffWidth(), c.rowBytes);
        EXPECT_EQ(image.GetNumColors(), c.colours);
        EXPECT_EQ(image.GetHeader().biSizeImage, c.rowBytes * 2);
        EXPECT_EQ(image.GetSize(), 40 + c.colours * 4 + c.rowBytes * 2);
        EXPECT_EQ(image.GetType(), RASTER_FORMAT_BMP);
    }
}

TEST(RasterImage, CreateRefusesEmptyAndOversizedImages) {
    CRasterImage image;
    image.Create(4, 4, 8, 0);
    EXPECT_EQ(image.Create(0, 10, 24, 0), nullptr);
    EXPECT_STREQ(image.GetLastError(), "CRasterImage::Create : width and height must be greater than zero");
    EXPECT_FALSE(image.IsValid());

    EXPECT_TRUE(CRasterImage::FitsMemoryLimit(16384, 16384, 8));
    EXPECT_FALSE(CRasterImage::FitsMemoryLimit(16384, 16385, 8));
    EXPECT_EQ(image.Create(16384, 16385, 8, 0), nullptr);
    EXPECT_STREQ(image.GetLastError(), "RASTER_MAX_MEMORY exceeded");
    // Products that wrap around in 32 bits are caught, not taken as small.
    EXPECT_FALSE(CRasterImage::FitsMemoryLimit(65536, 65537, 1));
    EXPECT_FALSE(CRasterImage::FitsMemoryLimit(0x80000000u, 1, 1));
    EXPECT_EQ(image.Create(65536, 65536, 24, 0), nullptr);
}

TEST(RasterImage, StartupDefaults) {
    CRasterImage image;
    EXPECT_EQ(image.GetXDPI(), 96);
    EXPECT_EQ(image.GetYDPI(), 96);
    EXPECT_EQ(image.GetHeader().biXPelsPerMeter, 3780);
    EXPECT_EQ(image.GetHeader().biYPelsPerMeter, 3780);
    EXPECT_EQ(image.GetJpegQuality(), 90);
    image.SetJpegQuality(75);
    EXPECT_EQ(image.GetJpegQuality(), 75);
    image.SetXDPI(0);
    EXPECT_EQ(image.GetXDPI(), 96);
    image.Create(1, 1, 24, 0);
    image.SetYDPI(300);
    EXPECT_EQ(reinterpret_cast<BITMAPINFOHEADER*>(image.GetBits() - 40)->biYPelsPerMeter, 11811);
}

TEST(RasterImage, TypesAndTheirOptionSlots) {
    struct Case {
        uint32_t id, index;
        bool settable;
    } cases[] = {{0, 0, false}, {1, 1, true}, {15, 15, true}, {16, 0, false}, {17, 16, true}, {19, 18, true}, {20, 0, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(CRasterImage::GetTypeIndexFromId(c.id), c.index) << c.id;
        CRasterImage image;
        EXPECT_EQ(image.SetType(c.id), c.settable) << c.id;
        EXPECT_EQ(image.GetType(), c.settable ? c.id : 0u);
    }
    CRasterImage image(RASTER_FORMAT_PNG);
    image.SetCodecOption(1); // the image's own format
    EXPECT_EQ(image.GetCodecOption(RASTER_FORMAT_PNG), 1u);
    EXPECT_EQ(image.GetCodecOption(RASTER_FORMAT_TIF), 0u);
}

TEST(RasterImage, PixelLayoutsBottomUp) {
    for (uint32_t bpp : {1u, 4u, 8u}) {
        CRasterImage image;
        image.Create(10, 3, bpp, 0);
        std::memset(image.GetBits(), 0, image.GetHeader().biSizeImage);
        const uint8_t mask = static_cast<uint8_t>((1u << bpp) - 1);
        image.SetPixelIndex(9, 2, 0xFF);
        image.SetPixelIndex(0, 0, 0x05);
        image.SetPixelIndex(10, 0, 1); // outside: ignored
        EXPECT_EQ(image.GetPixelIndex(9, 2), 0xFF & mask) << bpp;
        EXPECT_EQ(image.GetPixelIndex(0, 0), 0x05 & mask) << bpp;
        EXPECT_EQ(image.GetPixelIndex(1, 0), 0) << bpp;
    }
    CRasterImage image;
    image.Create(3, 1, 1, 0);
    image.GetBits()[0] = 0;
    image.SetPixelIndex(0, 0, 1);
    EXPECT_EQ(image.GetBits()[0], 0x80); // leftmost pixel in the top bit
}

TEST(RasterImage, ColoursInPaletteAndTrueColourImages) {
    CRasterImage rgb;
    rgb.Create(2, 2, 24, 0);
    rgb.SetPixelColor(1, 1, Rgb(10, 20, 30));
    EXPECT_EQ(rgb.GetBits(1)[3], 30); // blue, green, red
    EXPECT_EQ(rgb.GetPixelColor(1, 1), Rgb(10, 20, 30));
    EXPECT_EQ(rgb.GetPixelColor(5, 5), rgb.GetPixelColor(0, 0)); // outside: pixel (0, 0)

    CRasterImage mapped;
    mapped.Create(2, 1, 8, 0);
    mapped.SetPaletteColor(3, Rgb(255, 0, 0));
    mapped.SetPaletteColor(7, Rgb(255, 0, 0));
    EXPECT_EQ(mapped.GetNearestIndex(Rgb(255, 0, 0)), 3); // ties keep the earlier entry
    mapped.SetPixelColor(1, 0, Rgb(250, 0, 0));
    EXPECT_EQ(mapped.GetPixelIndex(1, 0), 3);
    EXPECT_EQ(mapped.GetPaletteColor(300), RGBQUAD{});
}

TEST(RasterImage, GrayPalettesAndIdentityRamps) {
    struct Case {
        uint32_t bpp;
        int step;
        bool identity;
    } cases[] = {{1, 255, false}, {4, 17, false}, {8, 1, true}};
    for (const Case& c : cases) {
        CRasterImage image;
        image.Create(1, 1, c.bpp, 0);
        image.SetGrayPalette();
        for (uint32_t i = 0; i < image.GetNumColors(); ++i)
            EXPECT_EQ(image.GetPaletteColor(i), Rgb(i * c.step, i * c.step, i * c.step));
        EXPECT_EQ(image.IsGrayScale(), c.identity);
    }
}

TEST(RasterImage, TransferAndGhostShareOrMoveTheMemory) {
    CRasterImage source;
    source.Create(2, 2, 8, RASTER_FORMAT_GIF);
    uint8_t* bits = source.GetBits();
    {
        CRasterImage ghost;
        ghost.Ghost(&source);
        ghost.SetPixelIndex(0, 0, 42);
        EXPECT_FALSE(ghost.Destroy()); // a ghost frees nothing
        EXPECT_EQ(ghost.Create(1, 1, 8, 0), nullptr);
    }
    EXPECT_EQ(source.GetPixelIndex(0, 0), 42);
    CRasterImage target;
    EXPECT_TRUE(target.Transfer(source));
    EXPECT_EQ(target.GetBits(), bits);
    EXPECT_FALSE(source.IsValid());
    EXPECT_EQ(target.GetType(), RASTER_FORMAT_GIF);
}

TEST(RasterImage, EncodingChecksItsInputs) {
    CRasterImage empty;
    CMemStream stream;
    stream.Open();
    EXPECT_FALSE(empty.Encode(&stream, RASTER_FORMAT_BMP));
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
    CRasterImage image;
    image.Create(1, 1, 24, 0);
    EXPECT_FALSE(image.Encode(static_cast<CByteStream*>(nullptr), RASTER_FORMAT_BMP));
    EXPECT_STREQ(image.GetLastError(), "null file handler");
    for (uint32_t id : {0u, 5u, 16u, 20u}) {
        EXPECT_FALSE(image.Encode(&stream, id));
        EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
    }
}

TEST(RasterImage, ARefusedSaveLeavesTheFileItOpened) {
    testing_support::TempDir dir;
    CRasterImage image;
    image.Create(2, 2, 1, 0);
    EXPECT_FALSE(image.Save((dir / "a.tga").c_str(), RASTER_FORMAT_TGA));
    EXPECT_STREQ(image.GetLastError(), "Bit depth must be 8 or 24");
    EXPECT_EQ(testing_support::ReadFile(dir / "a.tga"), "");
    EXPECT_FALSE(image.Save((dir / "missing/a.tga").c_str(), RASTER_FORMAT_TGA));
}

TEST(RasterImage, NewImagesStartCleared) {
    CRasterImage image;
    image.Create(3, 2, 24, 0);
    for (uint32_t i = 0; i < image.GetHeader().biSizeImage; ++i)
        ASSERT_EQ(image.GetBits()[i], 0) << i;
}
