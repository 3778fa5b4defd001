// Loading an image: the hinted reader first, then detection over the readers
// in a fixed order. The readers kept are BMP and PNM; both refuse what is not
// theirs, so a PNM file loaded with the BMP hint is refused by the BMP reader
// and then found by detection.
#include "codecs/rasterimage.h"
#include "codecs/rasterimage_bmp.h"
#include "codecs/rasterimage_pnm.h"

#include <string>

namespace {

// Runs one reader on the stream for the image; on success the image takes
// the reader's contents, on failure the reader's error text is handed back.
template <typename Reader, typename... Args>
bool RunReader(CRasterImage& image, CByteStream* stream, std::string* error, Args... args) {
    Reader reader;
    reader.CopyInfo(image);
    if (reader.Decode(stream, args...)) {
        image.Transfer(reader);
        return true;
    }
    *error = reader.GetLastError();
    return false;
}

bool RunTypedReader(CRasterImage& image, CByteStream* stream, uint32_t type, std::string* error) {
    switch (type) {
    case RASTER_FORMAT_BMP:
        return RunReader<CRasterImageBMP>(image, stream, error);
    case RASTER_FORMAT_JP2:
    case RASTER_FORMAT_JPC:
    case RASTER_FORMAT_PGX:
    case RASTER_FORMAT_PNM:
    case RASTER_FORMAT_RAS:
        return RunReader<CRasterImagePNM>(image, stream, error, type);
    default:
        *error = "Decode: Unknown or wrong format";
        return false;
    }
}

} // namespace

bool CRasterImage::Decode(CByteStream* stream, uint32_t type) {
    if (!stream) {
        SetLastError("null file handler");
        return false;
    }
    std::string error;
    if (type == RASTER_FORMAT_UNKNOWN) {
        const long start = stream->Tell();
        if (RunReader<CRasterImageBMP>(*this, stream, &error))
            return true;
        stream->Seek(static_cast<int32_t>(start), 0);
        if (RunReader<CRasterImagePNM>(*this, stream, &error, RASTER_FORMAT_UNKNOWN))
            return true;
        stream->Seek(static_cast<int32_t>(start), 0);
        SetLastError("Decode: Unknown or wrong format");
        return false;
    }
    if (RunTypedReader(*this, stream, type, &error))
        return true;
    SetLastError(error.c_str());
    return false;
}

bool CRasterImage::Decode(FILE* file, uint32_t type) {
    CFileStream stream(file);
    return Decode(file ? &stream : nullptr, type);
}

bool CRasterImage::Load(const char* filename, uint32_t type) {
    CFileStream stream;
    return stream.Open(filename, "rb") && Load(&stream, type);
}

bool CRasterImage::Load(CByteStream* stream, uint32_t type) {
    // The hinted format first, then detection from the start of the data.
    if (GetTypeIndexFromId(type) != 0) {
        if (Decode(stream, type))
            return true;
    }
    std::string hintedError = info.szLastError;
    if (!stream->Seek(0, SEEK_SET))
        return false;
    bool ok = Decode(stream, RASTER_FORMAT_UNKNOWN);
    if (!ok && type != RASTER_FORMAT_UNKNOWN)
        SetLastError(hintedError.c_str());
    return ok;
}
