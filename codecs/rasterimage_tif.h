#pragma once
// TIFF writer through libtiff: one page per save; Group 4 for 1-bit, LZW for
// 4 and 8 bits, JPEG for 24 bits.
#include "codecs/rasterimage.h"

#include <tiffio.h>

#include <string>

class CRasterImageTIF : public CRasterImage {
public:
    CRasterImageTIF() : CRasterImage(RASTER_FORMAT_TIF) {}
    ~CRasterImageTIF() override;
    // Appending keeps the file open for further pages; this system never appends.
    bool Encode(CByteStream* stream, bool append = false);

private:
    bool EncodePage(TIFF* tiff);
    void Reset();
    // Sets the error text: the failure, with the library's first complaint.
    void Fail(const char* failure);

    TIFF* tiff_ = nullptr;
    bool multipage_ = false;
    int pages_ = 0;
    std::string libraryError_; // the library's first complaint about the open file
};
