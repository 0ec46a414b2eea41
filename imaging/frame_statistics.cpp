#include "imaging/frame_statistics.h"

#include <opencv2/imgproc.hpp>

#include <array>
#include <vector>

#include "imaging/document_detection.h"
#include "imaging/image_checks.h"

namespace orbisk {
namespace {

using Histogram = std::array<long long, 256>;

// The value at index trunc(count / 5) of the histogram's values sorted
// ascending; -1 for an empty histogram.
int FifthFromBottom(const Histogram& histogram) {
    long long count = 0;
    for (long long n : histogram) count += n;
    if (count == 0) return -1;
    const long long index = count / 5;
    long long below = 0;
    for (int value = 0; value < 256; ++value) {
        below += histogram[value];
        if (below > index) return value;
    }
    return 255;
}

// The frame in grey as floats.
cv::Mat GreyLevels(const cv::Mat& frame) {
    cv::Mat grey = frame;
    if (frame.channels() > 1) cv::cvtColor(frame, grey, cv::COLOR_BGR2GRAY);
    cv::Mat levels;
    grey.convertTo(levels, CV_32F);
    return levels;
}

// Where `frame` lies more than `difference` outside the range of `other`'s
// 3 x 3 neighbourhood.
cv::Mat OutsideNeighbourhood(const cv::Mat& frame, const cv::Mat& other, int difference) {
    cv::Mat lowest, highest;
    cv::erode(other, lowest, cv::Mat());
    cv::dilate(other, highest, cv::Mat());
    const double d = difference;
    return (frame < lowest - d) | (frame > highest + d);
}

// Pixels of the mask in 8-connected groups of at least `smallest`.
long long PixelsInGroups(const cv::Mat& mask, int smallest) {
    cv::Mat labels, stats, centroids;
    const int n = cv::connectedComponentsWithStats(mask, labels, stats, centroids, 8);
    long long pixels = 0;
    for (int i = 1; i < n; ++i) {
        const int area = stats.at<int>(i, cv::CC_STAT_AREA);
        if (area >= smallest) pixels += area;
    }
    return pixels;
}

// A lone pixel, or a pair, is noise; a stroke that changed is longer.
constexpr int kSmallestStrokeGroup = 4;

}  // namespace

bool HaveStrokesChanged(const cv::Mat& first, const cv::Mat& second, float fraction,
                        int difference) {
    if (!IsDocumentImage(first) || !IsDocumentImage(second)) return false;
    if (first.channels() != second.channels() || first.size() != second.size()) return false;

    cv::Mat a = GreyLevels(first);
    const cv::Mat b = GreyLevels(second);
    const double meanA = cv::mean(a)[0], meanB = cv::mean(b)[0];
    if (meanA >= 1 && meanB >= 1) a *= meanB / meanA;

    const cv::Mat changed =
        OutsideNeighbourhood(b, a, difference) | OutsideNeighbourhood(a, b, difference);
    const double limit = static_cast<double>(first.rows) * fraction * first.cols;
    return static_cast<double>(PixelsInGroups(changed, kSmallestStrokeGroup)) > limit;
}

bool IsFrameUnchanged(const cv::Mat& first, const cv::Mat& second, float fraction, int difference) {
    if (!IsDocumentImage(first) || !IsDocumentImage(second)) return false;
    if (first.channels() != second.channels() || first.size() != second.size()) return false;

    // 8-bit differences are exact; a pixel changed when any channel moved by
    // more than `difference`.
    cv::Mat diff;
    cv::absdiff(first, second, diff);
    if (diff.channels() > 1) {
        std::vector<cv::Mat> planes;
        cv::split(diff, planes);
        diff = planes[0];
        for (size_t i = 1; i < planes.size(); ++i) cv::max(diff, planes[i], diff);
    }
    const cv::Mat changed = diff > difference;

    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(changed, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    double area = 0;
    for (const auto& contour : contours) area += cv::contourArea(contour);
    const double limit = static_cast<double>(first.rows) * fraction * first.cols;
    return !(area > limit);
}

bool IsDocumentPresent(const cv::Mat& frame, double areaRatio, const DetectionParams& params) {
    RotatedBox box;
    if (!DetectDocument(box, frame, params)) {
        return false;
    }
    const double covered = static_cast<double>(box.width) * box.height /
                           (static_cast<double>(frame.rows) * frame.cols);
    return covered > areaRatio;
}

int MeasureForegroundBrightness(const cv::Mat& frame) {
    if (!IsDocumentImage(frame)) return 0;
    cv::Mat grey = frame;
    // The calibration's brightness figure was tuned with these weights.
    if (frame.channels() > 1) cv::cvtColor(frame, grey, cv::COLOR_RGB2GRAY);
    cv::Mat mask;
    cv::threshold(grey, mask, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);

    Histogram foreground{}, all{};
    for (int y = 0; y < grey.rows; ++y) {
        const uchar* g = grey.ptr<uchar>(y);
        const uchar* m = mask.ptr<uchar>(y);
        for (int x = 0; x < grey.cols; ++x) {
            ++all[g[x]];
            if (m[x]) ++foreground[g[x]];
        }
    }
    const int value = FifthFromBottom(foreground);
    return value >= 0 ? value : FifthFromBottom(all);
}

}  // namespace orbisk
