#pragma once

#include "tests/support/input_events.h"
#include "video/object_container.h"

#include <opencv2/core.hpp>

#include <memory>

// Shared by the canvas and crop-box tests: pictures whose pixels tell where
// they came from, and a shown canvas.
namespace orbisk::test {

// Every pixel differs from every other (up to 4096 x 4096): blue and green are
// the low bytes of x and y, red holds their high nibbles.
inline cv::Mat PatternFrame(int width, int height) {
    cv::Mat frame(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            frame.at<cv::Vec3b>(y, x) =
                cv::Vec3b(static_cast<uchar>(x & 255), static_cast<uchar>(y & 255),
                          static_cast<uchar>(((x >> 8) & 15) | (((y >> 8) & 15) << 4)));
        }
    }
    return frame;
}

// A shown canvas of the given client size with the frame on it.
inline std::unique_ptr<CObjectContainer> MakeCanvas(int width, int height, const cv::Mat& frame,
                                                    QWidget* parent = nullptr) {
    auto canvas = std::make_unique<CObjectContainer>(parent);
    canvas->resize(width, height);
    canvas->show();
    canvas->ShowFrame(frame);
    return canvas;
}

inline QRgb Rgb(const cv::Vec3b& bgr) { return qRgb(bgr[2], bgr[1], bgr[0]); }

}  // namespace orbisk::test
