#pragma once

#include <opencv2/core/mat.hpp>

#include "imaging/rotated_box.h"

namespace orbisk {

// True for the images the processing functions accept: non-empty, 8-bit,
// one or three channels, two dimensions.
inline bool IsDocumentImage(const cv::Mat& image) {
    return !image.empty() && image.dims == 2 && image.depth() == CV_8U &&
           (image.channels() == 1 || image.channels() == 3);
}

// True for a box whose sides are at least one pixel and small enough to size
// an image; NaN fails.
inline bool HasUsableSides(const RotatedBox& box) {
    constexpr float kLargest = 1 << 30;
    return box.width >= 1.0f && box.height >= 1.0f && box.width < kLargest && box.height < kLargest;
}

}  // namespace orbisk
