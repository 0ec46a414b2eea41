#pragma once

#include <opencv2/imgproc.hpp>

#include <ostream>

#include "imaging/detection_params.h"
#include "imaging/min_area_box.h"
#include "imaging/rotated_box.h"

namespace orbisk {

inline std::ostream& operator<<(std::ostream& os, const RotatedBox& b) {
    return os << "(" << b.cx << ", " << b.cy << ", " << b.width << " x " << b.height << ", "
              << b.angle << " deg)";
}

namespace test {

// The values every caller of detection passes (median aperture 9, Sobel
// aperture 3, scale 0.2, gradient factor 8) and the crop's area ratio 0.01.
inline constexpr int kMedian = kCropDetection.medianAperture;
inline constexpr int kSobel = kCropDetection.sobelAperture;
inline constexpr float kScale = kCropDetection.scale;
inline constexpr double kFactor = kCropDetection.gradientFactor;
inline constexpr float kArea = kCropDetection.minAreaRatio;

// The picture turned clockwise by the given number of quarter turns (0 to 3).
inline cv::Mat QuarterTurned(const cv::Mat& image, int quarterTurns) {
    if (quarterTurns % 4 == 0) return image.clone();
    const int code = quarterTurns % 4 == 1   ? cv::ROTATE_90_CLOCKWISE
                     : quarterTurns % 4 == 2 ? cv::ROTATE_180
                                             : cv::ROTATE_90_COUNTERCLOCKWISE;
    cv::Mat turned;
    cv::rotate(image, turned, code);
    return turned;
}

// The same rectangle with its angle in (-45, 45], so that boxes can be
// compared whichever side OpenCV called the width.
inline RotatedBox Normalised(RotatedBox b) {
    while (b.angle <= -45.0f) {
        b.angle += 90.0f;
        std::swap(b.width, b.height);
    }
    while (b.angle > 45.0f) {
        b.angle -= 90.0f;
        std::swap(b.width, b.height);
    }
    return b;
}

// The smallest rotated rectangle around the nonzero pixels of a mask.
inline RotatedBox MaskBox(const cv::Mat& mask) {
    std::vector<cv::Point> points;
    cv::findNonZero(mask, points);
    return MinAreaBox(points);
}

}  // namespace test
}  // namespace orbisk
