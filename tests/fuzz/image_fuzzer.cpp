// Fuzz target: arbitrary bytes through format detection (the BMP and PNM
// readers), and whatever loads through the writers that need no library.
#include "codecs/rasterimage.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMemStream input(const_cast<uint8_t*>(data), static_cast<int32_t>(size));
    CRasterImage image;
    if (!image.Decode(&input, RASTER_FORMAT_UNKNOWN))
        return 0;
    for (uint32_t type : {RASTER_FORMAT_BMP, RASTER_FORMAT_TGA, RASTER_FORMAT_PCX, RASTER_FORMAT_GIF}) {
        CMemStream output;
        output.Open();
        image.Encode(&output, type);
    }
    image.GrayScale();
    return 0;
}
