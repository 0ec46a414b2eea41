#include "imaging/enhancement.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/binarization.h"
#include "imaging/frame_pool.h"
#include "imaging/image_checks.h"
#include "imaging/noise_cleaning.h"

namespace orbisk {
namespace {

constexpr double kStatisticsScale = 0.2;
constexpr int kBackgroundAperture = 21;
constexpr int kFlatPaperLevel = 245;
constexpr int kDefaultChromaThreshold = 50;
constexpr int kInkBlockSize = 15;
constexpr int kInkConstant = 10;

// A fifth-size copy; at least one pixel each way, so that tiny pages work too.
bool IsWholePixelShrink(const cv::Mat& image);

cv::Mat Shrink(const cv::Mat& image) {
    cv::Mat small;
    if (IsWholePixelShrink(image)) {
        cv::resize(image, small, cv::Size(), kStatisticsScale, kStatisticsScale, cv::INTER_LINEAR);
    } else {
        cv::resize(
            image, small,
            cv::Size(std::max(1, static_cast<int>(std::lround(image.cols * kStatisticsScale))),
                     std::max(1, static_cast<int>(std::lround(image.rows * kStatisticsScale)))),
            0, 0, cv::INTER_LINEAR);
    }
    return small;
}

// Whether Shrink scales by exactly 0.2 (rather than to a one-pixel minimum).
bool IsWholePixelShrink(const cv::Mat& image) {
    return std::lround(image.cols * kStatisticsScale) >= 1 &&
           std::lround(image.rows * kStatisticsScale) >= 1;
}

}  // namespace

bool CImageProcess::NormalizeBrightness(const cv::Mat& image, cv::Mat& result, int target) {
    if (!IsDocumentImage(image)) {
        return false;
    }
    // Only the fifth-size grey copy is measured. At the scale of 0.2 the
    // linear resize takes whole pixels (weights 1 and 0), so shrinking first
    // and turning the few pixels left grey gives the same values as turning
    // the whole page grey first, at a twenty-fifth of the cost.
    cv::Mat small;
    if (IsWholePixelShrink(image)) {
        small = Shrink(image);
        if (small.channels() > 1) {
            cv::cvtColor(small, small, cv::COLOR_BGR2GRAY);
        }
    } else {
        cv::Mat grey = image;
        if (image.channels() > 1) {
            cv::cvtColor(image, grey, cv::COLOR_BGR2GRAY);
        }
        small = Shrink(grey);
    }
    cv::Mat paperMask;
    cv::threshold(small, paperMask, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    if (cv::countNonZero(paperMask) == 0) {
        result = image;  // a uniform page has no paper class to measure
        return true;
    }
    cv::Scalar mean;
    cv::Scalar deviation;
    cv::meanStdDev(small, mean, deviation, paperMask);
    const double m = mean[0];
    const double s = deviation[0];
    if (m > target || m + s < 1.0) {
        result = image;
        return true;
    }
    cv::Mat scaled = PooledMat(image.size(), image.type());
    image.convertTo(scaled, -1, target / (m + s));
    result = scaled;
    return true;
}

bool CImageProcess::RemoveShadow(const cv::Mat& image, cv::Mat& result, int threshold) {
    if (!IsDocumentImage(image)) {
        return false;
    }
    if (threshold < 0 || threshold > 255) {
        threshold = kDefaultChromaThreshold;
    }

    cv::Mat work;
    std::vector<cv::Mat> hsv;
    if (image.channels() == 1) {
        work = image;
    } else {
        std::vector<cv::Mat> planes;
        cv::split(image, planes);
        cv::Mat minimum;
        cv::min(planes[0], planes[1], minimum);
        cv::min(minimum, planes[2], minimum);
        cv::Mat converted;
        cv::cvtColor(image, converted, cv::COLOR_BGR2HSV);
        cv::split(converted, hsv);
        cv::Mat chroma;
        cv::absdiff(hsv[2], minimum, chroma);
        cv::Mat colourMask;
        cv::threshold(chroma, colourMask, threshold, 255, cv::THRESH_BINARY);
        // Nearly grey pixels lose their hue and saturation.
        cv::bitwise_and(hsv[0], colourMask, hsv[0]);
        cv::bitwise_and(hsv[1], colourMask, hsv[1]);
        work = hsv[2];
    }

    // Lighting estimate: a median over a wide window of the fifth-size plane.
    cv::Mat background = Shrink(work);
    cv::medianBlur(background, background, kBackgroundAperture);
    cv::resize(background, background, work.size(), 0, 0, cv::INTER_LINEAR);

    // 255 on paper, 0 on ink; dark areas hanging on the edge are desk or
    // shadow, not ink.
    cv::Mat inkMask;
    AdaptiveBinarize(work, kInkBlockSize, kInkConstant, inkMask);
    if (inkMask.empty() || !ClearBorderNoise(inkMask)) {
        return false;
    }

    // Paper: value - background + 245 (saturated); ink: its own value.
    cv::Mat flattened(work.size(), CV_8UC1);
    for (int y = 0; y < work.rows; ++y) {
        const uchar* w = work.ptr<uchar>(y);
        const uchar* b = background.ptr<uchar>(y);
        const uchar* m = inkMask.ptr<uchar>(y);
        uchar* out = flattened.ptr<uchar>(y);
        for (int x = 0; x < work.cols; ++x) {
            out[x] = m[x] != 0 ? cv::saturate_cast<uchar>(w[x] - b[x] + kFlatPaperLevel) : w[x];
        }
    }

    if (image.channels() == 1) {
        result = flattened;
    } else {
        hsv[2] = flattened;
        cv::Mat merged;
        cv::merge(hsv, merged);
        cv::Mat bgr;
        cv::cvtColor(merged, bgr, cv::COLOR_HSV2BGR);
        result = bgr;
    }
    return true;
}

}  // namespace orbisk
