#pragma once
// PBM, PGM and PPM files (P1 to P6, maximum values 1 to 65535).
//
// PBM and PGM give one gray component and PPM three, each with the precision
// of the maximum value (the bits it needs; 1 for PBM, where white is 1 and
// black 0). Three components become a 24-bit image; one component becomes an
// image of min(precision, 8) bits with a gray ramp palette. Samples wider than
// 8 bits keep their top 8 bits; narrower ones are stored as they are.
//
// PAM files (P7) with the tuple types GRAYSCALE, RGB, GRAYSCALE_ALPHA and
// RGB_ALPHA are read the same way; an alpha channel makes a 24-bit image with
// an alpha plane.
#include "codecs/rasterimage.h"

struct PnmHeader {
    char kind = 0; // '1' to '7', the digit after the P
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t maxValue = 1; // 1 for PBM
    int depth = 0;         // of a PAM file: its samples per pixel
    bool alpha = false;    // of a PAM file: whether its last sample is opacity
};

// Reads a header up to the first sample; false with *error set when the
// stream holds none.
bool ReadPnmHeader(CByteStream* stream, PnmHeader* header, const char** error);

class CRasterImagePNM : public CRasterImage {
public:
    CRasterImagePNM() : CRasterImage(RASTER_FORMAT_PNM) {}
    // type: the format id recorded for gray images.
    bool Decode(CByteStream* stream, uint32_t type);

private:
    bool DecodeRows(CByteStream* stream, char kind, uint32_t width, uint32_t height, uint32_t maxValue,
                    uint32_t type, int depth = 0, bool alpha = false);
};
