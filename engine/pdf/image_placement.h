#pragma once
// Where an image sits on the page as a viewer shows it, and which of the
// eight quarter-turn and mirror placements brings its stored samples nearest
// to what the page shows.
#include <array>

class GfxState;

// One of the eight ways to lay out a stored image by quarter turns and
// mirrors. The shown image's pixel (X, Y) is the stored sample (x, y) with
// p = transposed ? Y : X, q = transposed ? X : Y, and
// x = reverseColumns ? width - 1 - p : p, y = reverseRows ? height - 1 - q : q.
struct ImageTurn {
    bool transposed = false;     // stored rows run up or down the page
    bool reverseColumns = false; // stored columns run right to left, or up
    bool reverseRows = false;    // stored rows run bottom to top, or right to left

    bool Upright() const { return !transposed && !reverseColumns && !reverseRows; }
    int ShownWidth(int width, int height) const { return transposed ? height : width; }
    int ShownHeight(int width, int height) const { return transposed ? width : height; }
};

struct ImagePlacement {
    // Maps the image's unit square (u, v) to (a u + c v + e, b u + d v + f):
    // points from the top-left corner of the page's crop box, y downwards,
    // after the page's /Rotate. The stored image's first row is its top edge
    // (v = 1), as in PDF.
    std::array<double, 6> matrix{};

    // The smallest box around the image in that space: left, top, right,
    // bottom.
    std::array<double, 4> Box() const;
    // The placement of the eight nearest to the matrix, so that a slightly
    // skewed image counts as upright.
    ImageTurn Turn() const;
};

// The placement of the image the engine is about to draw: the state's
// matrix, for a device that draws the page at 72 dpi with its top-left
// corner first.
ImagePlacement PlacementOf(GfxState* state);
