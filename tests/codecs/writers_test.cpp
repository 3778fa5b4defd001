// Byte-exact files of the BMP, TGA, PCX and GIF writers.
#include "codecs/rasterimage.h"
#include "tests/codecs/codec_test_support.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

using codec_test::EncodeToBytes;
using codec_test::Rgb;

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

uint32_t Le32(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8 | static_cast<uint8_t>(s[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24;
}

// An 8-bit image of one row holding the given indexes.
void RowImage(CRasterImage& image, const std::vector<int>& indexes) {
    image.Create(static_cast<uint32_t>(indexes.size()), 1, 8, 0);
    image.SetGrayPalette();
    for (size_t x = 0; x < indexes.size(); ++x)
        image.SetPixelIndex(static_cast<int32_t>(x), 0, static_cast<uint8_t>(indexes[x]));
}

// The scan-line bytes of a PCX file (after the 128-byte header, before any palette).
std::string PcxData(CRasterImage& image) {
    std::string file = EncodeToBytes(image, RASTER_FORMAT_PCX);
    std::string data = file.substr(128);
    return image.GetBpp() == 8 ? data.substr(0, data.size() - 769) : data;
}

} // namespace

TEST(BmpWriter, HeaderDibAndPaddedRows) {
    CRasterImage image;
    image.Create(3, 2, 24, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            image.SetPixelColor(x, y, Rgb(y * 100 + x, 1, 2));
    std::memset(image.GetBits() + 9, 0xEE, 3); // padding of the bottom row
    std::string file = EncodeToBytes(image, RASTER_FORMAT_BMP);
    ASSERT_EQ(file.size(), 78u);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(Le32(file, 2), 78u);
    EXPECT_EQ(Le32(file, 10), 54u);
    EXPECT_EQ(Le32(file, 14), 40u);
    EXPECT_EQ(Le32(file, 34), 24u);    // image size
    EXPECT_EQ(Le32(file, 38), 3780u);  // pixels per metre
    EXPECT_EQ(file.substr(54, 3), Bytes({2, 1, 0})); // bottom row first, blue green red
    EXPECT_EQ(file.substr(66, 3), Bytes({2, 1, 100}));

    for (auto [bpp, offset] : {std::pair{8u, 1078u}, std::pair{1u, 62u}}) {
        CRasterImage mapped;
        mapped.Create(3, 2, bpp, 0);
        EXPECT_EQ(Le32(EncodeToBytes(mapped, RASTER_FORMAT_BMP), 10), offset);
    }
}

TEST(TgaWriter, GrayAndTrueColour) {
    CRasterImage gray;
    gray.Create(3, 2, 8, 0);
    gray.SetGrayPalette();
    gray.SetPixelIndex(2, 1, 7);
    std::string file = EncodeToBytes(gray, RASTER_FORMAT_TGA);
    ASSERT_EQ(file.size(), 18u + 768 + 6);
    EXPECT_EQ(file.substr(0, 18), Bytes({0, 1, 1, 0, 0, 0, 1, 24, 0, 0, 0, 0, 3, 0, 2, 0, 8, 0}));
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(file.substr(18 + 3 * i, 3), Bytes({i, i, i}));
    EXPECT_EQ(static_cast<uint8_t>(file[18 + 768 + 5]), 7); // top row last, unpadded

    CRasterImage rgb;
    rgb.Create(1, 1, 24, 0);
    rgb.SetPixelColor(0, 0, Rgb(1, 2, 3));
    EXPECT_EQ(EncodeToBytes(rgb, RASTER_FORMAT_TGA),
              Bytes({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 3, 2, 1}));

    CRasterImage bitmap;
    bitmap.Create(1, 1, 1, 0);
    bool ok = true;
    EXPECT_EQ(EncodeToBytes(bitmap, RASTER_FORMAT_TGA, &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_STREQ(bitmap.GetLastError(), "Bit depth must be 8 or 24");
}

// 32 bits per pixel with 8 alpha bits said in the descriptor: blue, green,
// red, alpha, bottom row first.
TEST(TgaWriter, AnAlphaPlaneMakes32BitPixels) {
    CRasterImage image;
    image.Create(2, 1, 24, 0);
    image.SetPixelColor(0, 0, Rgb(1, 2, 3));
    image.SetPixelColor(1, 0, Rgb(4, 5, 6));
    ASSERT_TRUE(image.CreateAlpha());
    image.AlphaRow(0)[1] = 7;
    EXPECT_EQ(EncodeToBytes(image, RASTER_FORMAT_TGA),
              Bytes({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 32, 8, 3, 2, 1, 255, 6, 5, 4, 7}));
}

TEST(PcxWriter, RunLengthRows) {
    struct Case {
        std::vector<int> row;
        std::string expected;
    } cases[] = {
        {{7, 7, 7, 7, 7}, Bytes({0xC5, 7, 0})},
        {std::vector<int>(64, 9), Bytes({0xFF, 9, 9})},
        {std::vector<int>(64, 0xD0), Bytes({0xFF, 0xD0, 0xC1, 0xD0})},
        {{0xC8, 1}, Bytes({0xC1, 0xC8, 1})},
        {{1, 2, 2}, Bytes({1, 0xC2, 2, 0})},
    };
    for (const Case& c : cases) {
        CRasterImage image;
        RowImage(image, c.row);
        EXPECT_EQ(PcxData(image), c.expected) << c.row.size();
    }
}

TEST(PcxWriter, HeaderAndEightBitPalette) {
    CRasterImage image;
    RowImage(image, {1, 2, 3});
    std::string file = EncodeToBytes(image, RASTER_FORMAT_PCX);
    EXPECT_EQ(file.substr(0, 16), Bytes({10, 5, 1, 8, 0, 0, 0, 0, 2, 0, 0, 0, 96, 0, 96, 0}));
    EXPECT_EQ(file[65], 1);
    EXPECT_EQ(file.substr(66, 4), Bytes({4, 0, 0, 0})); // 3 bytes per line rounded up; palette type 0
    ASSERT_GE(file.size(), 769u);
    EXPECT_EQ(static_cast<uint8_t>(file[file.size() - 769]), 12);
    EXPECT_EQ(file.substr(file.size() - 3), Bytes({255, 255, 255}));

    CRasterImage rgb;
    rgb.Create(2, 1, 24, 0);
    rgb.SetPixelColor(0, 0, Rgb(1, 2, 3));
    rgb.SetPixelColor(1, 0, Rgb(1, 5, 3));
    std::string rgbFile = EncodeToBytes(rgb, RASTER_FORMAT_PCX);
    EXPECT_EQ(rgbFile[65], 3);
    EXPECT_EQ(rgbFile[68], 1);
    EXPECT_EQ(rgbFile.substr(128), Bytes({0xC2, 1, 2, 5, 0xC2, 3})); // red, green, blue planes
}

TEST(PcxWriter, BitmapPlanesAreWhiteForIndexOne) {
    CRasterImage wide;
    wide.Create(9, 1, 1, 0);
    wide.SetStdPalette(); // 0 black, 1 white
    for (int x = 0; x < 9; ++x)
        wide.SetPixelIndex(x, 0, x == 8 ? 1 : 0);
    std::string file = EncodeToBytes(wide, RASTER_FORMAT_PCX);
    EXPECT_EQ(file.substr(16, 6), Bytes({0, 0, 0, 255, 255, 255}));
    EXPECT_EQ(file.substr(66, 2), Bytes({2, 0}));
    EXPECT_EQ(file.substr(128), Bytes({0, 0x80}));

    CRasterImage narrow;
    narrow.Create(3, 1, 1, 0);
    narrow.SetPaletteColor(0, Rgb(255, 255, 255)); // bright first: indexes are flipped
    narrow.SetPaletteColor(1, Rgb(0, 0, 0));
    for (int x = 0; x < 3; ++x)
        narrow.SetPixelIndex(x, 0, 0);
    EXPECT_EQ(EncodeToBytes(narrow, RASTER_FORMAT_PCX).substr(128), Bytes({0xC1, 0xE0, 0}));
}

TEST(GifWriter, OnePixelBitmapByteForByte) {
    CRasterImage image;
    image.Create(1, 1, 1, 0);
    image.SetStdPalette();
    image.SetPixelIndex(0, 0, 1);
    std::string expected = "GIF89a" + Bytes({1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255}) +
                           Bytes({0x21, 0xF9, 4, 0, 0, 0, 0xFF, 0}) + Bytes({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0}) +
                           Bytes({2, 2, 0x4C, 1, 0, 0x3B});
    EXPECT_EQ(EncodeToBytes(image, RASTER_FORMAT_GIF), expected);
}

namespace {

// Reads the LZW codes of a GIF file with one image and no local table.
struct GifData {
    int minimumCodeSize = 0;
    std::vector<int> blockSizes;
    std::string data;
};

GifData ImageData(const std::string& file, size_t colours) {
    size_t at = 13 + 3 * colours + 8 + 10;
    GifData gif;
    gif.minimumCodeSize = static_cast<uint8_t>(file[at++]);
    while (uint8_t size = static_cast<uint8_t>(file[at++])) {
        gif.blockSizes.push_back(size);
        gif.data += file.substr(at, size);
        at += size;
    }
    return gif;
}

// Decodes GIF LZW codes as a reader would and returns the code widths seen.
std::vector<int> CodeWidths(const GifData& gif, std::vector<int>* pixels) {
    const int clear = 1 << gif.minimumCodeSize, end = clear + 1;
    int width = gif.minimumCodeSize + 1, next = clear + 2;
    std::vector<std::string> table;
    auto reset = [&] {
        table.assign(static_cast<size_t>(clear + 2), "");
        for (int i = 0; i < clear; ++i)
            table[static_cast<size_t>(i)] = std::string(1, static_cast<char>(i));
        width = gif.minimumCodeSize + 1;
        next = clear + 2;
    };
    reset();
    std::vector<int> widths;
    uint64_t bits = 0;
    int held = 0;
    size_t at = 0;
    std::string previous;
    while (true) {
        while (held < width && at < gif.data.size()) {
            bits |= static_cast<uint64_t>(static_cast<uint8_t>(gif.data[at++])) << held;
            held += 8;
        }
        if (held < width)
            break;
        int code = static_cast<int>(bits & ((1u << width) - 1));
        bits >>= width;
        held -= width;
        widths.push_back(width);
        if (code == clear) {
            reset();
            previous.clear();
            continue;
        }
        if (code == end)
            break;
        std::string entry = code < next ? table[static_cast<size_t>(code)] : previous + previous[0];
        for (char c : entry)
            pixels->push_back(static_cast<uint8_t>(c));
        if (!previous.empty() && next < 4096) {
            table.push_back(previous + entry[0]);
            ++next;
        }
        previous = entry;
        if (next == (1 << width) && width < 12)
            ++width;
    }
    return widths;
}

} // namespace

TEST(GifWriter, CodesGrowToTwelveBitsAndClearAfterFourThousandEntries) {
    CRasterImage image;
    const int width = 300, height = 200;
    image.Create(width, height, 8, 0);
    image.SetStdPalette();
    std::vector<int> expected;
    uint32_t state = 12345;
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245u + 12345u;
            int index = static_cast<int>((state >> 16) % 256);
            image.SetPixelIndex(x, y, static_cast<uint8_t>(index));
            expected.push_back(index);
        }
    std::string file = EncodeToBytes(image, RASTER_FORMAT_GIF);
    GifData gif = ImageData(file, 256);
    EXPECT_EQ(gif.minimumCodeSize, 8);
    for (int size : gif.blockSizes)
        EXPECT_LE(size, 254);
    std::vector<int> pixels;
    std::vector<int> widths = CodeWidths(gif, &pixels);
    EXPECT_EQ(pixels, expected);
    ASSERT_GT(widths.size(), 300u);
    EXPECT_EQ(std::count(widths.begin(), widths.begin() + 256, 9), 256);
    EXPECT_EQ(widths[256], 10);
    EXPECT_EQ(*std::max_element(widths.begin(), widths.end()), 12);
    // Random data fills the table: a clear code follows and the width drops back to 9.
    auto twelve = std::find(widths.begin(), widths.end(), 12);
    EXPECT_NE(std::find(twelve, widths.end(), 9), widths.end());
    EXPECT_EQ(static_cast<uint8_t>(file.back()), 0x3B);
}

TEST(GifWriter, FourBitGrayImage) {
    CRasterImage image;
    image.Create(5, 2, 4, 0);
    image.SetGrayPalette();
    std::string file = EncodeToBytes(image, RASTER_FORMAT_GIF);
    EXPECT_EQ(static_cast<uint8_t>(file[10]), 0xE3);
    EXPECT_EQ(file.substr(13, 6), Bytes({0, 0, 0, 17, 17, 17}));
    EXPECT_EQ(ImageData(file, 16).minimumCodeSize, 4);
}

TEST(GifWriter, TrueColourImagesBecomeTiles) {
    CRasterImage image;
    image.Create(18, 16, 24, 0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 18; ++x)
            image.SetPixelColor(x, y, Rgb(x * 10, y * 10, 7));
    std::string file = EncodeToBytes(image, RASTER_FORMAT_GIF);
    EXPECT_EQ(static_cast<uint8_t>(file[10]), 0x11);
    // Find the four image descriptors: position and size of each tile.
    std::vector<std::string> tiles;
    size_t at = 13;
    while (static_cast<uint8_t>(file[at]) == 0x21) {
        at += 8; // graphic control extension
        ASSERT_EQ(static_cast<uint8_t>(file[at]), 0x2C);
        tiles.push_back(file.substr(at + 1, 8));
        EXPECT_EQ(static_cast<uint8_t>(file[at + 9]), 0x87);
        at += 10 + 768 + 1;
        while (uint8_t size = static_cast<uint8_t>(file[at++]))
            at += size;
    }
    EXPECT_EQ(tiles, (std::vector<std::string>{Bytes({0, 0, 0, 0, 17, 0, 15, 0}), Bytes({17, 0, 0, 0, 1, 0, 15, 0}),
                                               Bytes({0, 0, 15, 0, 17, 0, 1, 0}), Bytes({17, 0, 15, 0, 1, 0, 1, 0})}));
    EXPECT_EQ(static_cast<uint8_t>(file[at]), 0x3B);
}

TEST(GifWriter, AWriteErrorIsAFailure) {
    CRasterImage image;
    image.Create(4, 4, 8, 0);
    image.SetGrayPalette();
    codec_test::FailingStream stream;
    EXPECT_FALSE(image.Encode(&stream, RASTER_FORMAT_GIF));
    EXPECT_STREQ(image.GetLastError(), "Write Error in GIF file");
}
