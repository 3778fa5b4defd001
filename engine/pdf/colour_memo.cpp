#include "engine/pdf/colour_memo.h"

#include <GfxState.h>

#include <tuple>

namespace {

const std::uint64_t kUsed = std::uint64_t(1) << 63;

} // namespace

bool ColourMemo::Find(std::uint32_t key, unsigned char* rgb) const {
    if (!slots_)
        return false;
    const std::uint64_t slot = slots_[Slot(key)];
    if (!(slot & kUsed) || static_cast<std::uint32_t>(slot >> 24) != key)
        return false;
    rgb[0] = static_cast<unsigned char>(slot >> 16);
    rgb[1] = static_cast<unsigned char>(slot >> 8);
    rgb[2] = static_cast<unsigned char>(slot);
    return true;
}

void ColourMemo::Store(std::uint32_t key, const unsigned char* rgb) {
    if (!slots_) {
        slots_.reset(static_cast<std::uint64_t*>(std::calloc(size_t(1) << kSlotBits, sizeof(std::uint64_t))));
        if (!slots_)
            return; // no memory for it: colours are converted as before
    }
    slots_[Slot(key)] = kUsed | (std::uint64_t(key) << 24) | (std::uint64_t(rgb[0]) << 16) |
                        (std::uint64_t(rgb[1]) << 8) | rgb[2];
}

bool ColourMemos::Conversion::operator<(const Conversion& other) const {
    return std::tie(profileNumber, profileGeneration, intent, bits, decode) <
           std::tie(other.profileNumber, other.profileGeneration, other.intent, other.bits, other.decode);
}

ColourMemo* ColourMemos::For(GfxState* state, GfxImageColorMap& colorMap) {
    GfxColorSpace* space = colorMap.getColorSpace();
    const int components = colorMap.getNumPixelComps();
    if (!state || !space || space->getMode() != csICCBased || components < 2 || components > 4)
        return nullptr;
    const Ref profile = static_cast<GfxICCBasedColorSpace*>(space)->getRef();
    if (profile == Ref::INVALID())
        return nullptr;
    Conversion conversion{profile.num, profile.gen, state->getCmsRenderingIntent(), colorMap.getBits(), {}};
    for (int i = 0; i < components; ++i) {
        conversion.decode.push_back(colorMap.getDecodeLow(i));
        conversion.decode.push_back(colorMap.getDecodeHigh(i));
    }
    auto found = memos_.find(conversion);
    if (found != memos_.end())
        return found->second.get();
    if (memos_.size() >= kMostMemos)
        return nullptr;
    return memos_.emplace(std::move(conversion), std::make_unique<ColourMemo>()).first->second.get();
}
