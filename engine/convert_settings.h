#pragma once
// The settings record that steers a run, and the output format index.
#include <string>

// Index stored in ConvertSettings::imagesFormat.
enum OutputFormat {
    OUTPUT_PPM_PBM = 0,
    OUTPUT_JPG = 1,
    OUTPUT_BMP = 2,
    OUTPUT_GIF = 3,
    OUTPUT_PNG = 4,
    OUTPUT_TIF = 5,
    OUTPUT_TGA = 6,
    OUTPUT_PCX = 7,
    OUTPUT_FORMAT_COUNT = 8
};

// Label shown for an index ("ppm/pbm", "jpg", ...); empty outside 0 to 7.
const char* OutputFormatLabel(int format);
// Index of a label, -1 when there is none.
int OutputFormatFromLabel(const std::string& label);

struct ConvertSettings {
    int pageRange = 0; // 0: all pages, 1: startPage to endPage
    int startPage = 1;
    int endPage = 1000;
    int openResult = 0; // 0: "Yes", 1: "No"
    std::string outputDirectory; // not persisted
    int imagesFormat = OUTPUT_JPG;
    int jpegQuality = 70;
    int jpegGrayScale = 1; // 0: "True" (gray), 1: "False"
    // What one document may take in the desktop program's runs; 0 for no
    // limit. The command line has options of its own.
    int memoryLimitMb = 4096;
    int timeLimitSeconds = 600;
};
