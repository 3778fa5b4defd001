#pragma once
// The mask an image is drawn through, as one opacity byte per pixel (255
// opaque, 0 transparent): a stencil mask or a soft mask read at its own size,
// and the coverage it gives an image of another size.
#include <GfxState.h>
#include <Stream.h>

#include <cstdint>
#include <vector>

class ImageMask {
public:
    // A stencil /Mask: its 0 bits are opaque, or its 1 bits when its Decode
    // array is [1 0] (invert). Empty when the stream gives no data.
    static ImageMask FromStencil(Stream* str, int width, int height, bool invert);
    // A soft mask: each sample's gray level through the mask's colour map.
    static ImageMask FromSoftMask(Stream* str, int width, int height, GfxImageColorMap& colorMap);

    // The opacity a colour key gives an image (see ColourKeyRow), read from
    // the image's stream.
    static ImageMask FromColourKey(Stream* str, int width, int height, int components, int bits, const int* keys);

    bool Empty() const { return opacity_.empty(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Row y at the mask's own size.
    const unsigned char* Row(int y) const { return opacity_.data() + static_cast<size_t>(y) * width_; }

    // Row y of the mask laid over an image of imageWidth x imageHeight, as the
    // page lays both over the same square: each image pixel takes the mean of
    // the mask pixels whose centres fall inside it, or, where none does (a
    // smaller mask), the mask pixel under its centre.
    void ResampledRow(int y, int imageWidth, int imageHeight, unsigned char* out) const;

    // The largest mask read into memory, in pixels (a declared size beyond it
    // is damaged data).
    static const std::int64_t kLargestMask = 512ll * 1024 * 1024;

private:
    // A mask of that size over the opacity, empty when there is none.
    static ImageMask Made(int width, int height, std::vector<unsigned char> opacity);
    // The span [first, last) of mask positions whose centres fall inside
    // image position i of count, out of maskCount; the nearest single one
    // when there is none.
    static void Span(int i, int count, int maskCount, int& first, int& last);

    int width_ = 0;
    int height_ = 0;
    std::vector<unsigned char> opacity_;
};

// The opacity a colour key gives one row of samples (width pixels of
// components bytes each): 0 where every component lies within its range of
// keys ([min0 max0 min1 max1 ...] in sample values of bits bits), else 255.
void ColourKeyRow(const unsigned char* samples, int width, int components, int bits, const int* keys,
                  unsigned char* out);
