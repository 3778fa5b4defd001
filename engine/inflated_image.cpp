#include "engine/inflated_image.h"

#include <libdeflate.h>


#include <algorithm>

namespace {

const std::int64_t kLargestDecoded = 1ll << 30;
const int kReadBlock = 64 * 1024;

// One decompressor per thread, kept from image to image.
libdeflate_decompressor* Decompressor() {
    struct Kept {
        libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
        ~Kept() { libdeflate_free_decompressor(decompressor); }
    };
    thread_local Kept kept;
    return kept.decompressor;
}

// Sets value from the parameter key when it is an integer; false when the
// key holds anything else.
bool ReadInteger(Object& parameters, const char* key, int* value) {
    Object entry = parameters.dictLookup(key);
    if (entry.isNull())
        return true;
    if (!entry.isInt())
        return false;
    *value = entry.getInt();
    return true;
}

// The stored bytes of the stream: those the library's filter would read.
// False when there are more than limit. The vector keeps its capacity from
// image to image, so that it is not grown again for each one.
bool ReadStoredBytes(Stream* stored, std::int64_t limit, std::vector<unsigned char>* bytes) {
    bytes->clear();
    stored->reset();
    bool complete = true;
    for (;;) {
        const size_t size = bytes->size();
        if (static_cast<std::int64_t>(size) > limit) {
            complete = false;
            break;
        }
        bytes->resize(size + kReadBlock);
        const int got = std::max(stored->doGetChars(kReadBlock, bytes->data() + size), 0);
        bytes->resize(size + static_cast<size_t>(got));
        if (got < kReadBlock)
            break;
    }
    stored->close();
    return complete;
}

// The filter of an image XObject's dictionary, read as the PDF library
// reads it: true, with the predictor's parameters, when it is exactly one
// Flate filter whose parameters are all given as integers this code takes.
bool ReadFlateParameters(Dict* dict, PredictorParameters* parameters) {
    if (!dict)
        return false;
    Object filter = dict->lookup("Filter");
    Object decodeParms = dict->lookup("DecodeParms");
    if (decodeParms.isNull())
        decodeParms = dict->lookup("DP");
    Object name;
    if (filter.isName()) {
        name = filter.copy();
    } else if (filter.isArray() && filter.arrayGetLength() == 1) {
        // With a list of filters, the parameters are a list too.
        name = filter.arrayGet(0);
        decodeParms = decodeParms.isArray() && decodeParms.arrayGetLength() >= 1 ? decodeParms.arrayGet(0) : Object(objNull);
    } else {
        return false;
    }
    if (!name.isName("FlateDecode") && !name.isName("Fl"))
        return false;
    *parameters = PredictorParameters();
    if (decodeParms.isNull())
        return true;
    return decodeParms.isDict() && ReadInteger(decodeParms, "Predictor", &parameters->predictor) &&
           ReadInteger(decodeParms, "Colors", &parameters->colors) &&
           ReadInteger(decodeParms, "BitsPerComponent", &parameters->bitsPerComponent) &&
           ReadInteger(decodeParms, "Columns", &parameters->columns) && parameters->Supported();
}

} // namespace

bool InflateImageData(Stream* str, std::int64_t decodedBytes, std::vector<unsigned char>* decoded) {
    PredictorParameters parameters;
    // The undecoded stream must sit right under the Flate filter (the
    // document's bytes, decrypted by the library when they are encrypted).
    if (str->getKind() != strFlate || str->getUndecodedStream() != str->getNextStream() ||
        !ReadFlateParameters(str->getDict(), &parameters) || decodedBytes <= 0 || decodedBytes > kLargestDecoded)
        return false;
    // Parameters 1 and 2 keep the size; the PNG predictors add a byte to
    // each row, and their rows must make up the image exactly.
    std::int64_t rows = 0, inflatedBytes = decodedBytes;
    if (parameters.predictor != 1) {
        const std::int64_t rowBytes = parameters.RowBytes();
        if (decodedBytes % rowBytes != 0)
            return false;
        rows = decodedBytes / rowBytes;
        inflatedBytes = rows * parameters.StoredRowBytes();
        if (inflatedBytes > kLargestDecoded)
            return false;
    }

    // Stored data beyond this bound cannot inflate to the image's size
    // (deflate's stored blocks add 5 bytes per 64 KB).
    thread_local std::vector<unsigned char> stored;
    if (!ReadStoredBytes(str->getUndecodedStream(), inflatedBytes + inflatedBytes / 8 + kReadBlock, &stored))
        return false;
    libdeflate_decompressor* decompressor = Decompressor();
    if (!decompressor)
        return false;
    decoded->resize(static_cast<size_t>(inflatedBytes));
    size_t inflated = 0;
    const libdeflate_result result = libdeflate_zlib_decompress_ex(
        decompressor, stored.data(), stored.size(), decoded->data(), decoded->size(), nullptr, &inflated);
    bool whole = result == LIBDEFLATE_SUCCESS && static_cast<std::int64_t>(inflated) == inflatedBytes &&
                 UndoPredictor(parameters, decoded->data(), rows);
    if (!whole) {
        decoded->clear();
        return false;
    }
    decoded->resize(static_cast<size_t>(decodedBytes));
    return true;
}

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
