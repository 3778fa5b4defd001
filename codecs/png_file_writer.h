#pragma once
// A non-interlaced PNG written in one go: the rows are filtered into one
// buffer and compressed whole with libdeflate, which is faster than a
// row-by-row zlib stream and gives smaller files at its low levels.
// The buffer holds the whole filtered image: callers keep this writer for
// images of bounded size.

#include "codecs/bytestream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct PngFileLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitDepth = 8;
    uint8_t colourType = 0;           // PNG colour type: 0 grey, 2 RGB, 3 palette, 6 RGB with alpha
    std::vector<uint8_t> paletteRgb;  // red, green, blue per entry (palette images)
    uint32_t xPixelsPerMetre = 0;
    uint32_t yPixelsPerMetre = 0;
};

// Images whose filtered rows take more than this are not written whole: they
// go through libpng's row stream, which holds a row at a time.
constexpr uint64_t kWholePngLimit = 256ull << 20;

// Whether a picture has large flat areas (screenshots, diagrams), from the
// share of its pixels equal to their left neighbour on every kFlatnessRowStep-th
// row, counted from its bottom row; such pictures are compressed unfiltered.
class PngFlatness {
public:
    static constexpr uint32_t kFlatnessRowStep = 8;
    void AddRow(const uint8_t* row, uint32_t width, uint32_t pixelBytes);
    bool Flat() const { return total_ == 0 || same_ * 2 >= total_; }

private:
    uint64_t same_ = 0, total_ = 0;
};

// The libdeflate level for a picture, flat or not, of the given filtered size.
int PngDeflateLevel(bool flat, uint64_t filteredBytes);

class PngFileWriter {
public:
    // With tryPaeth, each row is written with the Paeth filter where that
    // gives the smaller sum of bytes read as signed values, else unfiltered;
    // level is libdeflate's compression level.
    PngFileWriter(const PngFileLayout& layout, bool tryPaeth, int level);

    size_t RowBytes() const { return rowBytes_; }
    // Room for the next row from the top: the caller fills RowBytes() bytes
    // in PNG byte order, then calls EndRow.
    uint8_t* NextRow();
    void EndRow();
    // Compresses the rows and writes the file; false when compressing or
    // writing failed, with *error saying which.
    bool Write(CByteStream* stream, std::string* error);

private:
    // A buffer kept per thread from one image to the next while it is small.
    struct ThreadBuffer {
        std::unique_ptr<uint8_t[]> bytes;
        size_t capacity = 0;
        uint8_t* Take(size_t size);
        void Release();
    };
    static ThreadBuffer& FilteredBuffer();
    static ThreadBuffer& CompressedBuffer();
    bool WriteFile(CByteStream* stream, const uint8_t* compressed, size_t compressedSize);

    PngFileLayout layout_;
    bool tryPaeth_;
    int level_;
    size_t rowBytes_;
    size_t pixelBytes_;
    size_t filteredSize_;
    uint8_t* filtered_;                   // each row: its filter byte, then its bytes
    size_t rowsAdded_ = 0;
    std::vector<uint8_t> previous_;       // the row above, unfiltered
    std::vector<uint8_t> paeth_;
};
