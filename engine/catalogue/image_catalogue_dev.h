#pragma once
// The device of a listing: it answers the engine as the dump device does, so
// that the engine hands it the same images in the same order with the same
// numbers, and describes each one as an entry of the catalogue instead of
// writing it. Inline images are read as the dump reads them, because the
// engine finds the content that follows by where their data ended; the
// others are not decoded.
#include "engine/dump/image_dump_dev.h"
#include "engine/catalogue/image_entry.h"

#include <vector>

class ImageCatalogueDev : public ImageDumpDev {
public:
    // maskFate: what the run does with an image's mask, empty when it gets a
    // file of its own.
    ImageCatalogueDev(std::vector<ImageEntry>& entries, const char* maskFate);
    // Each image's entry says what it is written as when stored encodings
    // are kept; an image XObject's stored data is read for it (not decoded),
    // an inline image's is not read twice.
    void ListKeptEncodings(bool keep) { listKept_ = keep; }

    void startPage(int pageNum, GfxState*, XRef* xref) override;
    void drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert,
                       bool interpolate, bool inlineImg) override;
    void drawImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                   bool interpolate, const int* maskColors, bool inlineImg) override;
    // The image is described alone; its mask is listed after it.
    void drawMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                         bool interpolate, Stream* maskStr, int maskWidth, int maskHeight, bool,
                         bool maskInterpolate) override;
    void drawSoftMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                             GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr, int maskWidth,
                             int maskHeight, GfxImageColorMap* maskColorMap, bool maskInterpolate) override;

private:
    void Add(ImageEntry entry, Object* ref, int number);
    void SetKept(ImageEntry& entry, Stream* str, int width, int height, GfxImageColorMap* colorMap, bool invert,
                 bool inlineImg);
    void AddMask(ImageEntry entry, Object* imageRef, const char* key);

    DiscardImages discard_;
    std::vector<ImageEntry>& entries_;
    int page_ = 0;
    XRef* xref_ = nullptr;
    int nextNumber_ = 0;
    const char* maskFate_;
    bool listKept_ = false;
};
