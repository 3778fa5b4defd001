#include "codecs/rasterimage.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

CRasterImage::CRasterImage(uint32_t type) { Startup(type); }

CRasterImage::CRasterImage(const char* filename, uint32_t type) {
    Startup(type);
    Load(filename, type);
}

CRasterImage::~CRasterImage() { Destroy(); }

void CRasterImage::Startup(uint32_t type) {
    pDib = nullptr;
    pAlpha = nullptr;
    head = BITMAPINFOHEADER{};
    info = RASTERIMAGEINFO{};
    info.dwType = type;
    info.fQuality = 90.0f;
    info.nBkgndIndex = -1;
    SetXDPI(96);
    SetYDPI(96);
}

bool CRasterImage::Destroy() {
    if (info.pGhost)
        return false;
    std::free(pDib);
    std::free(pAlpha);
    pDib = nullptr;
    pAlpha = nullptr;
    return true;
}

bool CRasterImage::Transfer(CRasterImage& from) {
    if (!Destroy())
        return false;
    head = from.head;
    info = from.info;
    pDib = from.pDib;
    pAlpha = from.pAlpha;
    from.head = BITMAPINFOHEADER{};
    from.info = RASTERIMAGEINFO{};
    from.pDib = nullptr;
    from.pAlpha = nullptr;
    return true;
}

void CRasterImage::Ghost(const CRasterImage* from) {
    if (!from)
        return;
    head = from->head;
    info = from->info;
    pDib = from->pDib;
    pAlpha = from->pAlpha;
    info.pGhost = from;
}

void CRasterImage::CopyInfo(const CRasterImage& src) {
    if (!pDib)
        info = src.info;
}

void CRasterImage::SetLastError(const char* text) {
    std::strncpy(info.szLastError, text, sizeof info.szLastError - 1);
    info.szLastError[sizeof info.szLastError - 1] = '\0';
}

uint8_t* CRasterImage::Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t type) {
    if (!Destroy())
        return nullptr;
    if (width == 0 || height == 0) {
        SetLastError("CRasterImage::Create : width and height must be greater than zero");
        return nullptr;
    }
    bpp = bpp <= 1 ? 1 : bpp <= 4 ? 4 : bpp <= 8 ? 8 : 24;
    if (!FitsMemoryLimit(width, height, bpp)) {
        SetLastError("RASTER_MAX_MEMORY exceeded");
        return nullptr;
    }
    uint32_t colours = bpp == 1 ? 2 : bpp == 4 ? 16 : bpp == 8 ? 256 : 0;
    info.dwEffWidth = static_cast<uint32_t>(((static_cast<uint64_t>(width) * bpp) + 31) / 32 * 4);
    head.biSize = sizeof(BITMAPINFOHEADER);
    head.biWidth = static_cast<int32_t>(width);
    head.biHeight = static_cast<int32_t>(height);
    head.biPlanes = 1;
    head.biBitCount = static_cast<uint16_t>(bpp);
    head.biCompression = 0;
    head.biSizeImage = info.dwEffWidth * height;
    head.biClrUsed = colours;
    info.dwType = type;

    // Palette and pixels start cleared, so that row padding written to files
    // never carries stale memory.
    pDib = static_cast<uint8_t*>(std::calloc(1, GetSize()));
    if (!pDib) {
        SetLastError("CRasterImage::Create can't allocate memory");
        return nullptr;
    }
    std::memcpy(pDib, &head, sizeof head);
    info.pImage = pDib + head.biSize + colours * 4;
    InvalidateNearestCache();
    return pDib;
}

bool CRasterImage::CreateAlpha() {
    if (!pDib || info.pGhost)
        return false;
    std::free(pAlpha);
    const size_t size = static_cast<size_t>(GetWidth()) * GetHeight();
    pAlpha = static_cast<uint8_t*>(std::malloc(size));
    if (pAlpha)
        std::memset(pAlpha, 255, size);
    return pAlpha != nullptr;
}

bool CRasterImage::FitsMemoryLimit(uint32_t width, uint32_t height, uint32_t bpp) {
    if (width == 0 || height == 0)
        return true;
    bpp = bpp <= 1 ? 1 : bpp <= 4 ? 4 : bpp <= 8 ? 8 : 24;
    // 32-bit arithmetic that catches its own overflow, of the bit count and
    // also of the pixel count (a wrapped pixel count would pass as small).
    const uint32_t pixels = width * height;
    const uint32_t bits = pixels * bpp;
    return bits / 8 <= RASTER_MAX_MEMORY && bits / bpp == pixels && pixels / width == height &&
           width <= INT32_MAX && height <= INT32_MAX;
}

