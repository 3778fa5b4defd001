#include "engine/pdf/flate_data.h"

#include "engine/pdf/owning_mem_stream.h"
#include "engine/pdf/predictor_rows.h"

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
// False when there are more than limit.
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

// The filter of a stream's dictionary, read as the PDF library reads it:
// true, with the predictor's parameters, when it is exactly one Flate
// filter whose parameters are all given as integers this code takes.
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

// True when str is a Flate filter reading the document's bytes (decrypted by
// the library when they are encrypted) with parameters this code takes.
bool FlateOverStoredBytes(Stream* str, PredictorParameters* parameters) {
    return str->getKind() == strFlate && str->getUndecodedStream() == str->getNextStream() &&
           ReadFlateParameters(str->getDict(), parameters);
}

// The stored bytes of the stream being inflated on this thread; the vector
// keeps its capacity from stream to stream.
std::vector<unsigned char>& StoredBytes() {
    thread_local std::vector<unsigned char> stored;
    return stored;
}

const std::int64_t kNoRoom = -2;

// Inflates stored into out, which has room for capacity bytes: the size
// inflated, kNoRoom when that is not room enough, or -1 on any inflate error.
std::int64_t Inflate(const std::vector<unsigned char>& stored, unsigned char* out, std::int64_t capacity) {
    libdeflate_decompressor* decompressor = Decompressor();
    if (!decompressor)
        return -1;
    size_t inflated = 0;
    const libdeflate_result result = libdeflate_zlib_decompress_ex(decompressor, stored.data(), stored.size(), out,
                                                                   static_cast<size_t>(capacity), nullptr, &inflated);
    if (result == LIBDEFLATE_SUCCESS)
        return static_cast<std::int64_t>(inflated);
    return result == LIBDEFLATE_INSUFFICIENT_SPACE ? kNoRoom : -1;
}

} // namespace

bool InflateImageData(Stream* str, std::int64_t decodedBytes, std::vector<unsigned char>* decoded) {
    PredictorParameters parameters;
    if (!FlateOverStoredBytes(str, &parameters) || decodedBytes <= 0 || decodedBytes > kLargestDecoded)
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
    // (deflate's stored blocks add 5 bytes per 64 KB; the same bound serves
    // below).
    std::vector<unsigned char>& stored = StoredBytes();
    if (!ReadStoredBytes(str->getUndecodedStream(), inflatedBytes + inflatedBytes / 8 + kReadBlock, &stored))
        return false;
    if (decoded->capacity() < static_cast<size_t>(inflatedBytes)) {
        // Grown at least twofold, and emptied first rather than copied: the
        // images of a document grow a little at a time, and each new
        // buffer's pages fault anew.
        const size_t grown = std::max(static_cast<size_t>(inflatedBytes), 2 * decoded->capacity());
        std::vector<unsigned char>().swap(*decoded);
        decoded->reserve(grown);
    }
    decoded->resize(static_cast<size_t>(inflatedBytes));
    const bool whole = Inflate(stored, decoded->data(), inflatedBytes) == inflatedBytes &&
                       UndoPredictor(parameters, decoded->data(), rows);
    if (!whole) {
        decoded->clear();
        return false;
    }
    decoded->resize(static_cast<size_t>(decodedBytes));
    return true;
}

bool InflateStreamData(Stream* str, std::int64_t largestBytes, InflatedBytes* decoded) {
    PredictorParameters parameters;
    if (!FlateOverStoredBytes(str, &parameters) || parameters.predictor != 1)
        return false;
    std::vector<unsigned char>& stored = StoredBytes();
    if (!ReadStoredBytes(str->getUndecodedStream(), largestBytes + largestBytes / 8 + kReadBlock, &stored))
        return false;
    // Left uninitialised, so that only the pages the data reaches are
    // touched; a buffer too small is replaced by one twice its size.
    for (std::int64_t capacity = std::min(4 * static_cast<std::int64_t>(stored.size()) + kReadBlock, largestBytes);;
         capacity = std::min(2 * capacity, largestBytes)) {
        decoded->data.reset(new unsigned char[static_cast<size_t>(capacity)]);
        const std::int64_t inflated = Inflate(stored, decoded->data.get(), capacity);
        if (inflated >= 0) {
            decoded->size = static_cast<size_t>(inflated);
            return true;
        }
        if (inflated != kNoRoom || capacity >= largestBytes)
            break;
    }
    decoded->data.reset();
    decoded->size = 0;
    return false;
}

Object InflatedStream(Stream* str, std::int64_t largestBytes) {
    InflatedBytes decoded;
    if (!InflateStreamData(str, largestBytes, &decoded))
        return Object(objNull);
    Stream* memory = new OwningMemStream<InflatedBytes>(std::move(decoded), str->getDictObject()->copy());
    return Object(memory);
}
