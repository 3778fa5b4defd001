#include "engine/catalogue/image_catalogue_dev.h"

ImageCatalogueDev::ImageCatalogueDev(std::vector<ImageEntry>& entries, const char* maskFate)
    : ImageDumpDev("", false, &discard_), entries_(entries), maskFate_(maskFate) {}

void ImageCatalogueDev::startPage(int pageNum, GfxState*, XRef* xref) {
    page_ = pageNum;
    xref_ = xref;
}

void ImageCatalogueDev::drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert,
                                      bool interpolate, bool inlineImg) {
    Add(DescribeImage("stencil", state, str, width, height, nullptr, interpolate, inlineImg), ref, nextNumber_++);
    if (inlineImg)
        ImageDumpDev::drawImageMask(state, ref, str, width, height, invert, interpolate, inlineImg);
}

void ImageCatalogueDev::drawImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                                  GfxImageColorMap* colorMap, bool interpolate, const int* maskColors,
                                  bool inlineImg) {
    Add(DescribeImage("image", state, str, width, height, colorMap, interpolate, inlineImg), ref, nextNumber_++);
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

void ImageCatalogueDev::Add(ImageEntry entry, Object* ref, int number) {
    entry.page = page_;
    entry.number = number;
    SetObject(entry, ref, xref_);
    entries_.push_back(std::move(entry));
}

void ImageCatalogueDev::AddMask(ImageEntry entry, Object* imageRef, const char* key) {
    entry.page = page_;
    entry.number = nextNumber_ - 1;
    entry.noFile = maskFate_;
    SetObject(entry, imageRef, xref_, key);
    entries_.push_back(std::move(entry));
}
