#include "engine/dump/jpeg_turn.h"

#include <turbojpeg.h>

namespace {

// The transform that lays the samples out as turn does.
int Operation(ImageTurn turn) {
    if (!turn.transposed) {
        if (turn.reverseColumns)
            return turn.reverseRows ? TJXOP_ROT180 : TJXOP_HFLIP;
        return turn.reverseRows ? TJXOP_VFLIP : TJXOP_NONE;
    }
    if (turn.reverseColumns)
        return turn.reverseRows ? TJXOP_TRANSVERSE : TJXOP_ROT270;
    return turn.reverseRows ? TJXOP_ROT90 : TJXOP_TRANSPOSE;
}

} // namespace

bool TurnJpegLosslessly(const std::string& jpeg, ImageTurn turn, std::string* turned) {
    tjhandle handle = tjInitTransform();
    if (!handle)
        return false;
    tjtransform transform{};
    transform.op = Operation(turn);
    // Refused rather than cut: a partial block at an edge the turn moves
    // would lose pixels.
    transform.options = TJXOPT_PERFECT;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const bool done = tjTransform(handle, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size(), 1, &out,
                                  &outSize, &transform, 0) == 0;
    if (done)
        turned->assign(reinterpret_cast<const char*>(out), outSize);
    tjFree(out);
    tjDestroy(handle);
    return done;
}
