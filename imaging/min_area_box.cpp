#include "imaging/min_area_box.h"

#include <opencv2/imgproc.hpp>

#include <utility>

namespace orbisk {

RotatedBox ToRotatedBox(const cv::RotatedRect& rect) {
    RotatedBox box;
    box.cx = rect.center.x;
    box.cy = rect.center.y;
    float angle = rect.angle;
    float width = rect.size.width;
    float height = rect.size.height;
    // Bring any angle into (-90, 90] first, then turn the positive half by a
    // quarter with the sides swapped; an upright 90 becomes 0.
    while (angle > 90.0f) angle -= 180.0f;
    while (angle <= -90.0f) angle += 180.0f;
    if (angle > 0.0f) {
        angle -= 90.0f;
        std::swap(width, height);
    }
    box.width = width;
    box.height = height;
    box.angle = angle;
    return box;
}

RotatedBox MinAreaBox(const std::vector<cv::Point>& points) {
    if (points.empty()) return RotatedBox{};
    return ToRotatedBox(cv::minAreaRect(points));
}

}  // namespace orbisk
