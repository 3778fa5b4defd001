// PNG files compressed whole: every pixel read back through libpng, and
// sizes against libpng's own row-by-row compression at the settings it used
// before (zlib level 1 unfiltered for flat pictures, level 3 with Paeth
// tried for the others).
#include "codecs/rasterimage.h"
#include "tests/codecs/codec_test_support.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

using codec_test::EncodeToBytes;
using codec_test::Rgb;

namespace {

// The file's pixels as 8-bit RGB, top row first, through libpng's reader.
bool DecodeToRgb(const std::string& file, uint32_t* width, uint32_t* height, std::vector<uint8_t>* rgb) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return false;
    image.format = PNG_FORMAT_RGB;
    rgb->resize(PNG_IMAGE_SIZE(image));
    const bool read = png_image_finish_read(&image, nullptr, rgb->data(), 0, nullptr) != 0;
    *width = image.width;
    *height = image.height;
    png_image_free(&image);
    return read;
}

// The chunk types in order when the signature and every chunk's length and
// CRC are sound, else "broken".
std::string ChunkTypes(const std::string& file) {
    if (file.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0)
        return "broken";
    std::string types;
    for (size_t at = 8; at < file.size();) {
        if (file.size() - at < 12)
            return "broken";
        const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(file[i])); };
        const uint32_t length = byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
        if (file.size() - at - 12 < length)
            return "broken";
        const uint32_t stored = byte(at + 8 + length) << 24 | byte(at + 9 + length) << 16 |
                                byte(at + 10 + length) << 8 | byte(at + 11 + length);
        const auto* typeAndData = reinterpret_cast<const Bytef*>(file.data() + at + 4);
        if (crc32(0, typeAndData, length + 4) != stored)
            return "broken";
        types += (types.empty() ? "" : " ") + file.substr(at + 4, 4);
        at += 12 + length;
    }
    return types;
}

// libpng writing the image row by row with zlib.
std::string LibpngRowByRow(CRasterImage& image, bool flat) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t length) {
            static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<char*>(data), length);
        },
        nullptr);
    png_set_compression_level(png, flat ? 1 : 3);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, flat ? PNG_FILTER_NONE : (PNG_FILTER_NONE | PNG_FILTER_PAETH));
    const bool rgb = image.GetBpp() == 24;
    png_set_IHDR(png, info, image.GetWidth(), image.GetHeight(), rgb ? 8 : static_cast<int>(image.GetBpp()),
                 rgb ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(image.GetEffWidth());
    for (int32_t y = static_cast<int32_t>(image.GetHeight()) - 1; y >= 0; --y) {
        std::memcpy(row.data(), image.GetBits(y), row.size());
        if (rgb)
            for (size_t x = 0; x + 2 < row.size(); x += 3)
                std::swap(row[x], row[x + 2]);
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

enum class Picture { Flat, Noisy, Photo };

// Flat: rectangles of a few colours with thin lines, as screenshots and
// diagrams are; Noisy: random bytes; Photo: smooth gradients with a little
// noise, as photographs and scans are.
void Paint(CRasterImage& image, Picture picture) {
    std::mt19937 random(11);
    const int32_t width = static_cast<int32_t>(image.GetWidth()), height = static_cast<int32_t>(image.GetHeight());
    const bool palette = image.GetBpp() <= 8;
    const uint32_t levels = palette ? 1u << image.GetBpp() : 256;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint32_t r, g, b;
            switch (picture) {
            case Picture::Flat: {
                const uint32_t block = (x / 37 + y / 23 * 3) % 5;
                const bool line = x % 41 == 0 || y % 29 == 0;
                r = line ? 0 : block * 60;
                g = line ? 0 : 255 - block * 40;
                b = line ? 0 : 128;
                break;
            }
            case Picture::Noisy:
                r = random() & 255, g = random() & 255, b = random() & 255;
                break;
            case Picture::Photo:
            default: {
                const uint32_t grain = random() % 6;
                r = (x * 200 / width + grain) & 255;
                g = (y * 180 / height + x * 40 / width + grain) & 255;
                b = (150 + (x + y) % 60 + grain) & 255;
                break;
            }
            }
            if (palette)
                image.SetPixelIndex(x, y, static_cast<uint8_t>((r + g + b) / 3 * levels / 256));
            else
                image.SetPixelColor(x, y, Rgb(static_cast<int>(r), static_cast<int>(g), static_cast<int>(b)));
        }
}

struct Case {
    const char* name;
    uint32_t width, height, bpp;
    bool grayPalette;
    Picture picture;
};

// The case's picture, with a gray or the standard palette where it has one.
bool Build(CRasterImage& image, const Case& c) {
    if (image.Create(c.width, c.height, c.bpp, 0) == nullptr)
        return false;
    if (c.grayPalette)
        image.SetGrayPalette();
    else if (c.bpp <= 8)
        image.SetStdPalette();
    Paint(image, c.picture);
    return true;
}

} // namespace

