// Gray-scale conversion, reduction of the bit depth and the standard palette.
#include "codecs/nearest_palette_index.h"
#include "codecs/rasterimage.h"

#include <cstring>

namespace {

RGBQUAD Rgb(int red, int green, int blue) {
    return RGBQUAD{static_cast<uint8_t>(blue), static_cast<uint8_t>(green), static_cast<uint8_t>(red), 0};
}

const RGBQUAD kStd16[16] = {Rgb(0, 0, 0),       Rgb(128, 0, 0),   Rgb(0, 128, 0),   Rgb(128, 128, 0),
                            Rgb(0, 0, 128),     Rgb(128, 0, 128), Rgb(0, 128, 128), Rgb(192, 192, 192),
                            Rgb(128, 128, 128), Rgb(255, 0, 0),   Rgb(0, 255, 0),   Rgb(255, 255, 0),
                            Rgb(0, 0, 255),     Rgb(255, 0, 255), Rgb(0, 255, 255), Rgb(255, 255, 255)};

// One channel of a tint or shade k of a hue whose channel value is hue.
int Tint(int hue, int k) {
    switch (hue) {
    case 170: return 240 - 14 * k;
    case 85: return 227 - 28 * k;
    case 0: return 212 - 35 * k;
    default: return 255; // the full level
    }
}
int Shade(int hue, int k) {
    switch (hue) {
    case 170: return 170 - 24 * k;
    case 85: return 85 - 12 * k;
    case 0: return 0;
    default: return k == 0 ? hue : 255 - 35 * k;
    }
}

// The 256-entry standard palette.
void FillStd256(RGBQUAD* palette) {
    const RGBQUAD first[10] = {Rgb(0, 0, 0),       Rgb(128, 0, 0),     Rgb(0, 128, 0),   Rgb(128, 128, 0),
                               Rgb(0, 0, 128),     Rgb(128, 0, 128),   Rgb(0, 128, 128), Rgb(192, 192, 192),
                               Rgb(192, 220, 192), Rgb(166, 202, 240)};
    std::memcpy(palette, first, sizeof first);
    const int F = -1; // the full level: 254 for hues of only full and zero channels, else 255
    const int hues[18][3] = {{F, 170, 0}, {F, 85, 0},  {F, 0, 0},   {F, 0, 85},  {F, 0, 170},  {F, 0, F},
                             {170, 0, F}, {85, 0, F},  {0, 0, F},   {0, 85, F},  {0, 170, F},  {0, F, F},
                             {0, F, 170}, {0, F, 85},  {0, F, 0},   {85, F, 0},  {170, F, 0},  {F, F, 0}};
    int entry = 10;
    for (const auto& hue : hues) {
        bool onlyFullAndZero = true;
        for (int c : hue)
            onlyFullAndZero = onlyFullAndZero && (c == F || c == 0);
        int channel[3];
        for (int c = 0; c < 3; ++c)
            channel[c] = hue[c] == F ? (onlyFullAndZero ? 254 : 255) : hue[c];
        for (int k = 0; k < 6; ++k, ++entry)
            palette[entry] = Rgb(Tint(channel[0], k), Tint(channel[1], k), Tint(channel[2], k));
        for (int k = 0; k < 6; ++k, ++entry)
            palette[entry] = Rgb(Shade(channel[0], k), Shade(channel[1], k), Shade(channel[2], k));
    }
    for (int i = 0; i < 20; ++i)
        palette[226 + i] = Rgb(242 - 12 * i, 242 - 12 * i, 242 - 12 * i);
    const RGBQUAD last[10] = {Rgb(255, 251, 240), Rgb(160, 160, 164), Rgb(128, 128, 128), Rgb(255, 0, 0),
                              Rgb(0, 255, 0),     Rgb(255, 255, 0),   Rgb(0, 0, 255),     Rgb(255, 0, 255),
                              Rgb(0, 255, 255),   Rgb(255, 255, 255)};
    std::memcpy(palette + 246, last, sizeof last);
}

} // namespace

void CRasterImage::SetStdPalette() {
    if (!pDib)
        return;
    RGBQUAD* palette = GetPalette();
    switch (head.biBitCount) {
    case 1:
        palette[0] = Rgb(0, 0, 0);
        palette[1] = Rgb(255, 255, 255);
        break;
    case 4:
        std::memcpy(palette, kStd16, sizeof kStd16);
        break;
    case 8:
        FillStd256(palette);
        break;
    default:
        break;
    }
    InvalidateNearestCache();
}

