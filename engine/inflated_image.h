#pragma once
// The decoded data of an image stored with Flate alone (with or without a
// TIFF or PNG predictor), inflated in one go with libdeflate from the
// document's stored bytes, which the PDF library reads (and decrypts): a
// raw dump of a manual of Flate images takes about 0.6 of the CPU time it
// takes through the library's own inflater. The result must
// be the library's to the byte, so the slightest doubt leaves the image to
// the library's stream: another filter, parameters this code does not take,
// an inflate error (damaged data, a wrong checksum), decoded data shorter or
// longer than the image, or more than 1 GB of it.
#include "engine/predictor_rows.h"

#include <Object.h>
#include <Stream.h>

#include <cstdint>
#include <memory>
#include <vector>

// The decoded data of str, decodedBytes long, or false (and nothing) when
// it is in doubt.
bool InflateImageData(Stream* str, std::int64_t decodedBytes, std::vector<unsigned char>* decoded);

class InflatedImage {
public:
    // Inflates the data of an image XObject (never an inline image) when it
    // can; the rows of the image are then read from memory.
    InflatedImage(Stream* str, bool inlineImage, std::int64_t decodedBytes);
    // Leaves the decoded buffer to the next image of the thread.
    ~InflatedImage();
    InflatedImage(const InflatedImage&) = delete;
    InflatedImage& operator=(const InflatedImage&) = delete;

    // The stream to read the image's rows from: the decoded data in memory,
    // or str itself.
    Stream* Source() const { return memory_ ? memory_.get() : str_; }

private:
    Stream* str_;
    std::vector<unsigned char> decoded_;
    std::unique_ptr<MemStream> memory_;
};
