#include "codecs/nearest_palette_index.h"

#include <algorithm>
#include <climits>

namespace {

const int kCellSize = 32;
const uint32_t kMemoSlots = 1 << 16;

int Channel(const RGBQUAD& c, int channel) {
    return channel == 0 ? c.rgbBlue : channel == 1 ? c.rgbGreen : c.rgbRed;
}

// Squared distance from value to the nearest and to the farthest level of
// the range [low, low + kCellSize - 1].
int NearSquare(int value, int low) {
    int high = low + kCellSize - 1;
    int d = value < low ? low - value : value > high ? value - high : 0;
    return d * d;
}
int FarSquare(int value, int low) {
    int high = low + kCellSize - 1;
    int d = std::max(value - low, high - value);
    return d * d;
}

int CellOf(const RGBQUAD& c) {
    return ((c.rgbBlue / kCellSize) << 6) | ((c.rgbGreen / kCellSize) << 3) | (c.rgbRed / kCellSize);
}

} // namespace

NearestPaletteIndex::NearestPaletteIndex(const RGBQUAD* entries, uint32_t count)
    : entries_(entries, entries + count), cellStart_(kCells + 1, 0), memoColour_(kMemoSlots, kNoColour),
      memoAnswer_(kMemoSlots, 0) {
    for (int cell = 0; cell < kCells; ++cell) {
        const int low[3] = {(cell >> 6 & 7) * kCellSize, (cell >> 3 & 7) * kCellSize, (cell & 7) * kCellSize};
        // An entry can be nearest to a colour of the cell only if its smallest
        // distance to the cell is no more than every entry's largest distance.
        int bound = INT_MAX;
        for (const RGBQUAD& e : entries_) {
            int far = 0;
            for (int ch = 0; ch < 3; ++ch)
                far += FarSquare(Channel(e, ch), low[ch]);
            bound = std::min(bound, far);
        }
        cellStart_[cell] = static_cast<uint32_t>(candidates_.size());
        for (uint32_t i = 0; i < entries_.size(); ++i) {
            int near = 0;
            for (int ch = 0; ch < 3; ++ch)
                near += NearSquare(Channel(entries_[i], ch), low[ch]);
            if (near <= bound)
                candidates_.push_back(static_cast<uint8_t>(i));
        }
    }
    cellStart_[kCells] = static_cast<uint32_t>(candidates_.size());
}

uint8_t NearestPaletteIndex::Search(RGBQUAD colour) const {
    const int cell = CellOf(colour);
    int best = INT_MAX;
    uint8_t answer = 0;
    for (uint32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
        const RGBQUAD& e = entries_[candidates_[k]];
        int db = e.rgbBlue - colour.rgbBlue, dg = e.rgbGreen - colour.rgbGreen, dr = e.rgbRed - colour.rgbRed;
        int distance = db * db + dg * dg + dr * dr;
        if (distance < best) {
            best = distance;
            answer = candidates_[k];
        }
    }
    return answer;
}

uint8_t NearestPaletteIndex::Find(RGBQUAD colour) {
    if (entries_.empty())
        return 0;
    const uint32_t key = (uint32_t(colour.rgbRed) << 16) | (uint32_t(colour.rgbGreen) << 8) | colour.rgbBlue;
    const uint32_t slot = (key * 2654435761u) >> 16;
    if (memoColour_[slot] != key) {
        memoColour_[slot] = key;
        memoAnswer_[slot] = Search(colour);
    }
    return memoAnswer_[slot];
}
