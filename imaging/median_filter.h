#pragma once

#include <opencv2/core/mat.hpp>

namespace orbisk {

// cv::medianBlur with the same result (the border replicated), faster for
// 8-bit one-channel images and apertures of 7 and above, which document
// detection runs on every preview frame. Other images and apertures go to
// cv::medianBlur, which throws on the ones it does not take. `dst` may be
// `src`.
void MedianBlur(const cv::Mat& src, cv::Mat& dst, int aperture);

}  // namespace orbisk
