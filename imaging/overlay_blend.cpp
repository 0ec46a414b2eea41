#include <opencv2/imgproc.hpp>

#include <algorithm>

#include "imaging/enhancement.h"

namespace orbisk {
namespace {

bool MaskFits(const cv::Mat& overlay, const cv::Mat& mask) {
    return mask.empty() ||
           (mask.cols == overlay.cols && mask.rows == overlay.rows && mask.type() == CV_8UC1);
}

}  // namespace

bool CImageProcess::PlaceOverlay(cv::Mat& image, const cv::Mat& overlay, int position, int opacity,
                                 const cv::Mat& mask) {
    if (image.empty() || overlay.empty() || !MaskFits(overlay, mask)) {
        return false;
    }
    const int dx = image.cols - overlay.cols;
    const int dy = image.rows - overlay.rows;
    cv::Point point;
    switch (position) {
        case kOverlayTopLeft:
            point = {0, 0};
            break;
        case kOverlayTopRight:
            point = {dx, 0};
            break;
        case kOverlayBottomLeft:
            point = {0, dy};
            break;
        case kOverlayBottomRight:
            point = {dx, dy};
            break;
        case kOverlayCentre:
            point = {dx / 2, dy / 2};
            break;
        default:
            return false;
    }
    return BlendOverlay(image, overlay, point, opacity, mask);
}

bool CImageProcess::BlendOverlay(cv::Mat& image, const cv::Mat& overlay, cv::Point point,
                                 int opacity, const cv::Mat& mask) {
    if (image.empty() || overlay.empty() || !MaskFits(overlay, mask)) {
        return false;
    }
    if (image.depth() != CV_8U || overlay.depth() != CV_8U ||
        (image.channels() != 1 && image.channels() != 3) ||
        (overlay.channels() != 1 && overlay.channels() != 3)) {
        return false;
    }
    const int a = std::clamp(opacity, 0, 100);

    cv::Mat matched = overlay;
    if (image.channels() == 1 && overlay.channels() == 3) {
        cv::cvtColor(overlay, matched, cv::COLOR_BGR2GRAY);
    } else if (image.channels() == 3 && overlay.channels() == 1) {
        cv::merge(std::vector<cv::Mat>{overlay, overlay, overlay}, matched);
    }

    // Only the part of the overlay that lies inside the image is touched.
    const cv::Rect placed(point.x, point.y, matched.cols, matched.rows);
    const cv::Rect inside = placed & cv::Rect(0, 0, image.cols, image.rows);
    if (inside.empty()) {
        return true;
    }
    const int channels = image.channels();
    for (int y = inside.y; y < inside.y + inside.height; ++y) {
        const int i = y - point.y;
        uchar* dst = image.ptr<uchar>(y);
        const uchar* src = matched.ptr<uchar>(i);
        const uchar* m = mask.empty() ? nullptr : mask.ptr<uchar>(i);
        for (int x = inside.x; x < inside.x + inside.width; ++x) {
            const int j = x - point.x;
            if (m != nullptr && m[j] == 0) {
                continue;
            }
            for (int c = 0; c < channels; ++c) {
                uchar& pixel = dst[x * channels + c];
                pixel = static_cast<uchar>((src[j * channels + c] * a + pixel * (100 - a)) / 100);
            }
        }
    }
    return true;
}

}  // namespace orbisk
