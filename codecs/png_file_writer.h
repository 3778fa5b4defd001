#pragma once
// A non-interlaced PNG written in one go: the rows are filtered into one
// buffer and compressed whole with libdeflate, which is several times faster
// than libpng's row-by-row zlib stream at the same size.

#include "codecs/bytestream.h"

#include <cstdint>
#include <string>
#include <vector>

struct PngFileLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitDepth = 8;
    uint8_t colourType = 0;                // PNG colour type: 0 grey, 2 RGB, 3 palette
    std::vector<uint8_t> paletteRgb;      // red, green, blue per entry (palette images)
    uint32_t xPixelsPerMetre = 0;
    uint32_t yPixelsPerMetre = 0;
};

class PngFileWriter {
public:
    // Paeth is tried on each row against no filter when tryPaeth is set
    // (the smaller sum of absolute values wins); level is libdeflate's.
    PngFileWriter(const PngFileLayout& layout, bool tryPaeth, int level);

    size_t RowBytes() const { return rowBytes_; }
    // Adds the next row from the top, RowBytes() bytes in PNG byte order.
    void AddRow(const uint8_t* row);
    // Compresses the rows and writes the file; on failure says why in *error.
    bool Write(CByteStream* stream, std::string* error);

private:
    PngFileLayout layout_;
    bool tryPaeth_;
    int level_;
    size_t rowBytes_;
    size_t pixelBytes_;
    std::vector<uint8_t> filtered_;
    std::vector<uint8_t> previous_;
};
