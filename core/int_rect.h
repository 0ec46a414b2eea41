#pragma once

namespace orbisk {

// A rectangle as four edges, the way the settings file stores it
// ("left,top,right,bottom"); right and bottom are exclusive.
struct IntRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const IntRect&, const IntRect&) = default;
};

}  // namespace orbisk
