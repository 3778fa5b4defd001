#pragma once
// Reads the decoded rows of an image stream and unpacks them to one byte per
// sample, most significant bits first, as the engine's colour maps take them
// (deeper samples keep their eight most significant bits). Rows are read in blocks; bytes past
// the end of the data read as 0xFF, the low byte of the engine's end-of-data
// value, so a short stream still yields whole rows.
#include <Object.h>
#include <Stream.h>

#include <cstdint>
#include <vector>

class SampleRowReader {
public:
    SampleRowReader(Stream* str, int width, int components, int bits);

    // Bytes one row takes in the stream.
    std::int64_t RowBytes() const { return rowBytes_; }
    // Reads the next row into samples (width * components bytes) and returns
    // how many of its bytes the stream really delivered.
    int ReadRow(unsigned char* samples);

private:
    Stream* str_;
    int values_; // samples per row
    int bits_;
    std::int64_t rowBytes_;
    std::vector<unsigned char> packed_;
};