uint8_t* CRasterImage::GetBits(uint32_t row) {
    if (!pDib)
        return nullptr;
    if (row == 0)
        return info.pImage;
    return row < GetHeight() ? RowBits(static_cast<int32_t>(row)) : nullptr;
}

bool CRasterImage::SetType(uint32_t type) {
    if ((type >= 1 && type <= 15) || (type >= 17 && type <= 19)) {
        info.dwType = type;
        return true;
    }
    info.dwType = 0;
    return false;
}

uint32_t CRasterImage::GetTypeIndexFromId(uint32_t id) {
    if (id >= 1 && id <= 15)
        return id;
    if (id >= 17 && id <= 19)
        return id - 1;
    return 0;
}

void CRasterImage::SetCodecOption(uint32_t option, uint32_t format) {
    uint32_t slot = GetTypeIndexFromId(format);
    info.dwCodecOpt[slot ? slot : GetTypeIndexFromId(info.dwType)] = option;
}

uint32_t CRasterImage::GetCodecOption(uint32_t format) const {
    uint32_t slot = GetTypeIndexFromId(format);
    return info.dwCodecOpt[slot ? slot : GetTypeIndexFromId(info.dwType)];
}

namespace {
int32_t PixelsPerMetre(int32_t dpi) { return static_cast<int32_t>(std::floor(dpi * 39.37007874015748 + 0.5)); }
} // namespace

void CRasterImage::SetXDPI(int32_t dpi) { SetResolution(&info.xDPI, &BITMAPINFOHEADER::biXPelsPerMeter, dpi); }

void CRasterImage::SetYDPI(int32_t dpi) { SetResolution(&info.yDPI, &BITMAPINFOHEADER::biYPelsPerMeter, dpi); }

void CRasterImage::SetResolution(int32_t* dpiField, int32_t BITMAPINFOHEADER::*metreField, int32_t dpi) {
    if (dpi <= 0)
        dpi = 96;
    *dpiField = dpi;
    head.*metreField = PixelsPerMetre(dpi);
    if (pDib)
        reinterpret_cast<BITMAPINFOHEADER*>(pDib)->*metreField = head.*metreField;
}

bool CRasterImage::IsInside(int32_t x, int32_t y) const {
    return x >= 0 && y >= 0 && x < head.biWidth && y < head.biHeight;
}

// ---- palette

RGBQUAD* CRasterImage::GetPalette() const {
    return (pDib && head.biClrUsed) ? reinterpret_cast<RGBQUAD*>(pDib + head.biSize) : nullptr;
}

uint32_t CRasterImage::GetPaletteSize() const { return head.biClrUsed * 4; }

RGBQUAD CRasterImage::GetPaletteColor(uint32_t index) const {
    RGBQUAD* palette = GetPalette();
    return (palette && index < head.biClrUsed) ? palette[index] : RGBQUAD{};
}

void CRasterImage::SetPaletteColor(uint32_t index, RGBQUAD colour) {
    RGBQUAD* palette = GetPalette();
    if (palette && index < head.biClrUsed) {
        palette[index] = colour;
        InvalidateNearestCache();
    }
}

void CRasterImage::SetPalette(const RGBQUAD* entries, uint32_t count) {
    RGBQUAD* palette = GetPalette();
    if (!palette || !entries)
        return;
    std::memcpy(palette, entries, std::min(count * 4, GetPaletteSize()));
    InvalidateNearestCache();
}

void CRasterImage::SetGrayPalette() {
    RGBQUAD* palette = GetPalette();
    if (!palette)
        return;
    const uint32_t step = 255 / (head.biClrUsed - 1);
    for (uint32_t i = 0; i < head.biClrUsed; ++i)
        palette[i].rgbBlue = palette[i].rgbGreen = palette[i].rgbRed = static_cast<uint8_t>(i * step);
    InvalidateNearestCache();
}

bool CRasterImage::IsGrayScale() const {
    RGBQUAD* palette = GetPalette();
    if (!palette)
        return false;
    for (uint32_t i = 0; i < head.biClrUsed; ++i)
        if (palette[i].rgbBlue != i || palette[i].rgbGreen != i || palette[i].rgbRed != i)
            return false;
    return true;
}

