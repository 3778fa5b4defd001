#include "engine/document_listing.h"

#include "engine/image_dump_dev.h"
#include "engine/page_display.h"
#include "engine/page_image_scan.h"
#include "engine/text_format.h"

#include <PDFDoc.h>

namespace {

// Answers the engine as the dump device does, so that the engine hands it the
// same images in the same order, and describes each one. Inline images are
// read as the device reads them, because the engine finds the content that
// follows by where their data ended; the others are not decoded.
class ImageCatalogueDev : public ImageDumpDev {
public:
    // maskFate: what the run does with an image's mask, empty when it gets a
    // file of its own.
    ImageCatalogueDev(std::vector<ImageEntry>& entries, const char* maskFate)
        : ImageDumpDev("", false, &discard_), entries_(entries), maskFate_(maskFate) {}

    void startPage(int pageNum, GfxState*, XRef* xref) override {
        page_ = pageNum;
        xref_ = xref;
    }

    void drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert,
                       bool interpolate, bool inlineImg) override {
        Add(DescribeImage("stencil", state, str, width, height, nullptr, interpolate, inlineImg), ref, nextNumber_++);
        if (inlineImg)
            ImageDumpDev::drawImageMask(state, ref, str, width, height, invert, interpolate, inlineImg);
    }

    void drawImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                   bool interpolate, const int* maskColors, bool inlineImg) override {
        Add(DescribeImage("image", state, str, width, height, colorMap, interpolate, inlineImg), ref, nextNumber_++);
        if (inlineImg)
            ImageDumpDev::drawImage(state, ref, str, width, height, colorMap, interpolate, maskColors, inlineImg);
    }

    // The device writes the image alone; its mask is listed after it.
    void drawMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                         bool interpolate, Stream* maskStr, int maskWidth, int maskHeight, bool,
                         bool maskInterpolate) override {
        drawImage(state, ref, str, width, height, colorMap, interpolate, nullptr, false);
        AddMask(DescribeImage("mask", state, maskStr, maskWidth, maskHeight, nullptr, maskInterpolate, false), ref,
                "Mask");
    }

    void drawSoftMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                             GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr, int maskWidth,
                             int maskHeight, GfxImageColorMap* maskColorMap, bool maskInterpolate) override {
        drawImage(state, ref, str, width, height, colorMap, interpolate, nullptr, false);
        AddMask(DescribeImage("smask", state, maskStr, maskWidth, maskHeight, maskColorMap, maskInterpolate, false),
                ref, "SMask");
    }

private:
    void Add(ImageEntry entry, Object* ref, int number) {
        entry.page = page_;
        entry.number = number;
        SetObject(entry, ref, xref_);
        entries_.push_back(std::move(entry));
    }

    void AddMask(ImageEntry entry, Object* imageRef, const char* key) {
        entry.page = page_;
        entry.number = nextNumber_ - 1;
        entry.noFile = maskFate_;
        SetObject(entry, imageRef, xref_, key);
        entries_.push_back(std::move(entry));
    }

    DiscardImages discard_;
    std::vector<ImageEntry>& entries_;
    int page_ = 0;
    XRef* xref_ = nullptr;
    int nextNumber_ = 0;
    const char* maskFate_;
};

// Why an image's mask gets no file of its own in a run with these settings:
// it goes into its image's alpha, or nowhere; none when it is written beside
// its image.
const char* MaskFate(const ConvertSettings& settings) {
    switch (EffectiveMaskOutput(settings.masks, settings.imagesFormat)) {
    case MASKS_SEPARATE:
        return "";
    case MASKS_ALPHA:
        return kMaskInAlpha;
    default:
        return kMaskNotWritten;
    }
}

bool IsMaskOfAnImage(const ImageEntry& entry) { return entry.type == "mask" || entry.type == "smask"; }

} // namespace

ExtractOutcome ListDocumentImages(const ExtractRequest& request, const ConvertSettings& settings,
                                  MessageSink& messages, ProgressSink& progress, std::vector<ImageEntry>* entries,
                                  const std::atomic<bool>* stop) {
    ChosenPages chosen;
    std::unique_ptr<PDFDoc> document = OpenChosenPages(request, settings, messages, &chosen);
    if (!document)
        return chosen.refusal;
    ImageCatalogueDev device(*entries, MaskFate(settings));
    PageImageScan scan(*document);
    const int count = chosen.pages.last - chosen.pages.first + 1;
    for (int page = chosen.pages.first; page <= chosen.pages.last && !(stop && *stop); ++page) {
        if (scan.MayDrawImages(page))
            DisplayPage(*document, device, page);
        const int k = page - chosen.pages.first + 1;
        progress.SetCurrent(FormatText("Page %d of %d, %d%%", k, count, 100 * k / count), 100 * k / count);
    }
    // A mask follows its image, whose size decides for both.
    const ImageEntry* image = nullptr;
    for (ImageEntry& entry : *entries) {
        const bool small = IsMaskOfAnImage(entry) && image
                               ? image->noFile == kBelowMinimumSize
                               : entry.width < settings.minimumWidth || entry.height < settings.minimumHeight;
        if (entry.noFile.empty() && small)
            entry.noFile = kBelowMinimumSize;
        if (!IsMaskOfAnImage(entry))
            image = &entry;
    }
    return ExtractOutcome::Extracted;
}
