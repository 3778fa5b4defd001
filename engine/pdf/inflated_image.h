#pragma once
// The rows of an image stored with Flate alone, read from its data inflated
// in one go (see flate_data.h) where it can be.
#include "engine/pdf/flate_data.h"

#include <Object.h>
#include <Stream.h>

#include <cstdint>
#include <memory>
#include <vector>

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
