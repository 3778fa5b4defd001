#include "engine/convert_settings.h"

namespace {
const char* const kLabels[OUTPUT_FORMAT_COUNT] = {"ppm/pbm", "jpg", "bmp", "gif", "png", "tif", "tga", "pcx"};
}

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
