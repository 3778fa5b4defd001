#pragma once
// PNG writer: palette, gray or RGB images. Non-interlaced images up to a
// size limit are compressed whole with libdeflate; the others through
// libpng's row stream.
#include "codecs/rasterimage.h"

class CRasterImagePNG : public CRasterImage {
public:
    CRasterImagePNG() : CRasterImage(RASTER_FORMAT_PNG) {}
    bool Encode(CByteStream* stream);

private:
    // The image's size once filtered: a filter byte and the stored row for each row.
    uint64_t FilteredBytes() const;
    bool EncodeWhole(CByteStream* stream);
    bool EncodeByRows(CByteStream* stream);
};
