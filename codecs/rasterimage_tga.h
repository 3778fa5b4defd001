#pragma once
// TGA writer: uncompressed colour-mapped (8 bits) or true-colour (24 bits, or
// 32 with an alpha plane).
#include "codecs/rasterimage.h"

class CRasterImageTGA : public CRasterImage {
public:
    CRasterImageTGA() : CRasterImage(RASTER_FORMAT_TGA) {}
    bool Encode(CByteStream* stream);
};
