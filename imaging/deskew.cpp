#include "imaging/deskew.h"

#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

#include <cmath>
#include <exception>
#include <utility>

#include "imaging/document_crop.h"
#include "imaging/document_detection.h"
#include "imaging/image_checks.h"
#include "imaging/warp_maps.h"

namespace orbisk {
namespace {

// The outline point nearest to `target`. The cheap |dx| + |dy| test against the
// best distance so far skips most points before the square root.
cv::Point2f NearestOutlinePoint(const std::vector<cv::Point>& outline, cv::Point2f target) {
    cv::Point2f nearest(0, 0);
    double best = 1e11;
    for (const cv::Point& q : outline) {
        const double dx = target.x - q.x;
        const double dy = target.y - q.y;
        if (std::fabs(dx) + std::fabs(dy) > best) continue;
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d < best) {
            nearest = cv::Point2f(static_cast<float>(q.x), static_cast<float>(q.y));
            best = d;
        }
    }
    return nearest;
}

cv::Mat EstimatePageTransform(const std::vector<cv::Point2f>& from,
                              const std::vector<cv::Point2f>& to) {
    // Still the right tool for four point pairs with full affine; OpenCV keeps
    // it only as deprecated.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return cv::estimateRigidTransform(from, to, true);
#pragma GCC diagnostic pop
}

bool DeskewImpl(const cv::Mat& image, RotatedBox box, const std::vector<cv::Point>& outline,
                int margin, cv::Mat& result) {
    if (!IsDocumentImage(image) || !HasUsableSides(box)) return false;
    if (std::fabs(box.angle) > 45.0f) {
        box.angle += 90.0f;
        std::swap(box.width, box.height);
    }
    const float w = box.width;
    const float h = box.height;
    const float hw = w * 0.5f;
    const float hh = h * 0.5f;
    const std::vector<cv::Point2f> upright{{box.cx - hw, box.cy - hh},
                                           {box.cx + hw, box.cy - hh},
                                           {box.cx + hw, box.cy + hh},
                                           {box.cx - hw, box.cy + hh}};
    const std::vector<cv::Point2f> targets{{0, 0}, {w, 0}, {w, h}, {0, h}};
    std::vector<cv::Point2f> matched;
    for (const cv::Point2f& corner : upright) {
        matched.push_back(NearestOutlinePoint(outline, RotateBoxCorner(box, corner)));
    }

    int g = margin < 0 ? 5 : margin;
    if (2.0f * g > h) g = 0;
    if (2.0f * g > w) g = 0;
    const int cols = static_cast<int>(w - 2.0f * g);
    const int rows = static_cast<int>(h - 2.0f * g);
    if (cols < 1 || rows < 1) return false;

    const cv::Mat m = EstimatePageTransform(targets, matched);
    if (m.empty()) {
        cv::Mat cut = WarpRotatedBox(box, image);
        if (cut.cols < 2 * g + 1 || cut.rows < 2 * g + 1) return false;
        result = cut(cv::Rect(g, g, cut.cols - 2 * g, cut.rows - 2 * g)).clone();
        return true;
    }

    const double* m0 = m.ptr<double>(0);
    const double* m1 = m.ptr<double>(1);
    cv::Mat output(rows, cols, image.type());
    RemapInStrips(
        image, output,
        [&](int firstRow, cv::Mat& mapX, cv::Mat& mapY) {
            for (int i = 0; i < mapX.rows; ++i) {
                const double y = firstRow + i + g;
                float* xs = mapX.ptr<float>(i);
                float* ys = mapY.ptr<float>(i);
                for (int j = 0; j < mapX.cols; ++j) {
                    const double x = j + g;
                    xs[j] = static_cast<float>(m0[0] * x + m0[1] * y + m0[2]);
                    ys[j] = static_cast<float>(m1[0] * x + m1[1] * y + m1[2]);
                }
            }
        },
        false);
    result = output;
    return true;
}

}  // namespace

bool DeskewFromOutline(const cv::Mat& image, RotatedBox box, const std::vector<cv::Point>& outline,
                       int margin, cv::Mat& result) {
    try {
        return DeskewImpl(image, box, outline, margin, result);
    } catch (const std::exception&) {
        return false;
    }
}

bool DeskewDocument(const cv::Mat& image, cv::Mat& result, const DetectionParams& params,
                    int margin) {
    RotatedBox box;
    std::vector<cv::Point> outline;
    if (!FindDocumentBox(box, outline, image, params)) {
        return false;
    }
    return DeskewFromOutline(image, box, outline, margin, result);
}

}  // namespace orbisk
