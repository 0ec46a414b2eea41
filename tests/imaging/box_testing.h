#pragma once

#include <opencv2/imgproc.hpp>

#include <ostream>

#include "imaging/min_area_box.h"
#include "imaging/rotated_box.h"

namespace orbisk {

inline std::ostream& operator<<(std::ostream& os, const RotatedBox& b) {
    return os << "(" << b.cx << ", " << b.cy << ", " << b.width << " x " << b.height << ", "
              << b.angle << " deg)";
}

namespace test {

// The same rectangle with its angle in (-45, 45], so that boxes can be
// compared whichever side OpenCV called the width.
inline RotatedBox Normalised(RotatedBox b) {
    while (b.angle <= -45.0f) {
        b.angle += 90.0f;
        std::swap(b.width, b.height);
    }
    while (b.angle > 45.0f) {
        b.angle -= 90.0f;
        std::swap(b.width, b.height);
    }
    return b;
}

// The smallest rotated rectangle around the nonzero pixels of a mask.
inline RotatedBox MaskBox(const cv::Mat& mask) {
    std::vector<cv::Point> points;
    cv::findNonZero(mask, points);
    return MinAreaBox(points);
}

}  // namespace test
}  // namespace orbisk
