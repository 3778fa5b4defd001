#pragma once
// Helpers for the codec tests: images built from text, streams that fail.
#include "codecs/rasterimage.h"

#include <string>
#include <vector>

namespace codec_test {

inline RGBQUAD Rgb(int r, int g, int b) {
    return RGBQUAD{static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r), 0};
}

// The bytes a memory stream holds after encoding the image with type.
std::string EncodeToBytes(CRasterImage& image, uint32_t type, bool* ok = nullptr);

// Loads an image from bytes (through a temporary file, as the conversion
// pass does) with the given hint.
bool LoadFromBytes(CRasterImage& image, const std::string& bytes, uint32_t hint);

// A stream that accepts writes but reports an error state, as a full disk does.
class FailingStream : public CMemStream {
public:
    FailingStream() { Open(); }
    long Error() override { return 1; }
    bool Flush() override { return false; }
};

} // namespace codec_test
