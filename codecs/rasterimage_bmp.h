#pragma once
// BMP files: the writer, and a reader of uncompressed 1, 4, 8 and 24-bit
// images that refuses everything else (a PNM file among them).
#include "codecs/rasterimage.h"

class CRasterImageBMP : public CRasterImage {
public:
    CRasterImageBMP() : CRasterImage(RASTER_FORMAT_BMP) {}
    bool Decode(CByteStream* stream);
    bool Encode(CByteStream* stream);
};
