#include "engine/pdf/inflated_image.h"

namespace {

// The decoded buffer of the last image on this thread, given to the next
// one: growing a buffer of the same size again (zeroing it, the system
// mapping its pages afresh) costs as much as inflating into it.
thread_local std::vector<unsigned char> spareBuffer;

} // namespace

InflatedImage::InflatedImage(Stream* str, bool inlineImage, std::int64_t decodedBytes)
    : str_(str), decoded_(std::move(spareBuffer)) {
    if (!inlineImage && InflateImageData(str, decodedBytes, &decoded_))
        memory_ = std::make_unique<MemStream>(reinterpret_cast<const char*>(decoded_.data()), 0,
                                              static_cast<Goffset>(decoded_.size()), Object(objNull));
}

InflatedImage::~InflatedImage() {
    memory_.reset();
    if (decoded_.capacity() > spareBuffer.capacity())
        spareBuffer = std::move(decoded_);
}
