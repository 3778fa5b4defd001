// JPEG, PNG and TIFF files read back with the libraries' own readers.
#include "codecs/rasterimage.h"
#include "tests/codecs/codec_test_support.h"
#include "tests/support/test_support.h"

#include <csetjmp>
#include <gtest/gtest.h>
#include <random>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

using codec_test::EncodeToBytes;
using codec_test::Rgb;

namespace {

struct JpegInfo {
    int width = 0, height = 0, components = 0;
    int hSampling = 0, vSampling = 0;
    int densityUnit = 0, xDensity = 0;
    int quant0 = 0; // first value of the luminance quantisation table
    std::vector<uint8_t> pixels;
};

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

bool ReadJpeg(const std::string& data, JpegInfo* out) {
    jpeg_decompress_struct cinfo;
    JpegError error;
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JpegError*>(c->err)->jump, 1); };
    jpeg_create_decompress(&cinfo);
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.data()), data.size());
    jpeg_read_header(&cinfo, TRUE);
    out->width = static_cast<int>(cinfo.image_width);
    out->height = static_cast<int>(cinfo.image_height);
    out->components = cinfo.num_components;
    out->hSampling = cinfo.comp_info[0].h_samp_factor;
    out->vSampling = cinfo.comp_info[0].v_samp_factor;
    out->densityUnit = cinfo.density_unit;
    out->xDensity = cinfo.X_density;
    out->quant0 = cinfo.quant_tbl_ptrs[0] ? cinfo.quant_tbl_ptrs[0]->quantval[0] : 0;
    jpeg_start_decompress(&cinfo);
    out->pixels.resize(static_cast<size_t>(out->width) * out->height * cinfo.output_components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out->pixels.data() + cinfo.output_scanline * out->width * cinfo.output_components;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// The first luminance quantisation value libjpeg uses for a quality.
int QuantFor(int quality) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    cinfo.in_color_space = JCS_RGB;
    cinfo.input_components = 3;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, FALSE);
    int value = cinfo.quant_tbl_ptrs[0]->quantval[0];
    jpeg_destroy_compress(&cinfo);
    return value;
}

CRasterImage* Gradient(CRasterImage& image, uint32_t bpp) {
    image.Create(16, 8, bpp, 0);
    if (bpp <= 8)
        image.SetGrayPalette();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            if (bpp == 24)
                image.SetPixelColor(x, y, Rgb(x * 16, y * 32, 200));
            else
                image.SetPixelIndex(x, y, static_cast<uint8_t>((x + y) * 8));
        }
    return &image;
}

struct PngInfo {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    int paletteEntries = -1; // -1: no PLTE
    bool hasBackground = false;
    int backgroundIndex = -1;
    png_uint_32 xPpm = 0, yPpm = 0;
    std::vector<std::vector<uint8_t>> rows;
};

bool ReadPng(const std::string& path, PngInfo* out) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    out->width = png_get_image_width(png, info);
    out->height = png_get_image_height(png, info);
    out->bitDepth = png_get_bit_depth(png, info);
    out->colourType = png_get_color_type(png, info);
    png_colorp palette;
    int entries;
    if (png_get_PLTE(png, info, &palette, &entries))
        out->paletteEntries = entries;
    png_color_16p background;
    if (png_get_bKGD(png, info, &background)) {
        out->hasBackground = true;
        out->backgroundIndex = background->index;
    }
    int unit;
    png_get_pHYs(png, info, &out->xPpm, &out->yPpm, &unit);
    size_t rowBytes = png_get_rowbytes(png, info);
    for (png_uint_32 y = 0; y < out->height; ++y) {
        std::vector<uint8_t> row(rowBytes);
        png_read_row(png, row.data(), nullptr);
        out->rows.push_back(row);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return true;
}

} // namespace