void CRasterImage::SetClrImportant(uint32_t count) {
    if (count == 0 || count > 256) {
        head.biClrImportant = 0;
        return;
    }
    switch (head.biBitCount) {
    case 1: head.biClrImportant = std::min(count, 2u); break;
    case 4: head.biClrImportant = std::min(count, 16u); break;
    case 8: head.biClrImportant = count; break;
    default: break;
    }
}

uint8_t CRasterImage::GetNearestIndex(RGBQUAD colour) {
    RGBQUAD* palette = GetPalette();
    if (!palette)
        return 0;
    if (info.last_c_isvalid && info.last_c == colour)
        return info.last_c_index;
    info.last_c = colour;
    info.last_c_isvalid = true;

    const uint32_t entries = head.biClrImportant ? head.biClrImportant : head.biClrUsed;
    int best = 200000;
    uint8_t answer = 0;
    for (uint32_t i = 0; i < entries; ++i) {
        int db = palette[i].rgbBlue - colour.rgbBlue;
        int dg = palette[i].rgbGreen - colour.rgbGreen;
        int dr = palette[i].rgbRed - colour.rgbRed;
        int distance = db * db + dg * dg + dr * dr;
        if (distance == 0) {
            answer = static_cast<uint8_t>(i);
            break;
        }
        if (distance < best) {
            best = distance;
            answer = static_cast<uint8_t>(i);
        }
    }
    info.last_c_index = answer;
    return answer;
}

// ---- pixels

uint8_t CRasterImage::BlindGetPixelIndex(int32_t x, int32_t y) const {
    const uint8_t* row = RowBits(y);
    switch (head.biBitCount) {
    case 8: return row[x];
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 0x01;
    default: return 0;
    }
}

uint8_t CRasterImage::GetPixelIndex(int32_t x, int32_t y) const {
    if (!pDib || head.biClrUsed == 0)
        return 0;
    if (!IsInside(x, y))
        return info.nBkgndIndex >= 0 ? static_cast<uint8_t>(info.nBkgndIndex) : *info.pImage;
    return BlindGetPixelIndex(x, y);
}

void CRasterImage::BlindSetPixelIndex(int32_t x, int32_t y, uint8_t index) {
    uint8_t* row = RowBits(y);
    switch (head.biBitCount) {
    case 8:
        row[x] = index;
        break;
    case 4: {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
        break;
    }
    case 1: {
        const int shift = 7 - (x & 7);
        row[x >> 3] = static_cast<uint8_t>((row[x >> 3] & ~(1 << shift)) | ((index & 1) << shift));
        break;
    }
    default:
        break;
    }
}

void CRasterImage::SetPixelIndex(int32_t x, int32_t y, uint8_t index) {
    if (pDib && head.biClrUsed && IsInside(x, y))
        BlindSetPixelIndex(x, y, index);
}

RGBQUAD CRasterImage::BlindGetPixelColor(int32_t x, int32_t y) const {
    if (head.biClrUsed)
        return GetPaletteColor(BlindGetPixelIndex(x, y));
    const uint8_t* pixel = RowBits(y) + x * 3;
    return RGBQUAD{pixel[0], pixel[1], pixel[2], 0};
}

RGBQUAD CRasterImage::GetPixelColor(int32_t x, int32_t y) const {
    if (!pDib)
        return RGBQUAD{};
    if (!IsInside(x, y)) {
        if (info.nBkgndIndex >= 0) {
            if (head.biClrUsed)
                return GetPaletteColor(static_cast<uint32_t>(info.nBkgndIndex));
            return info.nBkgndColor;
        }
        x = y = 0;
    }
    RGBQUAD colour = BlindGetPixelColor(x, y);
    if (!head.biClrUsed)
        colour.rgbReserved = info.nBkgndColor.rgbReserved;
    return colour;
}

void CRasterImage::BlindSetPixelColor(int32_t x, int32_t y, RGBQUAD colour) {
    if (head.biClrUsed) {
        BlindSetPixelIndex(x, y, GetNearestIndex(colour));
        return;
    }
    uint8_t* pixel = RowBits(y) + x * 3;
    pixel[0] = colour.rgbBlue;
    pixel[1] = colour.rgbGreen;
    pixel[2] = colour.rgbRed;
}

void CRasterImage::SetPixelColor(int32_t x, int32_t y, RGBQUAD colour) {
    if (pDib && IsInside(x, y))
        BlindSetPixelColor(x, y, colour);
}
