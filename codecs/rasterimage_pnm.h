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

class CRasterImagePNM : public CRasterImage {
public:
    CRasterImagePNM() : CRasterImage(RASTER_FORMAT_PNM) {}
    // type: the format id recorded for gray images.
    bool Decode(CByteStream* stream, uint32_t type);

private:
    // Reads a PAM header after its "P7"; false when it is not one this
    // reader takes.
    bool ReadPamHeader(CByteStream* stream, uint32_t* width, uint32_t* height, uint32_t* maxValue, int* depth,
                       bool* alpha);
    bool DecodeRows(CByteStream* stream, char kind, uint32_t width, uint32_t height, uint32_t maxValue,
                    uint32_t type, int depth = 0, bool alpha = false);
};
