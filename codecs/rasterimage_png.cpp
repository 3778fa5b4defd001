#include "codecs/rasterimage_png.h"

#include "codecs/png_file_writer.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

void WriteData(png_structp png, png_bytep data, png_size_t length) {
    auto* stream = static_cast<CByteStream*>(png_get_io_ptr(png));
    if (stream->Write(data, 1, static_cast<unsigned>(length)) != length)
        png_error(png, "Write Error");
}

// The library's complaints go into the writer's error text, not to
// standard error: the caller reports the failure in its own words.
void KeepError(png_structp png, png_const_charp message) {
    *static_cast<std::string*>(png_get_error_ptr(png)) = message;
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

void FlushData(png_structp png) {
    auto* stream = static_cast<CByteStream*>(png_get_io_ptr(png));
    if (!stream->Flush())
        png_error(png, "Flush Error");
}

// Compression settings by kind of picture, chosen by measurement on the
// images of real documents (size against time, zlib's default level 6 with
// all five filters tried on every row as the reference): pictures with large
// flat areas (screenshots, diagrams) compress as well unfiltered at level 1,
// about 1 % larger in a quarter of the time; photographs and scans keep the
// Paeth filter where it pays, at level 3, about 4 % larger in half the time.
bool IsFlat(CRasterImage& image) {
    if (image.GetBpp() < 8)
        return true;
    PngFlatness flatness;
    for (uint32_t y = 0; y < image.GetHeight(); y += PngFlatness::kFlatnessRowStep)
        flatness.AddRow(image.GetBits(y), image.GetWidth(), image.GetBpp() / 8);
    return flatness.Flat();
}

void ChooseCompression(png_structp png, CRasterImage& image) {
    const bool flat = IsFlat(image);
    png_set_compression_level(png, flat ? 1 : 3);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, flat ? PNG_FILTER_NONE : (PNG_FILTER_NONE | PNG_FILTER_PAETH));
}

// A row of stored pixels (blue, green, red) and their opacity as PNG's red,
// green, blue, alpha.
void PngRgbaRow(const uint8_t* pixels, const uint8_t* opacity, uint32_t width, uint8_t* out) {
    for (uint32_t x = 0; x < width; ++x, pixels += 3, out += 4) {
        out[0] = pixels[2];
        out[1] = pixels[1];
        out[2] = pixels[0];
        out[3] = opacity[x];
    }
}

} // namespace

bool CRasterImagePNG::Encode(CByteStream* stream) {
    if (EncodeSafeCheck(stream))
        return false;
    if (GetCodecOption(RASTER_FORMAT_PNG) != 1 && FilteredBytes() <= kWholePngLimit)
        return EncodeWhole(stream);
    return EncodeByRows(stream);
}

uint64_t CRasterImagePNG::FilteredBytes() const {
    // Alpha is kept beside the stored pixels and joins them in the PNG rows.
    const uint64_t rowBytes = head.biBitCount > 8 && HasAlpha() ? 4ull * GetWidth() : info.dwEffWidth;
    return (rowBytes + 1) * GetHeight();
}

bool CRasterImagePNG::EncodeWhole(CByteStream* stream) {
    PngFileLayout layout;
    const bool rgb = head.biBitCount > 8;
    const bool alpha = rgb && HasAlpha();
    layout.width = GetWidth();
    layout.height = GetHeight();
    layout.bitDepth = static_cast<uint8_t>(rgb ? head.biBitCount / 3 : head.biBitCount);
    layout.colourType = static_cast<uint8_t>(head.biClrUsed ? (IsGrayScale() ? 0 : 3) : alpha ? 6 : 2);
    if (layout.colourType == 3) {
        const uint32_t entries = head.biClrImportant ? head.biClrImportant : head.biClrUsed;
        for (uint32_t i = 0; i < entries; ++i) {
            const RGBQUAD c = GetPaletteColor(i);
            layout.paletteRgb.insert(layout.paletteRgb.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue});
        }
    }
    layout.xPixelsPerMetre = static_cast<uint32_t>(head.biXPelsPerMeter);
    layout.yPixelsPerMetre = static_cast<uint32_t>(head.biYPelsPerMeter);

    const bool flat = IsFlat(*this);
    PngFileWriter writer(layout, !flat, PngDeflateLevel(flat, FilteredBytes()));
    const size_t rowBytes = writer.RowBytes();
    const uint32_t width = GetWidth();
    for (int32_t y = head.biHeight - 1; y >= 0; --y) {
        uint8_t* row = writer.NextRow();
        if (alpha) {
            PngRgbaRow(RowBits(y), AlphaRow(y), width, row);
        } else {
            std::memcpy(row, RowBits(y), rowBytes);
            if (rgb)
                for (size_t x = 0; x + 2 < rowBytes; x += 3)
                    std::swap(row[x], row[x + 2]); // stored blue first, PNG red first
        }
        writer.EndRow();
    }
    std::string error;
    if (!writer.Write(stream, &error)) {
        SetLastError(("Error saving PNG file: " + error).c_str());
        return false;
    }
    return true;
}

