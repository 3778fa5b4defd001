#pragma once
// PCX writer: version 5, run-length encoded, top row first.
#include "codecs/rasterimage.h"

class CRasterImagePCX : public CRasterImage {
public:
    CRasterImagePCX() : CRasterImage(RASTER_FORMAT_PCX) {}
    bool Encode(CByteStream* stream);
};
