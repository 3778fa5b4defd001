#include "engine/pdf/predictor_rows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const std::int64_t kLargestRow = 256ll << 20;
const int kMostColors = 32;

bool IsPng(const PredictorParameters& p) { return p.predictor >= 10; }

// Of left, up and upLeft, the one nearest to left + up - upLeft (in that
// order of preference on a tie); written without branches, for the compiler
// to use conditional moves.
inline int PaethPredictor(int left, int up, int upLeft) {
    const int toLeft = std::abs(up - upLeft), toUp = std::abs(left - upLeft),
              toUpLeft = std::abs(left + up - 2 * upLeft);
    const int upOrUpLeft = toUp <= toUpLeft ? up : upLeft;
    return toLeft <= toUp && toLeft <= toUpLeft ? left : upOrUpLeft;
}

// One PNG row: `stored` (after its filter byte) to `out`, with `above` the
// decoded row above (zeros for the first). `out` may start before `stored`
// in the same buffer: each stored byte is read before its place is written.
// The first pixel, which has nothing to its left, is done apart so that the
// loops over the others need no test.
bool UndoPngRow(int filter, const unsigned char* stored, const unsigned char* above, unsigned char* out,
                std::int64_t rowBytes, std::int64_t pixelBytes) {
    const std::int64_t first = std::min(pixelBytes, rowBytes);
    switch (filter) {
    case 0:
        std::memmove(out, stored, static_cast<size_t>(rowBytes));
        return true;
    case 1:
        std::memmove(out, stored, static_cast<size_t>(first));
        for (std::int64_t i = first; i < rowBytes; ++i)
            out[i] = static_cast<unsigned char>(stored[i] + out[i - pixelBytes]);
        return true;
    case 2:
        for (std::int64_t i = 0; i < rowBytes; ++i)
            out[i] = static_cast<unsigned char>(stored[i] + above[i]);
        return true;
    case 3:
        for (std::int64_t i = 0; i < first; ++i)
            out[i] = static_cast<unsigned char>(stored[i] + (above[i] >> 1));
        for (std::int64_t i = first; i < rowBytes; ++i)
            out[i] = static_cast<unsigned char>(stored[i] + ((out[i - pixelBytes] + above[i]) >> 1));
        return true;
    case 4:
        // With nothing to the left, the nearest is always the byte above.
        for (std::int64_t i = 0; i < first; ++i)
            out[i] = static_cast<unsigned char>(stored[i] + above[i]);
        for (std::int64_t i = first; i < rowBytes; ++i)
            out[i] = static_cast<unsigned char>(
                stored[i] + PaethPredictor(out[i - pixelBytes], above[i], above[i - pixelBytes]));
        return true;
    default:
        return false;
    }
}

// One TIFF row in place: each component plus the same component of the
// pixel to its left, modulo its depth; bits after the last pixel stay.
void UndoTiffRow(unsigned char* row, const PredictorParameters& p) {
    const int colors = p.colors, bits = p.bitsPerComponent;
    const std::int64_t values = static_cast<std::int64_t>(p.columns) * colors;
    if (bits == 1 && colors == 1) {
        // Each bit the sum (exclusive or) of those before it; as the PDF
        // library computes it, the sum runs on through the bits padding the
        // row, which then reach the PBM file.
        unsigned carry = 0;
        for (std::int64_t i = 0; i < p.RowBytes(); ++i) {
            unsigned sum = row[i] ^ carry;
            sum ^= sum >> 1;
            sum ^= sum >> 2;
            sum ^= sum >> 4;
            carry = (sum & 1) << 7;
            row[i] = static_cast<unsigned char>(sum);
        }
    } else if (bits == 8) {
        for (std::int64_t i = colors; i < values; ++i)
            row[i] = static_cast<unsigned char>(row[i] + row[i - colors]);
    } else {
        // 1, 2 or 4 bits: the samples never cross a byte.
        const unsigned mask = (1u << bits) - 1;
        int previous[kMostColors] = {};
        for (std::int64_t i = 0; i < values; ++i) {
            const std::int64_t bit = i * bits;
            unsigned char& byte = row[bit / 8];
            const int shift = 8 - bits - static_cast<int>(bit % 8);
            const int component = static_cast<int>(i % colors);
            const unsigned value = ((byte >> shift) + previous[component]) & mask;
            previous[component] = static_cast<int>(value);
            byte = static_cast<unsigned char>((byte & ~(mask << shift)) | (value << shift));
        }
    }
}

} // namespace

bool PredictorParameters::Supported() const {
    // The PDF library's TIFF predictor treats 16-bit samples as no format
    // does; such images are left to it.
    const bool knownPredictor = (predictor == 2 && bitsPerComponent != 16) || predictor == 1 ||
                                (predictor >= 10 && predictor <= 15);
    const bool knownDepth = bitsPerComponent == 1 || bitsPerComponent == 2 || bitsPerComponent == 4 ||
                            bitsPerComponent == 8 || bitsPerComponent == 16;
    return knownPredictor && knownDepth && colors >= 1 && colors <= kMostColors && columns >= 1 &&
           RowBytes() <= kLargestRow;
}

std::int64_t PredictorParameters::RowBytes() const {
    return (static_cast<std::int64_t>(columns) * colors * bitsPerComponent + 7) / 8;
}

std::int64_t PredictorParameters::StoredRowBytes() const { return RowBytes() + (IsPng(*this) ? 1 : 0); }

bool UndoPredictor(const PredictorParameters& parameters, unsigned char* data, std::int64_t rows) {
    const std::int64_t rowBytes = parameters.RowBytes();
    if (parameters.predictor == 2) {
        for (std::int64_t r = 0; r < rows; ++r)
            UndoTiffRow(data + r * rowBytes, parameters);
        return true;
    }
    if (!IsPng(parameters))
        return true;
    const std::int64_t pixelBytes = (parameters.colors * parameters.bitsPerComponent + 7) / 8;
    const std::vector<unsigned char> zeros(static_cast<size_t>(rowBytes), 0);
    for (std::int64_t r = 0; r < rows; ++r) {
        const unsigned char* stored = data + r * (rowBytes + 1);
        unsigned char* out = data + r * rowBytes;
        const unsigned char* above = r == 0 ? zeros.data() : out - rowBytes;
        if (!UndoPngRow(stored[0], stored + 1, above, out, rowBytes, pixelBytes))
            return false;
    }
    return true;
}
