#pragma once
// Image rows laid out again by one of the eight quarter-turn and mirror
// placements, so that a file shows the image as the page does; every pixel
// is kept, none is resampled.
#include "engine/pdf/image_placement.h"

#include <cstdint>
#include <vector>

// Bytes in a row of width pixels of bitsPerPixel bits (1, or a multiple of
// 8), padded to whole bytes.
std::int64_t RowBytes(int width, int bitsPerPixel);

// The rows of a width x height image (rows of RowBytes each, first row
// first) as turn lays them out: turn.ShownHeight rows of
// turn.ShownWidth pixels.
std::vector<unsigned char> TurnedRows(const unsigned char* rows, int width, int height, int bitsPerPixel,
                                      ImageTurn turn);
