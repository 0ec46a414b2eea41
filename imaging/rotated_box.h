#pragma once

namespace orbisk {

// A detected document: centre, the two sides and the angle in degrees, in
// pixels of the full-size image with rows counted from the top (the frame
// store's boxes count rows from the bottom; see the frame store). The whole
// frame of width W and height H is (W/2, H/2, W, H, 0).
struct RotatedBox {
    float cx = 0;
    float cy = 0;
    float width = 0;
    float height = 0;
    float angle = 0;
};

}  // namespace orbisk
