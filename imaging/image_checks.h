#pragma once

#include <opencv2/core/mat.hpp>

namespace orbisk {

// True for the images the processing functions accept: non-empty, 8-bit,
// one or three channels, two dimensions.
inline bool IsDocumentImage(const cv::Mat& image) {
    return !image.empty() && image.dims == 2 && image.depth() == CV_8U &&
           (image.channels() == 1 || image.channels() == 3);
}

}  // namespace orbisk