bool CRasterImage::GrayScale() {
    if (!pDib)
        return false;
    const int32_t width = head.biWidth, height = head.biHeight;
    // Pixels that are not rewritten in place go into a new 8-bit image with
    // the identity ramp; grayLevel(x, y) gives each one.
    auto intoGrayImage = [&](auto grayLevel) {
        CRasterImage gray;
        gray.CopyInfo(*this);
        if (!gray.Create(width, height, 8, info.dwType))
            return false;
        gray.SetGrayPalette();
        for (int32_t y = 0; y < height; ++y) {
            uint8_t* target = gray.RowBits(y);
            for (int32_t x = 0; x < width; ++x)
                target[x] = grayLevel(x, y);
        }
        Transfer(gray);
        return true;
    };
    if (head.biBitCount == 24)
        return intoGrayImage([this](int32_t x, int32_t y) { return RasterGrayLevel(BlindGetPixelColor(x, y)); });

    // With a palette: the gray level of each entry goes into its blue byte,
    // which the pixels then take as their new index.
    RGBQUAD* palette = GetPalette();
    for (uint32_t i = 0; i < head.biClrUsed; ++i)
        palette[i].rgbBlue = RasterGrayLevel(palette[i]);
    if (info.nBkgndIndex >= 0)
        info.nBkgndIndex = palette[info.nBkgndIndex].rgbBlue;
    InvalidateNearestCache();
    if (head.biBitCount == 8) {
        for (uint32_t i = 0; i < head.biSizeImage; ++i)
            info.pImage[i] = palette[info.pImage[i]].rgbBlue;
        SetGrayPalette();
        return true;
    }
    return intoGrayImage([&](int32_t x, int32_t y) { return palette[BlindGetPixelIndex(x, y)].rgbBlue; });
}

bool CRasterImage::DecreaseBpp(uint32_t nbit, bool errorDiffusion, const RGBQUAD* palette, uint32_t clrImportant) {
    if (!pDib)
        return false;
    if (head.biBitCount < nbit) {
        SetLastError("DecreaseBpp: target BPP greater than source BPP");
        return false;
    }
    if (head.biBitCount == nbit) {
        if (clrImportant == 0)
            return true;
        if (head.biClrImportant && head.biClrImportant < clrImportant)
            return true;
    }
    const int32_t width = head.biWidth, height = head.biHeight;
    CRasterImage reduced;
    reduced.CopyInfo(*this);
    reduced.Create(width, height, nbit, info.dwType);
    if (clrImportant)
        reduced.SetClrImportant(clrImportant);
    if (!reduced.IsValid()) {
        SetLastError(reduced.GetLastError());
        return false;
    }
    if (palette)
        reduced.SetPalette(palette, clrImportant ? clrImportant : (1u << reduced.GetBpp()));
    else
        reduced.SetStdPalette();

    const uint32_t searched = reduced.head.biClrImportant ? reduced.head.biClrImportant : reduced.head.biClrUsed;
    NearestPaletteIndex nearest(reduced.GetPalette(), searched);
    for (int32_t y = 0; y < height; ++y) {
        if (info.nEscape)
            break;
        info.nProgress = static_cast<int32_t>(100LL * y / height);
        for (int32_t x = 0; x < width; ++x) {
            RGBQUAD source = BlindGetPixelColor(x, y);
            uint8_t index = nearest.Find(source);
            reduced.BlindSetPixelIndex(x, y, index);
            if (!errorDiffusion)
                continue;
            // Floyd-Steinberg: spread the error onto the source's neighbours.
            RGBQUAD chosen = reduced.GetPaletteColor(index);
            const int error[3] = {source.rgbBlue - chosen.rgbBlue, source.rgbGreen - chosen.rgbGreen,
                                  source.rgbRed - chosen.rgbRed};
            const struct {
                int dx, dy, weight;
            } spread[4] = {{1, 0, 7}, {-1, 1, 2}, {0, 1, 4}, {1, 1, 1}};
            for (const auto& s : spread) {
                RGBQUAD n = GetPixelColor(x + s.dx, y + s.dy);
                uint8_t* channel[3] = {&n.rgbBlue, &n.rgbGreen, &n.rgbRed};
                for (int c = 0; c < 3; ++c) {
                    int value = *channel[c] + error[c] * s.weight / 16;
                    *channel[c] = static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
                }
                SetPixelColor(x + s.dx, y + s.dy, n);
            }
        }
    }
    Transfer(reduced);
    return true;
}
