#include "engine/dump/image_mask.h"

#include "engine/pdf/inflated_image.h"
#include "engine/pdf/sample_row_reader.h"

#include <algorithm>

namespace {

// Reads every row of a one-component mask stream, turning each sample byte
// into an opacity through the table; an empty result when the stream gives
// no data or the size is out of reach.
std::vector<unsigned char> ReadOpacity(Stream* mask, int width, int height, int bits, const unsigned char* table) {
    std::vector<unsigned char> opacity;
    if (width <= 0 || height <= 0 || static_cast<std::int64_t>(width) * height > ImageMask::kLargestMask)
        return opacity;
    // A mask is an image XObject of its own: its Flate data inflates as an image's.
    const InflatedImage inflated(mask, false, (static_cast<std::int64_t>(width) * bits + 7) / 8 * height);
    Stream* str = inflated.Source();
    str->reset();
    SampleRowReader rows(str, width, 1, bits);
    opacity.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        unsigned char* row = opacity.data() + static_cast<size_t>(y) * width;
        if (rows.ReadRow(row) == 0 && y == 0) {
            opacity.clear();
            break;
        }
        for (int x = 0; x < width; ++x)
            row[x] = table[row[x]];
    }
    str->close();
    return opacity;
}

} // namespace

ImageMask ImageMask::FromStencil(Stream* str, int width, int height, bool invert) {
    unsigned char table[256] = {};
    table[invert ? 1 : 0] = 255;
    return Made(width, height, ReadOpacity(str, width, height, 1, table));
}

ImageMask ImageMask::FromSoftMask(Stream* str, int width, int height, GfxImageColorMap& colorMap) {
    // Sample bytes as the colour map takes them (deeper samples keep their
    // top eight bits), each through the map once.
    unsigned char table[256];
    for (int value = 0; value < 256; ++value) {
        const unsigned char sample = static_cast<unsigned char>(value);
        GfxGray gray;
        colorMap.getGray(&sample, &gray);
        table[value] = static_cast<unsigned char>(std::clamp(colToDbl(gray) * 255 + 0.5, 0.0, 255.0));
    }
    return Made(width, height, ReadOpacity(str, width, height, colorMap.getBits(), table));
}

ImageMask ImageMask::FromColourKey(Stream* str, int width, int height, int components, int bits, const int* keys) {
    std::vector<unsigned char> opacity;
    if (width <= 0 || height <= 0 || static_cast<std::int64_t>(width) * height > kLargestMask)
        return {};
    str->reset();
    SampleRowReader rows(str, width, components, bits);
    std::vector<unsigned char> samples(static_cast<size_t>(width) * components);
    opacity.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        if (rows.ReadRow(samples.data()) == 0 && y == 0) {
            opacity.clear();
            break;
        }
        ColourKeyRow(samples.data(), width, components, bits, keys, opacity.data() + static_cast<size_t>(y) * width);
    }
    str->close();
    return Made(width, height, std::move(opacity));
}

ImageMask ImageMask::Made(int width, int height, std::vector<unsigned char> opacity) {
    ImageMask mask;
    if (!opacity.empty()) {
        mask.width_ = width;
        mask.height_ = height;
        mask.opacity_ = std::move(opacity);
    }
    return mask;
}

void ImageMask::Span(int i, int count, int maskCount, int& first, int& last) {
    // Mask position j has its centre at (j + 0.5) / maskCount; image position
    // i covers [i / count, (i + 1) / count).
    auto firstCentreFrom = [&](std::int64_t k) { // the first j with (j + 0.5) * count >= k * maskCount
        return static_cast<int>((2 * k * maskCount - count + 2 * count - 1) / (2 * count));
    };
    first = std::max(firstCentreFrom(i), 0);
    last = std::min(firstCentreFrom(i + 1), maskCount);
    if (first >= last) {
        first = std::min(static_cast<int>((2 * static_cast<std::int64_t>(i) + 1) * maskCount / (2 * count)),
                         maskCount - 1);
        last = first + 1;
    }
}

void ImageMask::ResampledRow(int y, int imageWidth, int imageHeight, unsigned char* out) const {
    if (imageWidth == width_ && imageHeight == height_) { // each pixel is its own span
        std::copy_n(Row(y), width_, out);
        return;
    }
    int top, bottom;
    Span(y, imageHeight, height_, top, bottom);
    for (int x = 0; x < imageWidth; ++x) {
        int left, right;
        Span(x, imageWidth, width_, left, right);
        unsigned sum = 0;
        for (int my = top; my < bottom; ++my) {
            const unsigned char* row = Row(my);
            for (int mx = left; mx < right; ++mx)
                sum += row[mx];
        }
        const unsigned count = static_cast<unsigned>((bottom - top) * (right - left));
        out[x] = static_cast<unsigned char>((sum + count / 2) / count);
    }
}

void ColourKeyRow(const unsigned char* samples, int width, int components, int bits, const int* keys,
                  unsigned char* out) {
    // Deeper samples arrive as their top eight bits; the keys are compared
    // at that precision.
    const int dropped = std::max(bits - 8, 0);
    for (int x = 0; x < width; ++x) {
        bool keyed = true;
        for (int c = 0; c < components && keyed; ++c) {
            const int sample = samples[x * components + c];
            keyed = sample >= (keys[2 * c] >> dropped) && sample <= (keys[2 * c + 1] >> dropped);
        }
        out[x] = keyed ? 0 : 255;
    }
}
