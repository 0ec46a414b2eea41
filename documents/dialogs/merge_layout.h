#pragma once

#include "core/int_rect.h"

namespace orbisk {

// Where the merge dialog puts its two picture tiles, in client pixels.
struct MergeLayout {
    IntRect first;   // the tile whose image comes first (top or left)
    IntRect second;  // the other one
    int clientWidth = 0;
    int clientHeight = 0;
};

// A tile's rectangle for a first image of `imageWidth` x `imageHeight`: 320 x
// 240 for a landscape image, 240 x 320 otherwise, never narrower than 360.
IntRect MergeTileRect(int imageWidth, int imageHeight);

// The tiles of `tileWidth` x `tileHeight` below a button row `buttonHeight`
// high, one above the other when `stacked`, else side by side, 7 pixels
// apart and from the edges.
MergeLayout LayoutMergeTiles(bool stacked, int tileWidth, int tileHeight, int buttonHeight);

// Which tile (0, 1) takes a newly added image: the first empty one, after
// which the other is `next`; with both filled the tile `next`, which then
// flips, so later images replace the two tiles in turn.
int TileForNewImage(bool firstFilled, bool secondFilled, int& next);

}  // namespace orbisk
