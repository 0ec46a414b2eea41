#pragma once

#include "recognition/ocr_matrix.h"

namespace orbisk {

// Measures and thins the strokes of a character image (type 1, rows top-down, nonzero bytes
// are ink). Positions outside the image are background. Functions never fail: a position or
// direction they cannot use gives 0, -1 or false as each says.
//
// Directions of RunLength, as (column step, row step): 1 (+1, 0) right, 2 (+1, +1)
// down-right, 3 (0, +1) down, 4 (-1, +1) down-left, 5 (-1, 0) left, 6 (-1, -1) up-left,
// 7 (0, -1) up, 8 (+1, -1) up-right; i and i + 4 are opposite.
class CImageProcessor {
  public:
    virtual ~CImageProcessor() = default;

    // The ink pixels in a row from the neighbour of (x, y) in `direction` outward, up to the
    // first background pixel or the edge; (x, y) itself is not counted. -1 for a direction
    // outside 1-8, 0 for a point outside the image.
    int RunLength(const OcrMatrix* image, int x, int y, int direction) const;
    // The largest RunLength(i) + RunLength(i + 4), i = 1 ... 4.
    int LongestLine(const OcrMatrix* image, int x, int y) const;
    // Ink pixels among the eight neighbours that lie inside the image.
    int NeighbourCount(const OcrMatrix* image, int x, int y) const;
    // Background-to-ink steps around the cycle of neighbours P2 ... P9, P2 (clockwise from
    // up); -1 unless (x, y) is interior.
    int Transitions(const OcrMatrix* image, int x, int y) const;
    // An interior pixel that ends a stroke on one side, where its neighbour on that side
    // carries a longer line.
    bool IsRedundantPixel(const OcrMatrix* image, int x, int y) const;
    // A copy without the redundant pixels of the input, all judged on the input.
    OcrMatrixPtr RemoveRedundantPixels(const OcrMatrix* image) const;
    // Two-subiteration parallel thinning. A copy of the input, thinned.
    OcrMatrixPtr Thin(const OcrMatrix* image) const;
};

}  // namespace orbisk
