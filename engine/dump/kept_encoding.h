#pragma once
// What an image whose data is stored in an image format of its own becomes
// when the run keeps stored encodings: the file that format makes, as stored
// (JPEG .jpg, JPEG 2000 .jp2 or .j2k, CCITT fax in a TIFF file .tif, JBIG2
// .jb2), or, where its data cannot make that file, the reason, and the image
// is decoded as it would be otherwise.
#include <Object.h>
#include <Stream.h>

#include <string>

// How the page shows an image's two one-bit sample values: the one shown
// black, or -1 when they are not black and white. For a stencil mask, the
// painted value.
struct OneBitLook {
    int blackSample = -1;
};

struct KeptEncoding {
    std::string extension; // "jpg", "jp2", "j2k", "tif", "jb2"; empty when the image is decoded
    std::string bytes;     // the file's content
    // What the report says of it: the colours a JPEG file holds as they are
    // (CMYK, inverted CMYK), or why the image is decoded after all; empty
    // when there is nothing to say.
    std::string note;
};

// The file the image keeps its stored encoding in. An image whose data is
// stored in none of these formats gets no extension and no note.
KeptEncoding KeepStoredEncoding(Stream* str, int width, int height, int components, OneBitLook look,
                                bool inlineImg);
