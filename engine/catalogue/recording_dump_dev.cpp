#include "engine/catalogue/recording_dump_dev.h"

#include <Object.h>

RecordingDumpDev::RecordingDumpDev(const std::string& rootPath, bool passJpeg, ImageHandoff* handoff, int masks,
                                   std::vector<ImageEntry>& entries)
    : ImageDumpDev(rootPath, passJpeg, handoff, masks), entries_(entries) {}

void RecordingDumpDev::startPage(int pageNum, GfxState* state, XRef* xref) {
    ImageDumpDev::startPage(pageNum, state, xref);
    page_ = pageNum;
    xref_ = xref;
}

void RecordingDumpDev::Describe(const char* type, GfxState* state, Object* ref, Stream* str, int width, int height,
                                GfxImageColorMap* colorMap, bool interpolate, bool inlineImg) {
    if (drawing_)
        return;
    ImageEntry entry = DescribeImage(type, state, str, width, height, colorMap, interpolate, inlineImg);
    entry.page = page_;
    SetObject(entry, ref, xref_);
    entries_.push_back(std::move(entry));
    drawing_ = true;
}

void RecordingDumpDev::Settled(const ImageFate& fate) {
    // Told once per image; a device that writes more than one file for an
    // image keeps the fate of the first.
    if (!drawing_ || entries_.empty())
        return;
    drawing_ = false;
    ImageEntry& entry = entries_.back();
    entry.number = fate.number;
    entry.file = fate.file;
    entry.noFile = fate.noFile;
    entry.duplicateOf = fate.duplicateOf;
    entry.pixelsHash = fate.pixelsHash;
    entry.turnNote = fate.turnNote;
    entry.keptAs = fate.keptAs;
    entry.note = fate.note;
}

void RecordingDumpDev::drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert,
                                     bool interpolate, bool inlineImg) {
    Describe("stencil", state, ref, str, width, height, nullptr, interpolate, inlineImg);
    ImageDumpDev::drawImageMask(state, ref, str, width, height, invert, interpolate, inlineImg);
    drawing_ = false;
}

void RecordingDumpDev::drawImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                                 GfxImageColorMap* colorMap, bool interpolate, const int* maskColors,
                                 bool inlineImg) {
    Describe("image", state, ref, str, width, height, colorMap, interpolate, inlineImg);
    ImageDumpDev::drawImage(state, ref, str, width, height, colorMap, interpolate, maskColors, inlineImg);
    drawing_ = false;
}

void RecordingDumpDev::drawMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                                       GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr, int maskWidth,
                                       int maskHeight, bool maskInvert, bool maskInterpolate) {
    Describe("image", state, ref, str, width, height, colorMap, interpolate, false);
    ImageDumpDev::drawMaskedImage(state, ref, str, width, height, colorMap, interpolate, maskStr, maskWidth,
                                  maskHeight, maskInvert, maskInterpolate);
    drawing_ = false;
}

void RecordingDumpDev::drawSoftMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                                           GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr,
                                           int maskWidth, int maskHeight, GfxImageColorMap* maskColorMap,
                                           bool maskInterpolate) {
    Describe("image", state, ref, str, width, height, colorMap, interpolate, false);
    ImageDumpDev::drawSoftMaskedImage(state, ref, str, width, height, colorMap, interpolate, maskStr, maskWidth,
                                      maskHeight, maskColorMap, maskInterpolate);
    drawing_ = false;
}
