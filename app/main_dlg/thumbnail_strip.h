#pragma once

namespace orbisk {

// The tile of a strip of `tiles` tiles that takes the file after `count`
// files: the next free tile while the strip fills, then the tile holding the
// oldest file.
int StripTarget(int count, int tiles);

// Whether the strip is full before that file, so that its places turn one
// step and the newest file shows last.
inline bool StripTurns(int count, int tiles) { return count >= tiles; }

}  // namespace orbisk
