#include "engine/dump/turned_pixels.h"

#include <cstring>

std::int64_t RowBytes(int width, int bitsPerPixel) {
    return (static_cast<std::int64_t>(width) * bitsPerPixel + 7) / 8;
}

std::vector<unsigned char> TurnedRows(const unsigned char* rows, int width, int height, int bitsPerPixel,
                                      ImageTurn turn) {
    const int shownWidth = turn.ShownWidth(width, height);
    const int shownHeight = turn.ShownHeight(width, height);
    const std::int64_t storedRow = RowBytes(width, bitsPerPixel);
    const std::int64_t shownRow = RowBytes(shownWidth, bitsPerPixel);
    std::vector<unsigned char> shown(static_cast<size_t>(shownRow * shownHeight), 0);
    const size_t pixelBytes = static_cast<size_t>(bitsPerPixel / 8);
    for (int y = 0; y < shownHeight; ++y) {
        unsigned char* out = shown.data() + y * shownRow;
        for (int x = 0; x < shownWidth; ++x) {
            const int p = turn.transposed ? y : x;
            const int q = turn.transposed ? x : y;
            const int storedX = turn.reverseColumns ? width - 1 - p : p;
            const int storedY = turn.reverseRows ? height - 1 - q : q;
            const unsigned char* in = rows + storedY * storedRow;
            if (bitsPerPixel == 1) {
                if (in[storedX / 8] & (0x80 >> (storedX % 8)))
                    out[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
            } else {
                std::memcpy(out + x * pixelBytes, in + storedX * pixelBytes, pixelBytes);
            }
        }
    }
    return shown;
}
