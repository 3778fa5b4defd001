#include "codecs/rasterimage_tif.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

CByteStream* StreamOf(thandle_t handle) { return static_cast<CByteStream*>(handle); }

tsize_t ReadProc(thandle_t handle, tdata_t buffer, tsize_t size) {
    return StreamOf(handle)->Read(buffer, 1, static_cast<unsigned>(size));
}
tsize_t WriteProc(thandle_t handle, tdata_t buffer, tsize_t size) {
    return StreamOf(handle)->Write(buffer, 1, static_cast<unsigned>(size));
}
toff_t SeekProc(thandle_t handle, toff_t offset, int origin) {
    const toff_t failed = static_cast<toff_t>(0xFFFFFFFF);
    if (offset == failed || offset > INT32_MAX || !StreamOf(handle)->Seek(static_cast<int32_t>(offset), origin))
        return failed;
    return origin == SEEK_SET ? offset : static_cast<toff_t>(StreamOf(handle)->Tell());
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t handle) { return static_cast<toff_t>(StreamOf(handle)->Size()); }
int MapProc(thandle_t, tdata_t*, toff_t*) { return 0; }
void UnmapProc(thandle_t, tdata_t, toff_t) {}

// The library's first complaint about a file goes into its writer's error
// text; the later ones follow from it.
int KeepError(TIFF*, void* userData, const char* module, const char* format, va_list arguments) {
    auto* text = static_cast<std::string*>(userData);
    if (text->empty()) {
        char message[512];
        std::vsnprintf(message, sizeof message, format, arguments);
        *text = module && *module ? std::string(module) + ": " + message : message;
    }
    return 1; // handled: nothing goes to standard error
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

TIFF* OpenTiff(CByteStream* stream, std::string* libraryError) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepError, libraryError);
    TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreWarning, nullptr);
    TIFF* tiff = TIFFClientOpenExt("TIFF IMAGE", "a", stream, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                   MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    return tiff;
}

} // namespace

CRasterImageTIF::~CRasterImageTIF() {
    if (tiff_)
        TIFFClose(tiff_);
}

void CRasterImageTIF::Reset() {
    tiff_ = nullptr;
    multipage_ = false;
    pages_ = 0;
}

bool CRasterImageTIF::Encode(CByteStream* stream, bool append) {
    if (EncodeSafeCheck(stream))
        return false;
    // A failure is told through the result, with the library's words; its
    // complaints about no file in particular would only repeat it.
    static const bool quiet = (TIFFSetErrorHandler(nullptr), TIFFSetWarningHandler(nullptr), true);
    (void)quiet;
    const char* failure = nullptr;
    if (!tiff_) {
        libraryError_.clear();
        tiff_ = OpenTiff(stream, &libraryError_);
    }
    if (!tiff_) {
        failure = "initialization fail";
    } else {
        multipage_ = append || pages_ > 0;
        ++pages_;
        if (!EncodePage(tiff_))
            failure = "Error saving TIFF file";
        else if (!append) {
            // Closing writes the directory; a failure there (a full disk) is
            // a failed save, which TIFFClose would not say.
            const bool flushed = TIFFFlush(tiff_) != 0;
            TIFFClose(tiff_);
            Reset();
            if (!flushed) {
                Fail("Error saving TIFF file");
                return false;
            }
        } else if (!TIFFWriteDirectory(tiff_)) {
            failure = "Error saving TIFF directory";
        }
    }
    if (failure) {
        if (tiff_)
            TIFFClose(tiff_);
        Reset();
        Fail(failure);
        return false;
    }
    return true;
}

void CRasterImageTIF::Fail(const char* failure) {
    SetLastError(libraryError_.empty() ? failure : (std::string(failure) + ": " + libraryError_).c_str());
}

