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
// directory, as listed before the first conversion. In a directory that
// several documents share, imageTitle limits the pass to one document's
// images ("report" takes report-000.ppm, report-001.pbm... but not
// report-2-000.ppm), so that files another document could not convert are not
// tried again for every later document.
ConversionCounts ConvertDirectory(const std::string& directory, const ConvertSettings& settings,
                                  const std::string& imageTitle = {});
