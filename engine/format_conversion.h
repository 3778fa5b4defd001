#pragma once
// The conversion pass: the PBM, PGM and PPM files of an output directory
// become files of the chosen format.
#include "engine/convert_settings.h"

#include <string>

struct ConversionCounts {
    int converted = 0;
    int failed = 0; // sources that could not be read or written; they are kept
};

// Converts one file to settings.imagesFormat (1 to 7) beside it and deletes
// the source. A source that cannot be loaded, or whose target cannot be
// written, stays as it is and no broken target is left. Any other format
// leaves the file alone (false).
bool ConvertImageFile(int format, const std::string& path, const ConvertSettings& settings);

// Converts every .ppm, .pbm and .pgm file (any case) directly in the
// directory, as listed before the first conversion.
ConversionCounts ConvertDirectory(const std::string& directory, const ConvertSettings& settings);
