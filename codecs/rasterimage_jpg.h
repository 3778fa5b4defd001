#pragma once
// JPEG writer through libjpeg: 24-bit images as RGB, identity-gray images as
// one gray component; other palette images are refused.
#include "codecs/rasterimage.h"

class CRasterImageJPG : public CRasterImage {
public:
    CRasterImageJPG() : CRasterImage(RASTER_FORMAT_JPG) {}
    bool Encode(CByteStream* stream);
};
