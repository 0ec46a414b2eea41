#pragma once

#include "platform/capture_device.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

// Pictures for the preview's tests and benchmark.
namespace orbisk::test {

// Every pixel says where it is: blue the column, green the row, red the high
// bits of both (plus `seed`), so that any shift, mirror or turn shows.
inline cv::Mat CoordinateFrame(int width, int height, int seed = 0) {
    cv::Mat m(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            m.at<cv::Vec3b>(y, x) = {static_cast<uchar>(x), static_cast<uchar>(y),
                                     static_cast<uchar>(((x >> 8) | ((y >> 8) << 4)) + seed)};
        }
    }
    return m;
}

inline bool SameImage(const cv::Mat& a, const cv::Mat& b) {
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

// The picture turned clockwise by a quarter turn in 0, 90, 180, 270.
inline cv::Mat Turned(const cv::Mat& m, int rotation) {
    cv::Mat out = m.clone();
    if (rotation == 90) cv::rotate(m, out, cv::ROTATE_90_CLOCKWISE);
    if (rotation == 180) cv::rotate(m, out, cv::ROTATE_180);
    if (rotation == 270) cv::rotate(m, out, cv::ROTATE_90_COUNTERCLOCKWISE);
    return out;
}

// A top-down 8-bit BGR picture as the capture thread hands it over.
inline platform::FrameSample TopDownSample(const cv::Mat& picture) {
    platform::FrameSample s;
    s.data = picture.data;
    s.width = picture.cols;
    s.height = -picture.rows;
    s.stride = static_cast<int>(picture.step);
    s.length = picture.step * picture.rows;
    return s;
}

}  // namespace orbisk::test
