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

// Which images drawn again get no second file, stored in
// ConvertSettings::skipRepeated.
enum RepeatedImages {
    REPEATS_KEPT = 0,        // every use of an image gets a file
    REPEATS_SAME_OBJECT = 1, // a use of the same object at the same size in the same document
    REPEATS_SAME_PIXELS = 2, // that, and an image whose decoded pixels those of another of the run repeat
    REPEATS_COUNT = 3
};

// The command line's word for a choice ("object", "content"); empty for
// REPEATS_KEPT and outside the range.
const char* RepeatedImagesName(int repeats);

// What becomes of the mask an image is drawn through (a soft mask, a stencil
// mask, a colour key), stored in ConvertSettings::masks.
enum MaskOutput {
    MASKS_ALPHA = 0,    // the image's alpha channel, in formats that carry one
    MASKS_SEPARATE = 1, // a PGM file beside the image
    MASKS_NONE = 2,     // the image alone, as the page's other images
    MASKS_COUNT = 3
};

// The command line's word for a mask choice ("alpha", "separate", "none");
// empty outside 0 to 2.
const char* MaskOutputName(int masks);
// The choice a word names, -1 when none.
int MaskOutputFromName(const std::string& name);
// Whether the format's files carry an alpha channel (png, tif, tga).
bool FormatCarriesAlpha(int format);
// What a run does with masks: the choice (alpha for a value outside 0 to 2),
// except that alpha falls back to none for a format without an alpha channel.
int EffectiveMaskOutput(int masks, int format);

// How each file lies, stored in ConvertSettings::orientation.
enum Orientation {
    ORIENT_STORED = 0, // as the document stores the image
    ORIENT_SHOWN = 1,  // turned and mirrored as the page shows it
    ORIENT_COUNT = 2
};

// The command line's word for an orientation ("stored", "shown"); empty
// outside 0 to 1.
const char* OrientationName(int orientation);
// The orientation a word names, -1 when none.
int OrientationFromName(const std::string& name);

struct ConvertSettings {
    int pageRange = 0; // 0: all pages, 1: startPage to endPage
    int startPage = 1;
    int endPage = 1000;
    int openResult = 0; // 0: "Yes", 1: "No"
    std::string outputDirectory; // not persisted
    int imagesFormat = OUTPUT_JPG;
    int jpegQuality = 70;
    int jpegGrayScale = 1; // 0: "True" (gray), 1: "False"
    int masks = MASKS_ALPHA; // a MaskOutput
    int orientation = ORIENT_STORED; // an Orientation
    // What one document may take in the desktop program's runs; 0 for no
    // limit. The command line has options of its own.
    int memoryLimitMb = 4096;
    int timeLimitSeconds = 600;
    // Images smaller than this in either direction get no file; 0 for none.
    int minimumWidth = 0;
    int minimumHeight = 0;
    // File names of the images (see ImageNameTemplate); empty for "-NNN".
    std::string nameTemplate;
    int skipRepeated = REPEATS_KEPT; // a RepeatedImages
    // 1: images stored as JPEG, JPEG 2000, CCITT fax or JBIG2 data are
    // written as those formats' files, undecoded (0: "No").
    int keepStored = 0;
};