TEST(JpegWriter, RgbAndGrayImages) {
    CRasterImage rgb;
    Gradient(rgb, 24);
    JpegInfo info;
    ASSERT_TRUE(ReadJpeg(EncodeToBytes(rgb, RASTER_FORMAT_JPG), &info));
    EXPECT_EQ(info.width, 16);
    EXPECT_EQ(info.height, 8);
    EXPECT_EQ(info.components, 3);
    EXPECT_EQ(info.hSampling, 2);
    EXPECT_EQ(info.vSampling, 2);
    EXPECT_EQ(info.densityUnit, 1);
    EXPECT_EQ(info.xDensity, 96);
    EXPECT_EQ(info.quant0, QuantFor(90));
    // Top-left pixel of the picture is the first of the file: red 0, green 224, blue 200.
    EXPECT_NEAR(info.pixels[0], 0, 24); // chroma is subsampled: near, not exact
    EXPECT_NEAR(info.pixels[1], 224, 24);
    EXPECT_NEAR(info.pixels[2], 200, 24);

    CRasterImage gray;
    Gradient(gray, 8);
    gray.SetJpegQuality(75);
    ASSERT_TRUE(ReadJpeg(EncodeToBytes(gray, RASTER_FORMAT_JPG), &info));
    EXPECT_EQ(info.components, 1);
    EXPECT_EQ(info.quant0, QuantFor(75));
}

TEST(JpegWriter, RefusesPalettesThatAreNotGrayRamps) {
    for (uint32_t bpp : {1u, 4u}) {
        CRasterImage image;
        Gradient(image, bpp);
        bool ok = true;
        EXPECT_EQ(EncodeToBytes(image, RASTER_FORMAT_JPG, &ok), "");
        EXPECT_FALSE(ok);
        EXPECT_STREQ(image.GetLastError(), "JPEG can save only RGB or GreyScale images");
    }
    CRasterImage image;
    Gradient(image, 24);
    codec_test::FailingStream stream;
    EXPECT_FALSE(image.Encode(&stream, RASTER_FORMAT_JPG));
    EXPECT_NE(std::string(image.GetLastError()), "");
}

