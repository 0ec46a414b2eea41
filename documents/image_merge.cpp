#include "documents/image_merge.h"

#include "core/sys_settings.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace orbisk {
namespace {

constexpr int kGrey = int(ColourMode::Grey);
constexpr int kBlackAndWhite = int(ColourMode::BlackAndWhite);

// One image in the canvas's colour mode. The grey weights are those of the
// save pipeline, so a merged page matches a single one.
cv::Mat InMode(const cv::Mat& image, int colourMode) {
    if (colourMode != kGrey && colourMode != kBlackAndWhite) {
        return image;
    }
    cv::Mat grey;
    cv::cvtColor(image, grey, cv::COLOR_RGB2GRAY);
    if (colourMode == kBlackAndWhite) {
        cv::threshold(grey, grey, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    }
    return grey;
}

}  // namespace

cv::Mat MergeImagePair(const cv::Mat& a, const cv::Mat& b, bool stacked, int colourMode, int gap) {
    if (a.empty() || b.empty() || a.type() != CV_8UC3 || b.type() != CV_8UC3) {
        return {};
    }
    gap = std::max(gap, 0);
    const cv::Mat first = InMode(a, colourMode);
    const cv::Mat second = InMode(b, colourMode);
    const int rows = stacked ? a.rows + b.rows + gap : std::max(a.rows, b.rows);
    const int cols = stacked ? std::max(a.cols, b.cols) : a.cols + b.cols + gap;
    cv::Mat canvas(rows, cols, first.type(), cv::Scalar::all(255));
    first.copyTo(canvas(cv::Rect(0, 0, a.cols, a.rows)));
    const cv::Point at = stacked ? cv::Point(0, a.rows + gap) : cv::Point(a.cols + gap, 0);
    second.copyTo(canvas(cv::Rect(at.x, at.y, b.cols, b.rows)));
    return canvas;
}

}  // namespace orbisk
