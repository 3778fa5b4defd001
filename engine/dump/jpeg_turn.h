#pragma once
// Stored JPEG data turned or mirrored without decoding its samples.
#include "engine/pdf/image_placement.h"

#include <string>

// The JPEG data laid out as turn says, every pixel kept as it was; false
// when the data cannot be turned so (its size is not whole blocks in the
// directions the turn moves, or it is no JPEG the transform reads).
bool TurnJpegLosslessly(const std::string& jpeg, ImageTurn turn, std::string* turned);