TEST(PngWriter, BitmapGrayAndRgbImages) {
    testing_support::TempDir dir;
    CRasterImage bitmap, gray, rgb;
    bitmap.Create(3, 2, 1, 0);
    bitmap.SetStdPalette();
    bitmap.SetPixelIndex(0, 1, 1);
    Gradient(gray, 8);
    Gradient(rgb, 24);
    ASSERT_TRUE(bitmap.Save((dir / "b.png").c_str(), RASTER_FORMAT_PNG));
    ASSERT_TRUE(gray.Save((dir / "g.png").c_str(), RASTER_FORMAT_PNG));
    ASSERT_TRUE(rgb.Save((dir / "c.png").c_str(), RASTER_FORMAT_PNG));

    PngInfo b, g, c;
    ASSERT_TRUE(ReadPng(dir / "b.png", &b));
    EXPECT_EQ(b.colourType, PNG_COLOR_TYPE_PALETTE);
    EXPECT_EQ(b.bitDepth, 1);
    EXPECT_EQ(b.paletteEntries, 2);
    EXPECT_TRUE(b.hasBackground);
    EXPECT_EQ(b.backgroundIndex, 0);
    EXPECT_EQ(b.rows[0][0], 0x80); // top-left pixel is index 1
    EXPECT_EQ(b.xPpm, 3780u);

    ASSERT_TRUE(ReadPng(dir / "g.png", &g));
    EXPECT_EQ(g.colourType, PNG_COLOR_TYPE_GRAY);
    EXPECT_EQ(g.bitDepth, 8);
    EXPECT_EQ(g.paletteEntries, -1);
    EXPECT_EQ(g.rows[0][0], gray.GetPixelIndex(0, 7));
    EXPECT_EQ(g.yPpm, 3780u);

    ASSERT_TRUE(ReadPng(dir / "c.png", &c));
    EXPECT_EQ(c.colourType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(c.rows[0][0], 0);   // red of the top-left pixel
    EXPECT_EQ(c.rows[0][1], 224); // green
    EXPECT_EQ(c.rows[0][2], 200); // blue
}

// Flat pictures and noisy ones are compressed differently; both read back
// pixel for pixel.
TEST(PngWriter, EveryPixelReadsBackWhateverTheCompression) {
    testing_support::TempDir dir;
    std::mt19937 random(5);
    const struct {
        const char* name;
        bool noisy;
    } pictures[] = {{"flat", false}, {"noisy", true}};
    for (const auto& picture : pictures) {
        CRasterImage rgb;
        rgb.Create(97, 41, 24, 0);
        for (int32_t y = 0; y < 41; ++y)
            for (int32_t x = 0; x < 97; ++x) {
                const uint8_t level = picture.noisy ? static_cast<uint8_t>(random()) : static_cast<uint8_t>(x / 30 * 80);
                rgb.SetPixelColor(x, y, RGBQUAD{level, static_cast<uint8_t>(level / 2), static_cast<uint8_t>(y), 0});
            }
        const std::string path = dir / (std::string(picture.name) + ".png");
        ASSERT_TRUE(rgb.Save(path.c_str(), RASTER_FORMAT_PNG));
        PngInfo read;
        ASSERT_TRUE(ReadPng(path, &read));
        for (int32_t y = 0; y < 41; ++y)
            for (int32_t x = 0; x < 97; ++x) {
                const RGBQUAD c = rgb.GetPixelColor(x, 40 - y); // the file's first row is the image's top
                ASSERT_EQ(read.rows[y][3 * x], c.rgbRed) << picture.name << " " << x << "," << y;
                ASSERT_EQ(read.rows[y][3 * x + 1], c.rgbGreen) << picture.name;
                ASSERT_EQ(read.rows[y][3 * x + 2], c.rgbBlue) << picture.name;
            }
    }
}

TEST(LibraryWriters, WriteErrorsFailWithTheLibrarysWordsAndPrintNothing) {
    const struct {
        uint32_t format;
        const char* error; // the writer's text, then the library's
    } cases[] = {
        {RASTER_FORMAT_PNG, "Error saving PNG file: Write Error"},
        {RASTER_FORMAT_JPG, "Output file write error --- out of disk space?"},
        {RASTER_FORMAT_TIF, "initialization fail: TIFF IMAGE: Error writing TIFF header"},
    };
    for (const auto& c : cases) {
        CRasterImage image;
        Gradient(image, 24);
        struct Refusing : CMemStream {
            unsigned Write(const void*, unsigned, unsigned) override { return 0; }
        } stream;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(image.Encode(&stream, c.format)) << c.error;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.error;
        const std::string error = image.GetLastError();
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
}

namespace {

struct TiffInfo {
    uint16_t photometric = 0, compression = 0, predictor = 0, bitsPerSample = 0, samples = 0;
    uint16_t extraSamples = 0, extraSampleKind = 0;
    std::vector<uint16_t> red;
    std::vector<uint8_t> firstRow;
};

bool ReadTiff(const std::string& path, TiffInfo* out) {
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (!tiff)
        return false;
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &out->photometric);
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &out->compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PREDICTOR, &out->predictor);
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &out->bitsPerSample);
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &out->samples);
    uint16_t* extraKinds = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &out->extraSamples, &extraKinds) && out->extraSamples > 0)
        out->extraSampleKind = extraKinds[0];
    uint16_t *r, *g, *b;
    if (TIFFGetField(tiff, TIFFTAG_COLORMAP, &r, &g, &b))
        out->red.assign(r, r + (1 << out->bitsPerSample));
    out->firstRow.resize(static_cast<size_t>(TIFFScanlineSize(tiff)));
    bool ok = TIFFReadScanline(tiff, out->firstRow.data(), 0, 0) == 1;
    TIFFClose(tiff);
    return ok;
}

} // namespace

