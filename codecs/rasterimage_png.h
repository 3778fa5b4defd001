#pragma once
// PNG writer through libpng: palette, gray or RGB images.
#include "codecs/rasterimage.h"

class CRasterImagePNG : public CRasterImage {
public:
    CRasterImagePNG() : CRasterImage(RASTER_FORMAT_PNG) {}
    bool Encode(CByteStream* stream);
};
