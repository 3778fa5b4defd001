#pragma once
// Data stored with Flate alone, inflated in one go with libdeflate from the
// document's stored bytes, which the PDF library reads (and decrypts): the
// library's own inflater takes several times longer. The result must be the
// library's to the byte, so the slightest doubt leaves the stream to the
// library: another filter, parameters this code does not take, an inflate
// error (damaged data, a wrong checksum), decoded data of another size than
// expected, or more than the limit of it.
#include <Object.h>
#include <Stream.h>

#include <cstdint>
#include <memory>
#include <vector>

// The decoded data of an image's stream (with or without a TIFF or PNG
// predictor), decodedBytes long and at most 1 GB, or false (and nothing)
// when it is in doubt.
bool InflateImageData(Stream* str, std::int64_t decodedBytes, std::vector<unsigned char>* decoded);

struct InflatedBytes {
    std::unique_ptr<unsigned char[]> data;
    size_t size = 0;
    const unsigned char* Data() const { return data.get(); }
    size_t Size() const { return size; }
};

// The decoded data of a stream of unknown decoded size without a predictor
// (a page's content), at most largestBytes, or false (and nothing) when it
// is in doubt.
bool InflateStreamData(Stream* str, std::int64_t largestBytes, InflatedBytes* decoded);

// A stream over the inflated data of str (as InflateStreamData gives it)
// that owns the data and keeps str's dictionary, or a null object.
Object InflatedStream(Stream* str, std::int64_t largestBytes);
