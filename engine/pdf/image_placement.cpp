#include "engine/pdf/image_placement.h"

#include <GfxState.h>

#include <algorithm>
#include <cmath>

std::array<double, 4> ImagePlacement::Box() const {
    const auto& [a, b, c, d, e, f] = matrix;
    const double xs[] = {e, a + e, c + e, a + c + e};
    const double ys[] = {f, b + f, d + f, b + d + f};
    return {*std::min_element(xs, xs + 4), *std::min_element(ys, ys + 4), *std::max_element(xs, xs + 4),
            *std::max_element(ys, ys + 4)};
}

ImageTurn ImagePlacement::Turn() const {
    const double a = matrix[0], b = matrix[1], c = matrix[2], d = matrix[3];
    // A stored row runs along (a, b) on the page; a stored column runs from
    // the first row down along (-c, -d). The rows run across the page
    // unless the turn is nearer a quarter turn than upright.
    ImageTurn turn;
    turn.transposed = std::abs(b) + std::abs(c) > std::abs(a) + std::abs(d);
    turn.reverseColumns = (turn.transposed ? b : a) < 0;
    turn.reverseRows = (turn.transposed ? -c : -d) < 0;
    return turn;
}

ImagePlacement PlacementOf(GfxState* state) {
    ImagePlacement placement;
    const double* ctm = state->getCTM();
    std::copy(ctm, ctm + 6, placement.matrix.begin());
    return placement;
}
