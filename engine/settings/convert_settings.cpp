#include "engine/settings/convert_settings.h"

namespace {
const char* const kLabels[OUTPUT_FORMAT_COUNT] = {"ppm/pbm", "jpg", "bmp", "gif", "png", "tif", "tga", "pcx"};
const char* const kMaskNames[MASKS_COUNT] = {"alpha", "separate", "none"};
const char* const kOrientationNames[ORIENT_COUNT] = {"stored", "shown"};
} // namespace

const char* OutputFormatLabel(int format) {
    return (format >= 0 && format < OUTPUT_FORMAT_COUNT) ? kLabels[format] : "";
}

int OutputFormatFromLabel(const std::string& label) {
    for (int i = 0; i < OUTPUT_FORMAT_COUNT; ++i)
        if (label == kLabels[i])
            return i;
    return -1;
}

const char* RepeatedImagesName(int repeats) {
    switch (repeats) {
    case REPEATS_SAME_OBJECT: return "object";
    case REPEATS_SAME_PIXELS: return "content";
    default: return "";
    }
}

const char* MaskOutputName(int masks) { return (masks >= 0 && masks < MASKS_COUNT) ? kMaskNames[masks] : ""; }

int MaskOutputFromName(const std::string& name) {
    for (int i = 0; i < MASKS_COUNT; ++i)
        if (name == kMaskNames[i])
            return i;
    return -1;
}

const char* OrientationName(int orientation) {
    return orientation >= 0 && orientation < ORIENT_COUNT ? kOrientationNames[orientation] : "";
}

int OrientationFromName(const std::string& name) {
    for (int i = 0; i < ORIENT_COUNT; ++i)
        if (name == kOrientationNames[i])
            return i;
    return -1;
}

bool FormatCarriesAlpha(int format) { return format == OUTPUT_PNG || format == OUTPUT_TIF || format == OUTPUT_TGA; }

int EffectiveMaskOutput(int masks, int format) {
    const int chosen = masks >= 0 && masks < MASKS_COUNT ? masks : MASKS_ALPHA; // a hand-edited value: the default
    return chosen == MASKS_ALPHA && !FormatCarriesAlpha(format) ? MASKS_NONE : chosen;
}
