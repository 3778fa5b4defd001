#include "engine/dump/kept_encoding.h"

#include "engine/dump/ccitt_tiff.h"
#include "engine/dump/jbig2_file.h"
#include "engine/pdf/stored_image_data.h"

#include <cstdint>

namespace {

// The note of an image decoded after all.
const char kDecodedBecause[] = "decoded: ";

KeptEncoding Decoded(const std::string& reason) { return {{}, {}, kDecodedBecause + reason}; }

// Whether a JPEG file carries the segment that marks CMYK data stored
// inverted, as the Adobe applications write it.
bool AdobeSegment(const std::string& jpeg) {
    for (size_t at = 2; at + 4 <= jpeg.size();) {
        if (static_cast<unsigned char>(jpeg[at]) != 0xFF)
            return false;
        const unsigned char marker = static_cast<unsigned char>(jpeg[at + 1]);
        if (marker == 0xDA || marker == 0xD9)
            return false; // the segments before the image data are over
        const size_t length = (static_cast<unsigned char>(jpeg[at + 2]) << 8) | static_cast<unsigned char>(jpeg[at + 3]);
        if (marker == 0xEE && jpeg.compare(at + 4, 5, "Adobe") == 0)
            return true;
        at += 2 + length;
    }
    return false;
}

KeptEncoding KeepJpeg(std::string data, int components) {
    if (data.size() < 2 || static_cast<unsigned char>(data[0]) != 0xFF || static_cast<unsigned char>(data[1]) != 0xD8)
        return Decoded("its data does not start like a JPEG file");
    std::string note;
    if (components == 4)
        note = AdobeSegment(data) ? "CMYK, stored inverted" : "CMYK";
    return {"jpg", std::move(data), note};
}

KeptEncoding KeepJpx(std::string data) {
    // A JP2 file starts with its signature box; a bare codestream with the
    // start-of-codestream and size markers.
    static const char kJp2[] = "\x00\x00\x00\x0CjP  \r\n\x87\n";
    static const char kCodestream[] = "\xFF\x4F\xFF\x51";
    if (data.compare(0, 12, kJp2, 12) == 0)
        return {"jp2", std::move(data), {}};
    if (data.compare(0, 4, kCodestream, 4) == 0)
        return {"j2k", std::move(data), {}};
    return Decoded("its data is neither a JP2 file nor a JPEG 2000 codestream");
}

KeptEncoding KeepCcitt(Stream* str, std::string data, int width, int height, OneBitLook look) {
    const CcittParameters parameters = CcittParametersOf(str);
    if (const std::string refusal = CcittTiffRefusal(parameters, width); !refusal.empty())
        return Decoded(refusal);
    if (look.blackSample < 0)
        return Decoded("its two colours are not black and white, which a fax file cannot show");
    if (data.size() > UINT32_MAX - 4096)
        return Decoded("its data is too large for a TIFF file");
    // The fax's white runs decode to 1 bits, or to 0 bits with /BlackIs1;
    // the TIFF file shows them black when the page shows that value black.
    const int whiteRuns = parameters.blackIs1 ? 0 : 1;
    return {"tif", CcittTiff(parameters, width, height, look.blackSample == whiteRuns, data), {}};
}

KeptEncoding KeepJbig2(Stream* str, const std::string& data, OneBitLook look) {
    // JBIG2's 1 bits are black; the page may show them otherwise.
    if (look.blackSample != 0 && look.blackSample != 1)
        return Decoded("its two colours are not black and white, which a JBIG2 file cannot show");
    std::string refusal;
    std::string file = Jbig2File(Jbig2GlobalSegments(str), data, &refusal);
    if (file.empty())
        return Decoded(refusal);
    // The library decodes JBIG2's black as 0, so sample 0 shows black when
    // the page shows the file as it is.
    return {"jb2", std::move(file), look.blackSample == 0 ? std::string() : "shown inverted on the page"};
}

} // namespace

KeptEncoding KeepStoredEncoding(Stream* str, int width, int height, int components, OneBitLook look,
                                bool inlineImg) {
    const StoredCodec codec = StoredCodecOf(str);
    if (codec == StoredCodec::None)
        return {};
    if (inlineImg && codec != StoredCodec::Jpeg)
        return Decoded("an inline image's data ends where its decoding ends");
    std::string data = ReadStoredData(str, inlineImg);
    if (data.empty())
        return Decoded("its stored data cannot be read");
    switch (codec) {
    case StoredCodec::Jpeg: return KeepJpeg(std::move(data), components);
    case StoredCodec::Jpx: return KeepJpx(std::move(data));
    case StoredCodec::Ccitt: return KeepCcitt(str, std::move(data), width, height, look);
    case StoredCodec::Jbig2: return KeepJbig2(str, data, look);
    case StoredCodec::None: break;
    }
    return {};
}
