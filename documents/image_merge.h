#pragma once

#include <opencv2/core.hpp>

namespace orbisk {

// Puts two 8-bit three-channel BGR images on one white canvas: `b` below `a`
// when `stacked`, else to its right, `gap` white pixels between them (a
// negative gap is none); `a` sits at the top-left corner and the canvas is
// as wide (stacked) or as high (side by side) as the larger image.
// `colourMode`: 0 colour (three channels), 1 grey, 2 black and white by
// Otsu's threshold (one channel each). Empty when either image is empty.
cv::Mat MergeImagePair(const cv::Mat& a, const cv::Mat& b, bool stacked, int colourMode, int gap);

}  // namespace orbisk
