#include "video/recording_frame.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace orbisk {

IntRect FitRectangle(int width, int height, int imageWidth, int imageHeight) {
    if (imageWidth <= 0 || imageHeight <= 0) {
        return {};
    }
    const float e = static_cast<float>(height) / static_cast<float>(imageHeight);
    const float f = static_cast<float>(width) / static_cast<float>(imageWidth);
    IntRect r{0, 0, width, height};
    if (e < f) {
        const float half = e * static_cast<float>(imageWidth) / 2;
        r.left = static_cast<int>(static_cast<float>(width / 2) - half);
        r.right = static_cast<int>(static_cast<float>(width / 2) + half);
    } else {
        const float half = f * static_cast<float>(imageHeight) / 2;
        r.top = static_cast<int>(static_cast<float>(height / 2) - half);
        r.bottom = static_cast<int>(static_cast<float>(height / 2) + half);
    }
    r.left = std::clamp(r.left, 0, width);
    r.right = std::clamp(r.right, r.left, width);
    r.top = std::clamp(r.top, 0, height);
    r.bottom = std::clamp(r.bottom, r.top, height);
    return r;
}

bool ScaleIntoSample(const cv::Mat& image, cv::Mat& sample) {
    if (image.empty() || image.depth() != CV_8U || sample.type() != CV_8UC3) {
        return false;
    }
    cv::Mat bgr;
    switch (image.channels()) {
        case 1:
            cv::cvtColor(image, bgr, cv::COLOR_GRAY2BGR);
            break;
        case 3:
            bgr = image;
            break;
        case 4:
            cv::cvtColor(image, bgr, cv::COLOR_BGRA2BGR);
            break;
        default:
            return false;
    }
    const IntRect r = FitRectangle(sample.cols, sample.rows, bgr.cols, bgr.rows);
    if (r.Width() <= 0 || r.Height() <= 0) {
        return false;
    }
    // Only the bars are painted black; the picture covers the rest.
    const cv::Scalar black = cv::Scalar::all(0);
    sample.rowRange(0, r.top).setTo(black);
    sample.rowRange(r.bottom, sample.rows).setTo(black);
    sample(cv::Range(r.top, r.bottom), cv::Range(0, r.left)).setTo(black);
    sample(cv::Range(r.top, r.bottom), cv::Range(r.right, sample.cols)).setTo(black);
    cv::Mat target = sample(cv::Range(r.top, r.bottom), cv::Range(r.left, r.right));
    if (bgr.size() == target.size()) {
        bgr.copyTo(target);
    } else {
        cv::resize(bgr, target, target.size(), 0, 0, cv::INTER_LINEAR);
    }
    return true;
}

}  // namespace orbisk