// Each kind of image the writer takes (palette and gray at 1, 4 and 8 bits,
// RGB), at odd widths that leave bits or bytes over at the end of a row, and
// small and large enough for both compression levels: sound chunks, and
// every pixel as it was.
TEST(PngFileWriter, EveryPixelReadsBackThroughLibpng) {
    const Case cases[] = {
        {"bitmap 1 bit", 83, 17, 1, false, Picture::Noisy},      {"gray 4 bits", 45, 31, 4, true, Picture::Photo},
        {"palette 4 bits", 45, 31, 4, false, Picture::Flat},     {"gray 8 bits", 301, 257, 8, true, Picture::Photo},
        {"palette 8 bits", 97, 13, 8, false, Picture::Noisy},    {"rgb one pixel", 1, 1, 24, false, Picture::Noisy},
        {"rgb flat", 331, 217, 24, false, Picture::Flat},        {"rgb photo", 333, 211, 24, false, Picture::Photo},
        {"rgb noisy, small", 7, 5, 24, false, Picture::Noisy},   {"gray 1 pixel wide", 1, 300, 8, true, Picture::Photo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRasterImage image;
        ASSERT_TRUE(Build(image, c));
        bool ok = false;
        const std::string file = EncodeToBytes(image, RASTER_FORMAT_PNG, &ok);
        ASSERT_TRUE(ok);
        const std::string chunks = ChunkTypes(file);
        EXPECT_TRUE(chunks == "IHDR PLTE bKGD pHYs IDAT IEND" || chunks == "IHDR bKGD pHYs IDAT IEND") << chunks;
        uint32_t width = 0, height = 0;
        std::vector<uint8_t> rgb;
        ASSERT_TRUE(DecodeToRgb(file, &width, &height, &rgb));
        ASSERT_EQ(width, c.width);
        ASSERT_EQ(height, c.height);
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                const RGBQUAD expected = image.GetPixelColor(x, height - 1 - y); // the file's first row is the top
                const uint8_t* got = &rgb[3 * (static_cast<size_t>(y) * width + x)];
                ASSERT_EQ(got[0], expected.rgbRed) << x << "," << y;
                ASSERT_EQ(got[1], expected.rgbGreen) << x << "," << y;
                ASSERT_EQ(got[2], expected.rgbBlue) << x << "," << y;
            }
    }
}

// Files at most 2 % larger than libpng's at the settings used before for
// the same kind of picture.
TEST(PngFileWriter, SizesMatchLibpngsRowByRowCompression) {
    const Case cases[] = {
        {"flat rgb", 900, 700, 24, false, Picture::Flat},
        {"photo rgb", 640, 480, 24, false, Picture::Photo},
        {"photo gray", 800, 600, 8, true, Picture::Photo},
        {"flat gray", 1000, 300, 8, true, Picture::Flat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRasterImage image;
        ASSERT_TRUE(Build(image, c));
        const std::string ours = EncodeToBytes(image, RASTER_FORMAT_PNG);
        const std::string reference = LibpngRowByRow(image, c.picture == Picture::Flat);
        ASSERT_FALSE(reference.empty());
        EXPECT_LE(static_cast<double>(ours.size()), 1.02 * static_cast<double>(reference.size()))
            << ours.size() << " against " << reference.size();
    }
}
