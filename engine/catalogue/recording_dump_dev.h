#pragma once
// The dump device that also keeps an entry of the catalogue for each image it
// meets: its facts, described as the listing describes them, and what became
// of it, for a report of the run.
#include "engine/dump/image_dump_dev.h"
#include "engine/catalogue/image_entry.h"

#include <vector>

class RecordingDumpDev : public ImageDumpDev {
public:
    RecordingDumpDev(const std::string& rootPath, bool passJpeg, ImageHandoff* handoff, int masks,
                     std::vector<ImageEntry>& entries);

    void startPage(int pageNum, GfxState* state, XRef* xref) override;
    void drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert,
                       bool interpolate, bool inlineImg) override;
    void drawImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                   bool interpolate, const int* maskColors, bool inlineImg) override;
    // An image drawn through a mask is one image of the catalogue, whatever
    // the device does with the mask.
    void drawMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                         bool interpolate, Stream* maskStr, int maskWidth, int maskHeight, bool maskInvert,
                         bool maskInterpolate) override;
    void drawSoftMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                             GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr, int maskWidth,
                             int maskHeight, GfxImageColorMap* maskColorMap, bool maskInterpolate) override;

protected:
    void Settled(const ImageFate& fate) override;

private:
    // Adds the entry of the image about to be drawn, unless one is being
    // drawn already (a masked image the base class draws as an image).
    void Describe(const char* type, GfxState* state, Object* ref, Stream* str, int width, int height,
                  GfxImageColorMap* colorMap, bool interpolate, bool inlineImg);

    std::vector<ImageEntry>& entries_;
    int page_ = 0;
    XRef* xref_ = nullptr;
    bool drawing_ = false; // an image's entry is added and its fate not yet told
};
