#pragma once
// Colours converted for one image, kept for the next images whose colour
// maps convert every pixel alike. The screenshots of a manual are in one
// ICC-based colour space, and most of the thousands of colours of each are
// in the ones before it too; the colour management takes thousands of
// instructions for each colour it converts.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

class GfxState;
class GfxImageColorMap;

// Converted colours by their samples' key (the pixel's bytes, first
// component highest), in a table of fixed size where a colour takes the
// place of the one of the same slot.
class ColourMemo {
public:
    bool Find(std::uint32_t key, unsigned char* rgb) const;
    void Store(std::uint32_t key, const unsigned char* rgb);

private:
    // 512 KB: a table that stays in the processor's cache. One of 8 MB
    // missed fewer colours but waited on memory for each lookup (a raw dump
    // of the gnucash manual 7 % slower).
    static constexpr int kSlotBits = 16;
    struct Free {
        void operator()(std::uint64_t* table) const { std::free(table); }
    };
    static std::uint32_t Slot(std::uint32_t key) { return (key * 2654435761u) >> (32 - kSlotBits); }
    // Each slot: a used bit, the key and the three RGB bytes. Allocated
    // zeroed on the first store, so that its pages are mapped as they are
    // used.
    std::unique_ptr<std::uint64_t[], Free> slots_;
};

// The memos of one output device, one for each way of converting colours.
class ColourMemos {
public:
    // The memo for images of this colour map drawn in this state; null when
    // it is not shared. Only ICC-based colour spaces of a profile stream of
    // the document are: their conversion depends on nothing but the
    // profile, the rendering intent (the state's, for which the colour space
    // was built), and the map's depth and decode ranges. Pixels of two to
    // four components only, as the converter's cache keys them.
    ColourMemo* For(GfxState* state, GfxImageColorMap& colorMap);

private:
    struct Conversion {
        int profileNumber, profileGeneration, intent, bits;
        std::vector<double> decode; // low and high of each component
        bool operator<(const Conversion& other) const;
    };
    static constexpr size_t kMostMemos = 8; // past them, images convert on their own
    std::map<Conversion, std::unique_ptr<ColourMemo>> memos_;
};
