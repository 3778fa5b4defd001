#pragma once
// The palette entry nearest to a colour, with exactly the answer of a linear
// search (smallest sum of squared blue, green and red differences, the lowest
// index among equals), found quickly: the colour cube is cut into cells, each
// cell keeps the entries that can be nearest to some colour inside it, and
// answers are remembered per colour.
#include "codecs/rasterimage.h"

#include <cstdint>
#include <vector>

class NearestPaletteIndex {
public:
    // entries: the first count palette entries take part.
    NearestPaletteIndex(const RGBQUAD* entries, uint32_t count);

    uint8_t Find(RGBQUAD colour);

private:
    static constexpr int kCellBits = 3; // 8 x 8 x 8 cells of 32 levels each
    static constexpr int kCells = 1 << (3 * kCellBits);

    uint8_t Search(RGBQUAD colour) const;

    std::vector<RGBQUAD> entries_;
    std::vector<uint32_t> cellStart_;   // candidates of cell c: candidates_[cellStart_[c] .. cellStart_[c + 1])
    std::vector<uint8_t> candidates_;   // in increasing index order
    // Recent answers, direct-mapped by colour: the colour (0xRRGGBB, or
    // kNoColour for an empty slot) and its answer.
    static constexpr uint32_t kNoColour = 0xFFFFFFFFu;
    std::vector<uint32_t> memoColour_;
    std::vector<uint8_t> memoAnswer_;
};
