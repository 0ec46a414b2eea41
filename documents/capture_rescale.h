#pragma once

#include <opencv2/core/mat.hpp>

#include <optional>

namespace orbisk {

// The factors that bring a cut-out of the camera's actual resolution to the
// configured one.
struct RescaleFactors {
    double width = 1;   // configured width / actual width
    double height = 1;  // configured height / actual height
};

// Nothing when both factors lie within 0.999..1.001 (the sizes agree), or when
// any of the four sizes is <= 0 (a camera that reports no size is not a
// divisor, and a configured size of 0 would leave no picture).
std::optional<RescaleFactors> CaptureRescale(int configuredWidth, int configuredHeight,
                                             int actualWidth, int actualHeight);

// The size of a cut-out after rescaling: a landscape cut-out takes the width
// factor across and the height factor down, a portrait or square one the
// other way round (the page lies across the frame). Never below 1 x 1.
cv::Size RescaledSize(cv::Size cutOut, const RescaleFactors& factors);

// The cut-out at that size, bilinear; an empty cut-out stays empty.
cv::Mat RescaleCutOut(const cv::Mat& cutOut, const RescaleFactors& factors);

}  // namespace orbisk
