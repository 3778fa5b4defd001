#pragma once
// Converts rows of image samples to 8-bit RGB through an image's colour map.
//
// Every pixel gets exactly the bytes of the per-pixel rule: the colour map's
// getRGB, each component times 255 plus 0.5 with the fraction dropped (held to
// 0..255). The rule is costly per pixel, so answers are reused where that is
// exact: one table over all sample values for one-component images, one table
// per component for DeviceRGB (whose components convert independently), and a
// cache of recent pixels for every other colour space, behind which a memo
// shared with other images may hold the colours they converted.
#include "engine/pdf/colour_memo.h"

#include <GfxState.h>

#include <cstdint>
#include <vector>

class RgbRowConverter {
public:
    // pixels: the image's pixel count, which sizes the cache of recent
    // pixels; memo: colours converted alike for other images (see
    // ColourMemos), or null.
    RgbRowConverter(GfxImageColorMap& colorMap, long long pixels, ColourMemo* memo = nullptr);

    // samples: width pixels of getNumPixelComps() bytes each (as ImageStream
    // delivers them); rgb: room for 3 * width bytes.
    void ConvertRow(const unsigned char* samples, int width, unsigned char* rgb);

    // The per-pixel rule for one pixel.
    static void PixelToRgb(GfxImageColorMap& colorMap, const unsigned char* pixel, unsigned char* rgb);

private:
    enum class Method { SingleComponentTable, PerComponentTables, CachedPixels };

    void ConvertCached(const unsigned char* samples, int width, unsigned char* rgb);
    template <int Components>
    void ConvertCachedOf(const unsigned char* samples, int width, unsigned char* rgb);

    GfxImageColorMap& colorMap_;
    int components_;
    Method method_;
    std::vector<unsigned char> table_; // 256 entries of 3 bytes, or 3 tables of 256

    struct CacheEntry {
        std::uint32_t key = 0;
        bool used = false;
        unsigned char rgb[3] = {};
    };
    std::vector<CacheEntry> cache_;
    int cacheShift_ = 0; // 32 minus the bits of a cache index
    ColourMemo* memo_;
};
