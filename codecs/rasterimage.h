#pragma once
// CRasterImage: an in-memory device-independent bitmap (one block holding a
// BITMAPINFOHEADER, a palette and bottom-up pixel rows) with a record of
// extended information. Every format reader and writer derives from it.
#include "codecs/bytestream.h"

#include <cstdint>
#include <cstdio>

enum : uint32_t {
    RASTER_FORMAT_UNKNOWN = 0,
    RASTER_FORMAT_BMP = 1,
    RASTER_FORMAT_GIF = 2,
    RASTER_FORMAT_JPG = 3,
    RASTER_FORMAT_PNG = 4,
    RASTER_FORMAT_ICO = 5,
    RASTER_FORMAT_TIF = 6,
    RASTER_FORMAT_TGA = 7,
    RASTER_FORMAT_PCX = 8,
    RASTER_FORMAT_WBMP = 9,
    RASTER_FORMAT_WMF = 10,
    RASTER_FORMAT_JP2 = 11,
    RASTER_FORMAT_JPC = 12,
    RASTER_FORMAT_PGX = 13,
    RASTER_FORMAT_PNM = 14,
    RASTER_FORMAT_RAS = 15,
    RASTER_FORMAT_MNG = 17,
    RASTER_FORMAT_SKA = 18,
    RASTER_FORMAT_RAW = 19,
};

// Largest pixel buffer an image may have, in bytes.
const uint32_t RASTER_MAX_MEMORY = 268435456;
// Slots of the per-format option table.
const int RASTER_CODEC_SLOTS = 19;

struct BITMAPINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "the header is stored as it lies in memory");
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "DIB blocks are little-endian as they lie in memory");

struct RGBQUAD {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;

    bool operator==(const RGBQUAD& o) const {
        return rgbBlue == o.rgbBlue && rgbGreen == o.rgbGreen && rgbRed == o.rgbRed && rgbReserved == o.rgbReserved;
    }
};

// Gray level of a colour: (red * 306 + green * 601 + blue * 117) >> 10.
inline uint8_t RasterGrayLevel(const RGBQUAD& c) {
    return static_cast<uint8_t>((c.rgbRed * 306 + c.rgbGreen * 601 + c.rgbBlue * 117) >> 10);
}

// The extended information of an image. Layers, frames and selection planes
// are not supported: nothing in this system makes them. An alpha plane comes
// with images read from PAM files (the dump of an image that the page draws
// through a mask).
struct RASTERIMAGEINFO {
    uint32_t dwEffWidth;  // bytes per pixel row
    uint8_t* pImage;      // first pixel row (the bottom one) inside the DIB block
    const void* pGhost;   // the image this one is a ghost of, or null
    uint32_t dwType;      // format id
    char szLastError[256];
    int32_t nProgress;    // 0 to 100 during long operations
    int32_t nEscape;      // non-zero stops long loops; -1 asks readers for dimensions only
    int32_t nBkgndIndex;  // transparent palette index, -1 for none
    RGBQUAD nBkgndColor;  // transparent colour of a true-colour image
    float fQuality;       // JPEG quality
    int32_t nFrame;       // frame or component to read
    int32_t nNumFrames;   // frames or components in the file
    uint32_t dwFrameDelay;
    int32_t xDPI;
    int32_t yDPI;
    int32_t xOffset;
    int32_t yOffset;
    uint32_t dwCodecOpt[RASTER_CODEC_SLOTS];
    RGBQUAD last_c;       // last colour asked of GetNearestIndex, and its answer
    uint8_t last_c_index;
    bool last_c_isvalid;
    uint8_t dispmeth;     // GIF disposal method
};

class CRasterImage {
public:
    explicit CRasterImage(uint32_t type = RASTER_FORMAT_UNKNOWN);
    // Loads the file; the object exists even when loading failed (then empty).
    CRasterImage(const char* filename, uint32_t type);
    virtual ~CRasterImage();
    CRasterImage(const CRasterImage&) = delete;
    CRasterImage& operator=(const CRasterImage&) = delete;

