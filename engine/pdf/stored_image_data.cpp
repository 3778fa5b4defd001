#include "engine/pdf/stored_image_data.h"

#include <JBIG2Stream.h>

namespace {

// Filters that only carry the data: undoing them changes no pixel.
bool Transports(StreamKind kind) {
    switch (kind) {
    case strFlate:
    case strLZW:
    case strRunLength:
    case strASCIIHex:
    case strASCII85:
    case strCrypt:
        return true;
    default:
        return false;
    }
}

// Reads the stream to its end.
std::string ReadAll(Stream* str) {
    std::string data;
    unsigned char block[64 * 1024];
    str->reset();
    for (int got; (got = str->doGetChars(sizeof block, block)) > 0;)
        data.append(reinterpret_cast<const char*>(block), static_cast<size_t>(got));
    str->close();
    return data;
}

// Reads a JPEG stream up to its end-of-image marker: segments by their
// lengths, entropy-coded data up to the next marker that is not a restart
// or a stuffed byte. Empty when the data does not start like a JPEG file.
std::string ReadJpeg(Stream* str) {
    std::string data;
    str->reset();
    auto next = [&]() {
        const int c = str->getChar();
        if (c != EOF)
            data += static_cast<char>(c);
        return c;
    };
    if (next() != 0xFF || next() != 0xD8) {
        str->close();
        return {};
    }
    for (int c = next(); c != EOF; c = next()) {
        if (c != 0xFF)
            continue; // entropy-coded data, or bytes between segments
        int marker = next();
        while (marker == 0xFF)
            marker = next();
        if (marker == EOF || marker == 0xD9)
            break;
        if (marker == 0x00 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // a stuffed byte or a restart: still within the scan
        if (marker == 0x01) // a marker without a length
            continue;
        const int high = next(), low = next();
        if (low == EOF)
            break;
        int left = ((high << 8) | low) - 2;
        while (left-- > 0 && next() != EOF)
            continue;
    }
    str->close();
    return data;
}

} // namespace

StoredCodec StoredCodecOf(Stream* str) {
    StoredCodec codec;
    switch (str->getKind()) {
    case strDCT: codec = StoredCodec::Jpeg; break;
    case strJPX: codec = StoredCodec::Jpx; break;
    case strCCITTFax: codec = StoredCodec::Ccitt; break;
    case strJBIG2: codec = StoredCodec::Jbig2; break;
    default: return StoredCodec::None;
    }
    // The chain ends at the stream that holds the data (the document's, or the
    // page content an inline image sits in).
    for (Stream* s = str->getNextStream(); s && s->getBaseStream() != s; s = s->getNextStream())
        if (!Transports(s->getKind()))
            return StoredCodec::None;
    return codec;
}

std::string ReadStoredData(Stream* str, bool inlineImg) {
    Stream* stored = str->getNextStream();
    if (!stored)
        return {};
    if (str->getKind() == strDCT)
        return inlineImg ? ReadJpeg(stored) : ReadAll(stored);
    return inlineImg ? std::string() : ReadAll(stored);
}

std::string Jbig2GlobalSegments(Stream* str) {
    Object* globals = static_cast<JBIG2Stream*>(str)->getGlobalsStream();
    return globals && globals->isStream() ? ReadAll(globals->getStream()) : std::string();
}

CcittParameters CcittParametersOf(Stream* str) {
    auto* fax = static_cast<CCITTFaxStream*>(str);
    CcittParameters parameters;
    parameters.k = fax->getEncoding();
    parameters.endOfLine = fax->getEndOfLine();
    parameters.byteAlign = fax->getEncodedByteAlign();
    parameters.endOfBlock = fax->getEndOfBlock();
    parameters.blackIs1 = fax->getBlackIs1();
    parameters.columns = fax->getColumns();
    return parameters;
}
