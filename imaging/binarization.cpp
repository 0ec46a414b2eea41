#include "imaging/binarization.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <exception>

#include "imaging/frame_pool.h"
#include "imaging/image_checks.h"

namespace orbisk {
namespace {

// Below these a page holds no ink, only paper, noise and uneven light. Otsu's
// method always splits, even a histogram of pure noise, so on a blank sheet
// its levels fall to the noise and turn half the paper black.
// A pixel of flat paper is black only when darker than the background by
// more than 4 sigma of strong sensor noise (sigma 4).
constexpr int kMinBackgroundMargin = 16;
// A local range of ink: the 21-pixel range of noise and lighting stays far
// below it, printed or written strokes far above.
constexpr double kMinInkContrast = 24;

cv::Mat BinarizeImpl(const cv::Mat& image, int elementSize, int blockParameter, double factor) {
    if (!IsDocumentImage(image)) return cv::Mat();
    // Every full-size step after the first writes into a buffer it no longer
    // needs, and the buffers come from the frame pool: on an 8-megapixel
    // page, touching fresh memory costs more than the arithmetic.
    const auto plane = [&image] { return PooledMat(image.size(), CV_8UC1); };
    cv::Mat grey;
    if (image.channels() > 1) {
        grey = plane();
        cv::cvtColor(image, grey, cv::COLOR_BGR2GRAY);
    } else {
        grey = image;
    }

    // Background: a large median on a tenth-size copy keeps the cost small.
    cv::Mat small;
    cv::resize(grey, small, cv::Size(), 0.1, 0.1, cv::INTER_LINEAR);
    if (small.empty()) return cv::Mat();
    cv::Mat smooth;
    cv::medianBlur(small, smooth, (blockParameter / 20) * 2 + 1);
    cv::Mat flat = plane();
    cv::resize(smooth, flat, grey.size(), 0, 0, cv::INTER_LINEAR);

    cv::Mat difference;
    cv::absdiff(small, smooth, difference);
    const int margin = std::max(
        kMinBackgroundMargin, static_cast<int>(cv::threshold(difference, difference, 0, 255,
                                                             cv::THRESH_BINARY | cv::THRESH_OTSU)));

    // Flat mask: brighter than the background less the margin.
    cv::subtract(flat, cv::Scalar(margin), flat);
    cv::compare(grey, flat, flat, cv::CMP_GT);

    // Local extremes of the lightly blurred page.
    cv::Mat low = plane();
    cv::GaussianBlur(grey, low, cv::Size(5, 5), 0, 0, cv::BORDER_DEFAULT);
    const cv::Mat element =
        cv::getStructuringElement(cv::MORPH_RECT, cv::Size(elementSize, elementSize));
    cv::Mat high = plane();
    cv::dilate(low, high, element, cv::Point(-1, -1), 1, cv::BORDER_CONSTANT,
               cv::morphologyDefaultBorderValue());
    cv::erode(low, low, element, cv::Point(-1, -1), 1, cv::BORDER_CONSTANT,
              cv::morphologyDefaultBorderValue());

    // Contrast mask: the local range above its Otsu level, and never below
    // the contrast of ink.
    cv::Mat range = low;
    cv::addWeighted(high, 1, low, -1, 0, range);
    cv::Mat contrast = plane();
    if (cv::threshold(range, contrast, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU) <
        kMinInkContrast) {
        cv::threshold(range, contrast, kMinInkContrast, 255, cv::THRESH_BINARY);
    }

    // Local mask: brighter than `factor` of the range below the maximum.
    range.convertTo(range, CV_8U, factor);
    cv::Mat local = high;
    cv::subtract(high, range, local);
    cv::compare(grey, local, local, cv::CMP_GT);

    // The local level decides where the contrast is strong, the background
    // margin elsewhere.
    cv::bitwise_and(contrast, local, local);
    cv::bitwise_not(contrast, contrast);
    cv::bitwise_and(flat, contrast, flat);
    cv::bitwise_or(flat, local, contrast);
    return contrast;
}

}  // namespace

cv::Mat BinarizeDocument(cv::Mat image, int elementSize, int blockParameter, double factor) {
    try {
        return BinarizeImpl(image, elementSize, blockParameter, factor);
    } catch (const std::exception&) {
        // Bad sizes or an allocation failure: no page.
        return cv::Mat();
    }
}

void AdaptiveBinarize(const cv::Mat& image, int blockSize, int constant, cv::Mat& result) {
    try {
        if (!IsDocumentImage(image)) {
            result.release();
            return;
        }
        cv::Mat grey;
        if (image.channels() > 1) {
            cv::cvtColor(image, grey, cv::COLOR_RGB2GRAY);
        } else {
            grey = image;
        }
        cv::adaptiveThreshold(grey, result, 255, cv::ADAPTIVE_THRESH_GAUSSIAN_C, cv::THRESH_BINARY,
                              blockSize, constant);
    } catch (const std::exception&) {
        result.release();
    }
}

}  // namespace orbisk
