#include "engine/catalogue/image_catalogue_dev.h"

#include "engine/pdf/stored_image_data.h"

ImageCatalogueDev::ImageCatalogueDev(std::vector<ImageEntry>& entries, const char* maskFate)
    : ImageDumpDev("", false, &discard_), entries_(entries), maskFate_(maskFate) {}

void ImageCatalogueDev::startPage(int pageNum, GfxState*, XRef* xref) {
    page_ = pageNum;
    xref_ = xref;
}

void ImageCatalogueDev::drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert,
                                      bool interpolate, bool inlineImg) {
    ImageEntry entry = DescribeImage("stencil", state, str, width, height, nullptr, interpolate, inlineImg);
    SetKept(entry, str, width, height, nullptr, invert, inlineImg);
    Add(std::move(entry), ref, nextNumber_++);
    if (inlineImg)
        ImageDumpDev::drawImageMask(state, ref, str, width, height, invert, interpolate, inlineImg);
}

void ImageCatalogueDev::drawImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                                  GfxImageColorMap* colorMap, bool interpolate, const int* maskColors,
                                  bool inlineImg) {
    ImageEntry entry = DescribeImage("image", state, str, width, height, colorMap, interpolate, inlineImg);
    SetKept(entry, str, width, height, colorMap, false, inlineImg);
    Add(std::move(entry), ref, nextNumber_++);
    if (inlineImg)
        ImageDumpDev::drawImage(state, ref, str, width, height, colorMap, interpolate, maskColors, inlineImg);
}

void ImageCatalogueDev::drawMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                                        GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr,
                                        int maskWidth, int maskHeight, bool, bool maskInterpolate) {
    drawImage(state, ref, str, width, height, colorMap, interpolate, nullptr, false);
    AddMask(DescribeImage("mask", state, maskStr, maskWidth, maskHeight, nullptr, maskInterpolate, false), ref,
            "Mask");
}

void ImageCatalogueDev::drawSoftMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                                            GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr,
                                            int maskWidth, int maskHeight, GfxImageColorMap* maskColorMap,
                                            bool maskInterpolate) {
    drawImage(state, ref, str, width, height, colorMap, interpolate, nullptr, false);
    AddMask(DescribeImage("smask", state, maskStr, maskWidth, maskHeight, maskColorMap, maskInterpolate, false), ref,
            "SMask");
}

void ImageCatalogueDev::SetKept(ImageEntry& entry, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                                bool invert, bool inlineImg) {
    if (!listKept_)
        return;
    // An inline image's data is read once, as the dump reads it; inline JPEG
    // data is kept as it is.
    if (inlineImg && StoredCodecOf(str) == StoredCodec::Jpeg) {
        entry.keptAs = "jpg";
        return;
    }
    const KeptEncoding kept = KeptFor(str, width, height, colorMap, invert, inlineImg);
    entry.keptAs = kept.extension;
    entry.note = kept.note;
}

void ImageCatalogueDev::Add(ImageEntry entry, Object* ref, int number) {
    entry.page = page_;
    entry.number = number;
    SetObject(entry, ref, xref_);
    entries_.push_back(std::move(entry));
}

void ImageCatalogueDev::AddMask(ImageEntry entry, Object* imageRef, const char* key) {
    entry.page = page_;
    entry.number = nextNumber_ - 1;
    // An image kept in its stored encoding has no alpha: its mask goes beside it.
    const bool besideKept = !entries_.empty() && !entries_.back().keptAs.empty() &&
                            std::string(maskFate_) == kMaskInAlpha;
    entry.noFile = besideKept ? "" : maskFate_;
    SetObject(entry, imageRef, xref_, key);
    entries_.push_back(std::move(entry));
}