    // ---- lifetime and ownership
    void Startup(uint32_t type);
    bool Destroy();
    // Takes the contents of from, which is left empty.
    bool Transfer(CRasterImage& from);
    // Shares all memory of from without owning it.
    void Ghost(const CRasterImage* from);
    // Copies from's information record, only while this image has no pixels.
    void CopyInfo(const CRasterImage& src);
    bool IsValid() const { return pDib != nullptr; }
    uint8_t* Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t type);
    // Whether Create would accept these dimensions under RASTER_MAX_MEMORY.
    static bool FitsMemoryLimit(uint32_t width, uint32_t height, uint32_t bpp);

    // ---- properties
    uint32_t GetWidth() const { return static_cast<uint32_t>(head.biWidth); }
    uint32_t GetHeight() const { return static_cast<uint32_t>(head.biHeight); }
    uint32_t GetBpp() const { return head.biBitCount; }
    uint32_t GetNumColors() const { return head.biClrUsed; }
    uint32_t GetEffWidth() const { return info.dwEffWidth; }
    uint32_t GetType() const { return info.dwType; }
    const char* GetLastError() const { return info.szLastError; }
    uint32_t GetSize() const { return head.biSize + head.biClrUsed * 4 + head.biSizeImage; }
    int32_t GetXDPI() const { return info.xDPI; }
    int32_t GetYDPI() const { return info.yDPI; }
    const BITMAPINFOHEADER& GetHeader() const { return head; }
    uint8_t* GetBits(uint32_t row = 0);
    bool SetType(uint32_t type);
    static uint32_t GetTypeIndexFromId(uint32_t id);
    void SetCodecOption(uint32_t option, uint32_t format = 0);
    uint32_t GetCodecOption(uint32_t format = 0) const;
    void SetXDPI(int32_t dpi);
    void SetYDPI(int32_t dpi);
    void SetJpegQuality(uint8_t quality) { info.fQuality = quality; }
    uint8_t GetJpegQuality() const { return static_cast<uint8_t>(info.fQuality + 0.5f); }
    void SetEscape(int32_t value) { info.nEscape = value; }
    bool IsInside(int32_t x, int32_t y) const;

    // ---- alpha plane: one byte per pixel, 255 opaque, rows bottom-up like
    // the pixels. Create gives a fully opaque plane; false without pixels or
    // memory.
    bool CreateAlpha();
    bool HasAlpha() const { return pAlpha != nullptr; }
    uint8_t* AlphaRow(int32_t y) const { return pAlpha + static_cast<size_t>(y) * GetWidth(); }

    // ---- palette
    RGBQUAD* GetPalette() const;
    uint32_t GetPaletteSize() const;
    RGBQUAD GetPaletteColor(uint32_t index) const;
    void SetPaletteColor(uint32_t index, RGBQUAD colour);
    void SetPalette(const RGBQUAD* entries, uint32_t count = 256);
    void SetGrayPalette();
    void SetStdPalette();
    bool IsGrayScale() const;
    void SetClrImportant(uint32_t count);
    uint8_t GetNearestIndex(RGBQUAD colour);

    // ---- pixels (x from the left, y from the bottom row)
    uint8_t GetPixelIndex(int32_t x, int32_t y) const;
    uint8_t BlindGetPixelIndex(int32_t x, int32_t y) const;
    void SetPixelIndex(int32_t x, int32_t y, uint8_t index);
    void BlindSetPixelIndex(int32_t x, int32_t y, uint8_t index);
    RGBQUAD BlindGetPixelColor(int32_t x, int32_t y) const;
    RGBQUAD GetPixelColor(int32_t x, int32_t y) const;
    void SetPixelColor(int32_t x, int32_t y, RGBQUAD colour);
    void BlindSetPixelColor(int32_t x, int32_t y, RGBQUAD colour);

    // ---- conversions
    bool GrayScale();
    bool DecreaseBpp(uint32_t nbit, bool errorDiffusion, const RGBQUAD* palette = nullptr,
                     uint32_t clrImportant = 0);

    // ---- loading and saving
    bool Load(const char* filename, uint32_t type);
    // The same from a stream that can seek back to its start.
    bool Load(CByteStream* stream, uint32_t type);
    bool Decode(FILE* file, uint32_t type);
    bool Decode(CByteStream* stream, uint32_t type);
    bool EncodeSafeCheck(CByteStream* stream);
    bool Encode(CByteStream* stream, uint32_t type);
    bool Encode(FILE* file, uint32_t type);
    bool Save(const char* filename, uint32_t type);

protected:
    void SetLastError(const char* text);
    uint8_t* RowBits(int32_t y) const { return info.pImage + static_cast<size_t>(y) * info.dwEffWidth; }
    void InvalidateNearestCache() { info.last_c_isvalid = false; }
    // A resolution in dots per inch and, in the header, in pixels per metre.
    void SetResolution(int32_t* dpiField, int32_t BITMAPINFOHEADER::*metreField, int32_t dpi);

    uint8_t* pDib = nullptr;
    BITMAPINFOHEADER head{};
    uint8_t* pAlpha = nullptr;
    RASTERIMAGEINFO info{};
};
