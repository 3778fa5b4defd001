// Saving an image: Encode hands the image to the writer of the format, which
// works on a ghost of it (so what a writer changes, the image shows).
#include "codecs/rasterimage.h"
#include "codecs/rasterimage_bmp.h"
#include "codecs/rasterimage_gif.h"
#include "codecs/rasterimage_jpg.h"
#include "codecs/rasterimage_pcx.h"
#include "codecs/rasterimage_png.h"
#include "codecs/rasterimage_tga.h"
#include "codecs/rasterimage_tif.h"

#include <string>

namespace {

template <typename Writer>
bool RunWriter(CRasterImage& image, CByteStream* stream, std::string* error) {
    Writer writer;
    writer.Ghost(&image);
    if (writer.Encode(stream))
        return true;
    *error = writer.GetLastError();
    return false;
}

} // namespace

bool CRasterImage::EncodeSafeCheck(CByteStream* stream) {
    if (!stream) {
        SetLastError("null file handler");
        return true;
    }
    if (!pDib) {
        SetLastError("null image!!!");
        return true;
    }
    return false;
}

bool CRasterImage::Encode(CByteStream* stream, uint32_t type) {
    std::string error;
    bool ok;
    switch (type) {
    case RASTER_FORMAT_BMP: ok = RunWriter<CRasterImageBMP>(*this, stream, &error); break;
    case RASTER_FORMAT_GIF: ok = RunWriter<CRasterImageGIF>(*this, stream, &error); break;
    case RASTER_FORMAT_JPG: ok = RunWriter<CRasterImageJPG>(*this, stream, &error); break;
    case RASTER_FORMAT_PNG: ok = RunWriter<CRasterImagePNG>(*this, stream, &error); break;
    case RASTER_FORMAT_TIF: ok = RunWriter<CRasterImageTIF>(*this, stream, &error); break;
    case RASTER_FORMAT_TGA: ok = RunWriter<CRasterImageTGA>(*this, stream, &error); break;
    case RASTER_FORMAT_PCX: ok = RunWriter<CRasterImagePCX>(*this, stream, &error); break;
    default:
        SetLastError("Encode: Unknown format");
        return false;
    }
    if (!ok)
        SetLastError(error.c_str());
    return ok;
}

bool CRasterImage::Encode(FILE* file, uint32_t type) {
    CFileStream stream(file);
    return Encode(file ? &stream : nullptr, type);
}

bool CRasterImage::Save(const char* filename, uint32_t type) {
    // Open for reading too: the TIFF writer looks at what the file holds.
    FILE* file = std::fopen(filename, "w+b");
    if (!file)
        return false;
    bool ok = Encode(file, type);
    // A failed write or close (a full disk, for instance) is a failed save too.
    ok = std::fflush(file) == 0 && !std::ferror(file) && ok;
    ok = (std::fclose(file) == 0) && ok;
    return ok;
}
