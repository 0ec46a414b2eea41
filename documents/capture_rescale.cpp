// Bringing a cut-out to the configured resolution when the camera delivers
// another one.

#include "documents/capture_rescale.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace orbisk {
namespace {

bool Agrees(double factor) { return factor >= 0.999 && factor <= 1.001; }

int Scaled(int length, double factor) {
    return std::max(1, static_cast<int>(std::lround(length * factor)));
}

}  // namespace

std::optional<RescaleFactors> CaptureRescale(int configuredWidth, int configuredHeight,
                                             int actualWidth, int actualHeight) {
    if (configuredWidth <= 0 || configuredHeight <= 0 || actualWidth <= 0 || actualHeight <= 0) {
        return std::nullopt;
    }
    const RescaleFactors f{double(configuredWidth) / actualWidth,
                           double(configuredHeight) / actualHeight};
    if (Agrees(f.width) && Agrees(f.height)) return std::nullopt;
    return f;
}

cv::Size RescaledSize(cv::Size cutOut, const RescaleFactors& factors) {
    const bool landscape = cutOut.width > cutOut.height;
    const double across = landscape ? factors.width : factors.height;
    const double down = landscape ? factors.height : factors.width;
    return {Scaled(cutOut.width, across), Scaled(cutOut.height, down)};
}

cv::Mat RescaleCutOut(const cv::Mat& cutOut, const RescaleFactors& factors) {
    if (cutOut.empty()) return cutOut;
    cv::Mat scaled;
    cv::resize(cutOut, scaled, RescaledSize(cutOut.size(), factors), 0, 0, cv::INTER_LINEAR);
    return scaled;
}

}  // namespace orbisk