TEST(TiffWriter, PhotometricAndCompressionByDepth) {
    testing_support::TempDir dir;
    CRasterImage bitmap;
    bitmap.Create(8, 1, 1, 0);
    bitmap.SetStdPalette(); // dark first, as every PBM image
    bitmap.SetPixelIndex(0, 0, 0); // black
    for (int x = 1; x < 8; ++x)
        bitmap.SetPixelIndex(x, 0, 1);
    ASSERT_TRUE(bitmap.Save((dir / "b.tif").c_str(), RASTER_FORMAT_TIF));
    TiffInfo b;
    ASSERT_TRUE(ReadTiff(dir / "b.tif", &b));
    EXPECT_EQ(b.photometric, PHOTOMETRIC_MINISWHITE);
    EXPECT_EQ(b.compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(b.firstRow[0], 0x80); // the black pixel is a set bit
    // The image itself now holds the inverted bits and the swapped palette.
    EXPECT_EQ(bitmap.GetPaletteColor(0), Rgb(255, 255, 255));
    EXPECT_EQ(bitmap.GetPixelIndex(0, 0), 1);

    CRasterImage gray, rgb, mapped;
    Gradient(gray, 8);
    Gradient(rgb, 24);
    mapped.Create(4, 1, 8, 0);
    mapped.SetStdPalette();
    ASSERT_TRUE(gray.Save((dir / "g.tif").c_str(), RASTER_FORMAT_TIF));
    ASSERT_TRUE(rgb.Save((dir / "c.tif").c_str(), RASTER_FORMAT_TIF));
    ASSERT_TRUE(mapped.Save((dir / "m.tif").c_str(), RASTER_FORMAT_TIF));
    TiffInfo g, c, m;
    ASSERT_TRUE(ReadTiff(dir / "g.tif", &g));
    EXPECT_EQ(g.photometric, PHOTOMETRIC_MINISBLACK);
    EXPECT_EQ(g.compression, COMPRESSION_LZW);
    EXPECT_EQ(g.predictor, PREDICTOR_HORIZONTAL);
    EXPECT_EQ(g.firstRow[3], gray.GetPixelIndex(3, 7));
    ASSERT_TRUE(ReadTiff(dir / "c.tif", &c));
    EXPECT_EQ(c.photometric, PHOTOMETRIC_RGB);
    EXPECT_EQ(c.compression, COMPRESSION_JPEG);
    EXPECT_EQ(c.samples, 3);
    ASSERT_TRUE(ReadTiff(dir / "m.tif", &m));
    EXPECT_EQ(m.photometric, PHOTOMETRIC_PALETTE);
    ASSERT_EQ(m.red.size(), 256u);
    EXPECT_EQ(m.red[1], 128 * 257);
    EXPECT_EQ(m.red[255], 65535);

    CRasterImage ramp16;
    ramp16.Create(2, 1, 4, 0);
    ramp16.SetGrayPalette(); // steps of 17: not the identity, so a palette
    ASSERT_TRUE(ramp16.Save((dir / "r.tif").c_str(), RASTER_FORMAT_TIF));
    TiffInfo r;
    ASSERT_TRUE(ReadTiff(dir / "r.tif", &r));
    EXPECT_EQ(r.photometric, PHOTOMETRIC_PALETTE);
    EXPECT_EQ(r.red.size(), 16u);
}

namespace {

// A 2x2 colour image with an alpha plane: opaque red and a half-transparent
// green on the top row, a transparent blue and an opaque white below.
void ImageWithAlpha(CRasterImage& image) {
    image.Create(2, 2, 24, 0);
    image.SetPixelColor(0, 1, Rgb(255, 0, 0));
    image.SetPixelColor(1, 1, Rgb(0, 255, 0));
    image.SetPixelColor(0, 0, Rgb(0, 0, 255));
    image.SetPixelColor(1, 0, Rgb(255, 255, 255));
    ASSERT_TRUE(image.CreateAlpha());
    image.AlphaRow(1)[1] = 128;
    image.AlphaRow(0)[0] = 0;
}

const std::vector<uint8_t> kRgbaTopRow = {255, 0, 0, 255, 0, 255, 0, 128};

} // namespace

TEST(PngWriter, AnAlphaPlaneMakesRgbaPixels) {
    testing_support::TempDir dir;
    CRasterImage image;
    ImageWithAlpha(image);
    ASSERT_TRUE(image.Save((dir / "a.png").c_str(), RASTER_FORMAT_PNG));
    PngInfo read;
    ASSERT_TRUE(ReadPng(dir / "a.png", &read));
    EXPECT_EQ(read.colourType, PNG_COLOR_TYPE_RGB_ALPHA);
    EXPECT_EQ(read.bitDepth, 8);
    EXPECT_EQ(read.rows[0], kRgbaTopRow);
    EXPECT_EQ(read.rows[1], (std::vector<uint8_t>{0, 0, 255, 0, 255, 255, 255, 255}));
}

// The alpha is kept exactly: lossless compression, unassociated alpha.
TEST(TiffWriter, AnAlphaPlaneIsAnExtraSampleKeptExactly) {
    testing_support::TempDir dir;
    CRasterImage image;
    ImageWithAlpha(image);
    ASSERT_TRUE(image.Save((dir / "a.tif").c_str(), RASTER_FORMAT_TIF));
    TiffInfo read;
    ASSERT_TRUE(ReadTiff(dir / "a.tif", &read));
    EXPECT_EQ(read.photometric, PHOTOMETRIC_RGB);
    EXPECT_EQ(read.samples, 4);
    EXPECT_EQ(read.extraSamples, 1);
    EXPECT_EQ(read.extraSampleKind, EXTRASAMPLE_UNASSALPHA);
    EXPECT_EQ(read.compression, COMPRESSION_LZW);
    EXPECT_EQ(read.firstRow, kRgbaTopRow);
}