bool CRasterImagePNG::EncodeByRows(CByteStream* stream) {
    std::string libraryError;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &libraryError, KeepError, IgnoreWarning);
    if (!png) {
        SetLastError("Failed to create PNG structure");
        return false;
    }
    png_infop pngInfo = png_create_info_struct(png);
    if (!pngInfo) {
        png_destroy_write_struct(&png, nullptr);
        SetLastError("Failed to initialize PNG info structure");
        return false;
    }
    std::vector<png_color> palette;
    std::vector<png_byte> row;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &pngInfo);
        SetLastError(("Error saving PNG file: " + libraryError).c_str());
        return false;
    }
    png_set_write_fn(png, stream, WriteData, FlushData);
    ChooseCompression(png, *this);

    const int colourChannels = head.biBitCount > 8 ? 3 : 1;
    const int bitDepth = head.biBitCount / colourChannels;
    const bool gray = IsGrayScale();
    const bool alpha = HasAlpha() && colourChannels == 3;
    const int channels = alpha ? 4 : colourChannels;
    const int colourType = head.biClrUsed ? (gray ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE)
                           : alpha        ? PNG_COLOR_TYPE_RGB_ALPHA
                                          : PNG_COLOR_TYPE_RGB;
    const int interlace = GetCodecOption(RASTER_FORMAT_PNG) == 1 ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE;

    png_color_16 background{};
    background.index = 0;
    background.red = background.green = background.blue = 255;
    background.gray = 0;
    png_set_bKGD(png, pngInfo, &background);
    png_set_pHYs(png, pngInfo, static_cast<png_uint_32>(head.biXPelsPerMeter),
                 static_cast<png_uint_32>(head.biYPelsPerMeter), PNG_RESOLUTION_METER);
    png_set_IHDR(png, pngInfo, GetWidth(), GetHeight(), bitDepth, colourType, interlace,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (head.biClrUsed && colourType == PNG_COLOR_TYPE_PALETTE) {
        const uint32_t entries = head.biClrImportant ? head.biClrImportant : head.biClrUsed;
        for (uint32_t i = 0; i < entries; ++i) {
            RGBQUAD c = GetPaletteColor(i);
            palette.push_back(png_color{c.rgbRed, c.rgbGreen, c.rgbBlue});
        }
        png_set_PLTE(png, pngInfo, palette.data(), static_cast<int>(palette.size()));
    }
    const size_t rowSize = std::max<size_t>(info.dwEffWidth, static_cast<size_t>(GetWidth()) * channels * (bitDepth / 8));
    row.resize(rowSize);
    png_write_info(png, pngInfo);

    const int passes = png_set_interlace_handling(png);
    const uint32_t width = GetWidth();
    for (int pass = 0; pass < passes; ++pass) {
        for (int32_t y = head.biHeight - 1; y >= 0; --y) {
            if (alpha) {
                PngRgbaRow(RowBits(y), AlphaRow(y), width, row.data());
            } else {
                std::memcpy(row.data(), RowBits(y), info.dwEffWidth);
                if (colourType == PNG_COLOR_TYPE_RGB)
                    for (uint32_t x = 0; x < width; ++x)
                        std::swap(row[3 * x], row[3 * x + 2]);
            }
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, pngInfo);
    png_destroy_write_struct(&png, &pngInfo);
    return true;
}
