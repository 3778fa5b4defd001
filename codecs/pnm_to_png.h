#pragma once
// A raw PBM file, a raw PGM or PPM file of 8-bit samples, or a PAM file of
// 8-bit red, green, blue and opacity, written as PNG straight from the file
// (or its bytes): the same file as the PNG writer gives for the loaded image,
// but only the filtered rows are held in memory, not the image as well.
// Other files (plain PNM, other sample sizes, images too large to be
// compressed whole) are not taken; the caller loads them.
#include "codecs/bytestream.h"
#include "codecs/rasterimage_pnm.h"

#include <cstdint>
#include <string>

class PnmToPng {
public:
    // Reads the header of the file in source, which must outlive this.
    explicit PnmToPng(CByteStream& source);

    // Whether the file is one this writes.
    bool Taken() const { return taken_; }
    // Writes the PNG file into target; false, with *error saying why, when
    // the file could not be read or the PNG not written.
    bool Write(CByteStream* target, std::string* error);

private:
    bool SeekRow(uint64_t fileRow);
    bool ReadNextRow(uint8_t* row);
    bool Flat();

    CByteStream& source_;
    PnmHeader header_;
    long dataStart_ = 0;
    uint32_t bitsPerPixel_ = 0;
    uint64_t rowBytes_ = 0;      // of a row in the file
    uint64_t filteredBytes_ = 0; // of the loaded image's rows, each with a filter byte
    bool taken_ = false;
};
