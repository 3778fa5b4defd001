#include "tests/codecs/codec_test_support.h"

#include "tests/support/test_support.h"

namespace codec_test {

std::string EncodeToBytes(CRasterImage& image, uint32_t type, bool* ok) {
    CMemStream stream;
    stream.Open();
    bool encoded = image.Encode(&stream, type);
    if (ok)
        *ok = encoded;
    return std::string(reinterpret_cast<char*>(stream.GetBuffer(false)), static_cast<size_t>(stream.Size()));
}

bool LoadFromBytes(CRasterImage& image, const std::string& bytes, uint32_t hint) {
    testing_support::TempDir dir;
    testing_support::WriteFile(dir / "image", bytes);
    return image.Load((dir / "image").c_str(), hint);
}

} // namespace codec_test
