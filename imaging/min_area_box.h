#pragma once

#include <opencv2/core/types.hpp>

#include <vector>

#include "imaging/rotated_box.h"

namespace orbisk {

// Converts OpenCV's rotated rectangle into the box convention the rest of the
// program uses: angle in [-90, 0), an upright rectangle at angle 0 with width
// along x. OpenCV 4.5 and later report angles in (0, 90] instead (an upright
// rectangle as 90 with its sides swapped); both describe the same rectangle.
RotatedBox ToRotatedBox(const cv::RotatedRect& rect);

// cv::minAreaRect of the points, in the box convention above. An empty list
// gives the zero box.
RotatedBox MinAreaBox(const std::vector<cv::Point>& points);

}  // namespace orbisk
