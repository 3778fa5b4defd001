#include "engine/pdf/rgb_row_converter.h"

#include <algorithm>
#include <cstring>

namespace {

// Bits of a cache index: enough for every distinct colour of a typical
// illustration, never more than the image has pixels.
const int kSmallestCacheBits = 8;
const int kLargestCacheBits = 16;
// In front of a memo the cache holds the colours of the moment only: kept
// small, it stays in the processor's fastest cache.
const int kLargestCacheBitsBeforeMemo = 12;

unsigned char ComponentToByte(GfxColorComp component) {
    double value = colToDbl(component) * 255.0 + 0.5;
    return static_cast<unsigned char>(std::clamp(value, 0.0, 255.0));
}

} // namespace

void RgbRowConverter::PixelToRgb(GfxImageColorMap& colorMap, const unsigned char* pixel, unsigned char* rgb) {
    GfxRGB colour;
    colorMap.getRGB(pixel, &colour);
    rgb[0] = ComponentToByte(colour.r);
    rgb[1] = ComponentToByte(colour.g);
    rgb[2] = ComponentToByte(colour.b);
}

RgbRowConverter::RgbRowConverter(GfxImageColorMap& colorMap, long long pixels, ColourMemo* memo)
    : colorMap_(colorMap), components_(colorMap.getNumPixelComps()), memo_(memo) {
    // Samples arrive as one byte per component (16-bit samples are cut to 8).
    const int values = 1 << std::min(colorMap.getBits(), 8);
    GfxColorSpace* space = colorMap.getColorSpace();
    if (components_ == 1) {
        method_ = Method::SingleComponentTable;
        table_.resize(3 * 256);
        for (int v = 0; v < values; ++v) {
            unsigned char sample = static_cast<unsigned char>(v);
            PixelToRgb(colorMap_, &sample, &table_[3 * v]);
        }
    } else if (components_ == 3 && space && space->getMode() == csDeviceRGB) {
        // DeviceRGB maps red only from the first sample, green only from the
        // second and blue only from the third, so gray pixels fill all three.
        method_ = Method::PerComponentTables;
        table_.resize(3 * 256);
        for (int v = 0; v < values; ++v) {
            unsigned char pixel[3] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v),
                                      static_cast<unsigned char>(v)};
            unsigned char rgb[3];
            PixelToRgb(colorMap_, pixel, rgb);
            for (int c = 0; c < 3; ++c)
                table_[c * 256 + v] = rgb[c];
        }
    } else {
        method_ = Method::CachedPixels;
        if (components_ >= 2 && components_ <= 4) {
            int bits = kSmallestCacheBits;
            const int largest = memo ? kLargestCacheBitsBeforeMemo : kLargestCacheBits;
            while (bits < largest && (1LL << bits) < pixels)
                ++bits;
            cache_.resize(size_t(1) << bits);
            cacheShift_ = 32 - bits;
        }
    }
}

void RgbRowConverter::ConvertRow(const unsigned char* samples, int width, unsigned char* rgb) {
    switch (method_) {
    case Method::SingleComponentTable:
        for (int x = 0; x < width; ++x)
            std::memcpy(rgb + 3 * x, &table_[3 * samples[x]], 3);
        break;
    case Method::PerComponentTables:
        for (int x = 0; x < width; ++x, samples += 3, rgb += 3) {
            rgb[0] = table_[samples[0]];
            rgb[1] = table_[256 + samples[1]];
            rgb[2] = table_[512 + samples[2]];
        }
        break;
    case Method::CachedPixels:
        ConvertCached(samples, width, rgb);
        break;
    }
}

void RgbRowConverter::ConvertCached(const unsigned char* samples, int width, unsigned char* rgb) {
    switch (components_) {
    case 2:
        return ConvertCachedOf<2>(samples, width, rgb);
    case 3:
        return ConvertCachedOf<3>(samples, width, rgb);
    case 4:
        return ConvertCachedOf<4>(samples, width, rgb);
    default: // more than four components: no key fits, convert each pixel
        for (int x = 0; x < width; ++x)
            PixelToRgb(colorMap_, samples + x * components_, rgb + 3 * x);
    }
}

template <int Components>
void RgbRowConverter::ConvertCachedOf(const unsigned char* samples, int width, unsigned char* rgb) {
    const CacheEntry* last = nullptr;
    for (int x = 0; x < width; ++x, samples += Components, rgb += 3) {
        std::uint32_t key = 0;
        for (int c = 0; c < Components; ++c)
            key = (key << 8) | samples[c];
        if (!last || last->key != key) { // runs of one colour skip the lookup
            CacheEntry& entry = cache_[(key * 2654435761u) >> cacheShift_];
            if (!entry.used || entry.key != key) {
                if (!memo_ || !memo_->Find(key, entry.rgb)) {
                    PixelToRgb(colorMap_, samples, entry.rgb);
                    if (memo_)
                        memo_->Store(key, entry.rgb);
                }
                entry.key = key;
                entry.used = true;
            }
            last = &entry;
        }
        std::memcpy(rgb, last->rgb, 3);
    }
}