bool CRasterImageTIF::EncodePage(TIFF* tiff) {
    const uint32_t bpp = head.biBitCount;
    const bool alpha = bpp == 24 && HasAlpha();
    const uint16_t samples = bpp == 24 ? (alpha ? 4 : 3) : 1;
    const uint16_t bitsPerSample = static_cast<uint16_t>(bpp == 24 ? 8 : bpp);
    uint16_t photometric;
    if (bpp == 1) {
        // White is zero in the file, so a dark-first palette (every PBM image)
        // is turned round, in the image itself.
        RGBQUAD* palette = GetPalette();
        if (RasterGrayLevel(palette[0]) < RasterGrayLevel(palette[1])) {
            std::swap(palette[0], palette[1]);
            for (uint32_t i = 0; i < head.biSizeImage; ++i)
                info.pImage[i] = static_cast<uint8_t>(~info.pImage[i]);
        }
        photometric = PHOTOMETRIC_MINISWHITE;
    } else if (bpp == 24) {
        photometric = PHOTOMETRIC_RGB;
    } else {
        photometric = IsGrayScale() ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;
    }

    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, GetWidth());
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, GetHeight());
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bitsPerSample);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, photometric);
    if (alpha) {
        const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    const uint32_t stripRows = TIFFDefaultStripSize(tiff, static_cast<uint32_t>(-1));
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, stripRows);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<float>(info.xDPI));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<float>(info.yDPI));
    if (multipage_) {
        char pageName[32];
        std::snprintf(pageName, sizeof pageName, "Page %d", pages_);
        TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tiff, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(pages_), static_cast<uint16_t>(pages_));
        TIFFSetField(tiff, TIFFTAG_PAGENAME, pageName);
    } else {
        TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, 0);
    }
    if (photometric == PHOTOMETRIC_PALETTE) {
        std::vector<uint16_t> red(256), green(256), blue(256);
        for (uint32_t i = 0; i < 256; ++i) {
            RGBQUAD c = GetPaletteColor(i);
            red[i] = static_cast<uint16_t>(c.rgbRed * 257);
            green[i] = static_cast<uint16_t>(c.rgbGreen * 257);
            blue[i] = static_cast<uint16_t>(c.rgbBlue * 257);
        }
        TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    }
    uint32_t compression = GetCodecOption(RASTER_FORMAT_TIF);
    if (compression == 0)
        compression = bpp == 1 ? COMPRESSION_CCITTFAX4
                      : (bpp == 4 || bpp == 8) ? COMPRESSION_LZW
                      : bpp == 24 ? (alpha ? COMPRESSION_LZW : COMPRESSION_JPEG) // alpha kept exactly
                                  : COMPRESSION_NONE;
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, static_cast<uint16_t>(compression));
    if (compression == COMPRESSION_LZW && bpp >= 8)
        TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    if (compression == COMPRESSION_JPEG) {
        TIFFSetField(tiff, TIFFTAG_JPEGQUALITY, static_cast<int>(GetJpegQuality()));
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, (stripRows + 7) / 8 * 8);
    }

    const uint32_t width = GetWidth();
    std::vector<uint8_t> row(std::max<size_t>(info.dwEffWidth, static_cast<size_t>(width) * samples));
    uint32_t fileRow = 0;
    for (int32_t y = head.biHeight - 1; y >= 0; --y, ++fileRow) {
        if (alpha) {
            const uint8_t* pixel = RowBits(y);
            for (uint32_t x = 0; x < width; ++x, pixel += 3) {
                row[4 * x] = pixel[2];
                row[4 * x + 1] = pixel[1];
                row[4 * x + 2] = pixel[0];
                row[4 * x + 3] = AlphaRow(y)[x];
            }
        } else {
            std::memcpy(row.data(), RowBits(y), info.dwEffWidth);
            if (bpp == 24)
                for (uint32_t x = 0; x < width; ++x)
                    std::swap(row[3 * x], row[3 * x + 2]);
        }
        if (TIFFWriteScanline(tiff, row.data(), fileRow, 0) == -1)
            return false;
    }
    return true;
}
