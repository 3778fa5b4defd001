#pragma once
// An image's data as the document stores it under its last filter, when that
// filter is one of the image formats a file can hold as it is (JPEG, JPEG 2000,
// CCITT fax, JBIG2) and every filter before it only carries the data (Flate,
// LZW, RunLength, ASCIIHex, ASCII85, decryption): those are undone, nothing is
// decoded.
#include <Object.h>
#include <Stream.h>

#include <string>

enum class StoredCodec { None, Jpeg, Jpx, Ccitt, Jbig2 };

// The format the image's data is stored in, None when it is none of these or
// another filter stands between.
StoredCodec StoredCodecOf(Stream* str);

// The data under the image's last filter, its transport filters undone. An
// inline JPEG is read up to its end-of-image marker and no further, since the
// page's content goes on after it; the other inline data has no end that can
// be found without decoding, so an inline image of another codec reads empty.
std::string ReadStoredData(Stream* str, bool inlineImg);

// The global segments a JBIG2 image's data refers to (its /JBIG2Globals),
// empty when it has none.
std::string Jbig2GlobalSegments(Stream* str);

// The parameters of CCITT fax data (see its filter's /DecodeParms).
struct CcittParameters {
    int k = 0;              // < 0: Group 4; 0: Group 3 one-dimensional; > 0: Group 3 two-dimensional
    bool endOfLine = false; // each row starts with an end-of-line code
    bool byteAlign = false; // each row starts on a byte boundary
    bool endOfBlock = true; // the data ends with an end-of-block code
    bool blackIs1 = false;  // 1 bits are black
    int columns = 1728;     // pixels in a row
};
// Those of the image's last filter, which must be CCITT fax.
CcittParameters CcittParametersOf(Stream* str);
