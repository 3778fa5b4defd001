// PNM files written as PNG straight from the file: the same bytes as the PNG
// writer gives for the loaded image, and files it does not take are left to
// the loader.
#include "codecs/pnm_to_png.h"
#include "codecs/rasterimage.h"
#include "tests/codecs/codec_test_support.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// A raw PNM file of the kind ('4', '5' or '6') whose sample bytes are given
// by byte(x, y) for each byte of a row.
std::string RawPnm(char kind, int width, int height, const std::function<uint8_t(int, int)>& byte,
                   const std::string& maxValue = "255") {
    const int rowBytes = kind == '4' ? (width + 7) / 8 : kind == '5' ? width : 3 * width;
    std::string file = std::string("P") + kind + "\n" + std::to_string(width) + " " + std::to_string(height) + "\n" +
                       (kind == '4' ? "" : maxValue + "\n");
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < rowBytes; ++x)
            file += static_cast<char>(byte(x, y));
    return file;
}

// A PAM file of red, green, blue and opacity whose bytes are given by
// byte(x, y) for each byte of a row.
std::string RgbaPam(int width, int height, const std::function<uint8_t(int, int)>& byte) {
    std::string file = "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " + std::to_string(height) +
                       "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 4 * width; ++x)
            file += static_cast<char>(byte(x, y));
    return file;
}

// The PNG the loaded image gives, as the conversion of a loaded file writes it.
std::string LoadedPng(const std::string& path) {
    CRasterImage image(path.c_str(), RASTER_FORMAT_BMP);
    EXPECT_TRUE(image.IsValid()) << image.GetLastError();
    return codec_test::EncodeToBytes(image, RASTER_FORMAT_PNG);
}

std::string StreamedPng(PnmToPng& streamed) {
    CMemStream stream;
    stream.Open();
    std::string error;
    EXPECT_TRUE(streamed.Write(&stream, &error)) << error;
    return std::string(reinterpret_cast<const char*>(stream.GetBuffer(false)), static_cast<size_t>(stream.Size()));
}

struct PnmCase {
    const char* name;
    std::string file;
};

} // namespace

TEST(PnmToPng, GivesTheBytesOfTheLoadedImagesPng) {
    std::mt19937 random(7);
    auto noise = [&](int, int) { return static_cast<uint8_t>(random()); };
    auto gradient = [](int x, int y) { return static_cast<uint8_t>(x * 3 + y * 5); };
    auto bands = [](int x, int y) { return static_cast<uint8_t>((x / 40 + y / 30) % 2 ? 200 : 20); };
    const std::vector<PnmCase> cases{
        {"photo-like RGB, Paeth tried, over 64 KB", RawPnm('6', 301, 203, gradient)},
        {"noisy RGB", RawPnm('6', 97, 61, noise)},
        {"flat RGB bands", RawPnm('6', 400, 170, bands)},
        {"small gray", RawPnm('5', 13, 9, gradient)},
        {"large gray", RawPnm('5', 517, 300, gradient)},
        {"one pixel wide", RawPnm('6', 1, 50, gradient)},
        {"bitmap of odd width with set padding bits", RawPnm('4', 13, 11, noise)},
        {"large bitmap", RawPnm('4', 1203, 777, bands)},
        {"photo-like RGB with opacity", RgbaPam(301, 203, gradient)},
        // Flat colour under opacity that changes from pixel to pixel.
        {"flat RGB bands with opacity", RgbaPam(400, 170, [&](int x, int y) { return x % 4 == 3 ? x + y : bands(x / 4, y); })},
        {"small noisy RGB with opacity", RgbaPam(13, 9, noise)},
    };
    TempDir dir;
    for (const PnmCase& test : cases) {
        SCOPED_TRACE(test.name);
        const std::string path = dir / "image.pnm";
        WriteFile(path, test.file);
        CFileStream file;
        ASSERT_TRUE(file.Open(path.c_str(), "rb"));
        PnmToPng streamed(file);
        ASSERT_TRUE(streamed.Taken());
        const std::string expected = LoadedPng(path);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(StreamedPng(streamed), expected);
    }
}

TEST(PnmToPng, LeavesOtherFilesToTheLoader) {
    auto gray = [](int x, int y) { return static_cast<uint8_t>(x + y); };
    const std::vector<PnmCase> cases{
        {"plain PPM", "P3\n1 1\n255\n1 2 3\n"},
        {"16-bit samples", RawPnm('6', 4, 4, gray, "65535")},
        {"4-bit gray", RawPnm('5', 4, 4, [](int, int) { return 3; }, "15")},
        {"shorter than its header says", RawPnm('6', 40, 40, gray).substr(0, 200)},
        {"no PNM file", "BM not a PNM file"},
        {"PAM of gray and opacity", "P7\nWIDTH 1\nHEIGHT 1\nDEPTH 2\nMAXVAL 255\nTUPLTYPE GRAYSCALE_ALPHA\nENDHDR\nab"},
        {"PAM of 4-bit samples", "P7\nWIDTH 1\nHEIGHT 1\nDEPTH 4\nMAXVAL 15\nTUPLTYPE RGB_ALPHA\nENDHDR\nabcd"},
    };
    for (const PnmCase& test : cases) {
        SCOPED_TRACE(test.name);
        CMemStream bytes(reinterpret_cast<uint8_t*>(const_cast<char*>(test.file.data())),
                         static_cast<int32_t>(test.file.size()));
        EXPECT_FALSE(PnmToPng(bytes).Taken());
    }
}
