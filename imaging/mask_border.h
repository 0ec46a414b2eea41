#pragma once

#include <opencv2/core/mat.hpp>

namespace orbisk {

// Sets the one-pixel outer ring of an 8-bit mask to zero. The border rules of
// the contour classification ("touches the left when x < 2") assume contours
// never run on the outermost pixels, which cv::findContours of OpenCV 4 would
// otherwise report. Call it before every contour search on a mask.
void ZeroMaskBorder(cv::Mat& mask);

}  // namespace orbisk
