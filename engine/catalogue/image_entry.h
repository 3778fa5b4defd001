#pragma once
// What the catalogue says of one image the dump device meets: its facts, read
// from the image's dictionary, its stream and its placement on the page
// without decoding it, and, after a run, what became of it.
#include "engine/dump/no_file_reasons.h"
#include "engine/pdf/image_placement.h"

#include <nlohmann/json.hpp>

#include <string>

class GfxImageColorMap;
class GfxState;
class Object;
class Stream;
class XRef;

struct ImageEntry {
    int page = 0;
    int number = 0;            // the number the dump gives the image; a mask has its image's
    std::string type;          // "image", "stencil", or "mask" / "smask" (an image's mask, listed after it)
    int width = 0;
    int height = 0;
    std::string colourSpace;   // "DeviceRGB", "Indexed"...; empty for stencils and masks
    int components = 1;
    int bitsPerComponent = 1;
    std::string encoding;      // the filters in the order they decode, joined by '+': "flate", "jpeg"; "raw" for none
    bool interpolate = false;
    bool inlineImage = false;
    int object = 0;            // with generation; 0 when inline or unknown
    int generation = 0;
    double placedWidth = 0;    // on the page, in points
    double placedHeight = 0;
    double ppiX = 0;           // pixels per inch as placed; 0 when the image has no extent
    double ppiY = 0;
    ImagePlacement placement;  // where the page shows it
    long long storedBytes = -1; // the stream as stored; -1 when unknown (inline)
    long long decodedBytes = 0; // its samples, rows padded to whole bytes

    // What became of it.
    std::string file;          // the file written; empty when none was
    std::string noFile;        // why none was
    std::string duplicateOf;   // for a repeat: the first file of the image
    long long fileBytes = -1;
    std::string sha256;        // of the file written, in hex
    std::string pixelsHash;    // of what the dump wrote, when repeats are compared by content
    std::string turnNote;      // how the file was turned when it could not be turned as stored
    // When stored encodings are kept: the extension of the file in the
    // image's stored encoding, and what the run says of it (see KeptEncoding).
    std::string keptAs;
    std::string note;
};


// The facts of an image, a stencil mask (colorMap null) or an image's mask
// (type "mask" or "smask"), as the engine hands it to the device.
ImageEntry DescribeImage(const char* type, GfxState* state, Stream* str, int width, int height,
                         GfxImageColorMap* colorMap, bool interpolate, bool inlineImage);
// The object number of the image (ref), or of its mask when maskKey names the
// entry of the image's dictionary ("Mask", "SMask").
void SetObject(ImageEntry& entry, Object* ref, XRef* xref, const char* maskKey = nullptr);

// The stored size over the decoded size; 0 when either is unknown.
double StoredRatio(const ImageEntry& entry);

// The entry as a JSON object with fixed keys (see ImageEntryKeys), and back.
nlohmann::json ImageEntryJson(const ImageEntry& entry);
ImageEntry ImageEntryFromJson(const nlohmann::json& value);
