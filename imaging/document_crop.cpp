#include "imaging/document_crop.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>

#include "imaging/document_detection.h"
#include "imaging/image_checks.h"
#include "imaging/warp_maps.h"

namespace orbisk {
namespace {

// Cuts one page out of the image by the margin rule; false when the cut-out
// could not be made. `page` stays untouched when the margin leaves nothing.
bool CutPage(const cv::Mat& image, RotatedBox box, int margin, cv::Mat& page) {
    if (margin < 0) {
        box.width -= 2.0f * margin;
        box.height -= 2.0f * margin;
    }
    cv::Mat cut = WarpRotatedBox(box, image);
    if (cut.empty()) return false;
    if (margin <= 0) {
        page = cut;
    } else if (cut.cols > 2 * std::int64_t{margin} && cut.rows > 2 * std::int64_t{margin}) {
        page = cut(cv::Rect(margin, margin, cut.cols - 2 * margin, cut.rows - 2 * margin)).clone();
    }
    return true;
}

cv::Mat WarpRotatedBoxImpl(const RotatedBox& box, const cv::Mat& image) {
    if (!IsDocumentImage(image)) return cv::Mat();
    if (!HasUsableSides(box)) return cv::Mat();

    const TurnedCut cut = TurnedCutOf(box);
    // Only the box is sampled: the cost follows the cut-out, not the frame.
    cv::Mat output(cut.rows, cut.cols, image.type());
    RemapTurned(image, output, cut.sampling);
    return output;
}

}  // namespace

cv::Mat WarpRotatedBox(const RotatedBox& box, const cv::Mat& image) {
    try {
        return WarpRotatedBoxImpl(box, image);
    } catch (const std::exception&) {
        // A box far too large to allocate: nothing to cut.
        return cv::Mat();
    }
}

cv::Mat ExtractRotatedBox(const cv::Mat& image, const RotatedBox& box) {
    if (!HasUsableSides(box)) return cv::Mat();
    return WarpRotatedBox(box, image);
}

cv::Point2f RotateBoxCorner(const RotatedBox& box, cv::Point2f point) {
    const double a = box.angle * 3.141592653589793 / 180;
    const float c = static_cast<float>(std::cos(a));
    const float s = static_cast<float>(std::sin(a));
    const float dx = point.x - box.cx;
    const float dy = point.y - box.cy;
    return cv::Point2f(box.cx + dx * c - dy * s, box.cy + dx * s + dy * c);
}

bool CropDocument(const cv::Mat& image, const DetectionParams& params, int margin,
                  cv::Mat& result) {
    RotatedBox box;
    std::vector<cv::Point> outline;
    if (!FindDocumentBox(box, outline, image, params)) {
        return false;
    }
    try {
        return CutPage(image, box, margin, result);
    } catch (const std::exception&) {
        return false;
    }
}

bool CropDocuments(const cv::Mat& image, std::vector<cv::Mat>& results,
                   const DetectionParams& params, int margin) {
    results.clear();
    std::vector<RotatedBox> boxes;
    if (!FindDocumentBoxes(boxes, image, params)) {
        return false;
    }
    try {
        for (const RotatedBox& box : boxes) {
            cv::Mat page;
            CutPage(image, box, margin, page);
            results.push_back(page);
        }
    } catch (const std::exception&) {
        results.clear();
        return false;
    }
    return true;
}

bool CropRect(const cv::Mat& image, std::vector<cv::Mat>& results, int x, int y, int width,
              int height) {
    if (image.empty() || image.dims != 2) return false;
    const std::int64_t left = std::max(x, 0);
    const std::int64_t top = std::max(y, 0);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + width, image.cols);
    const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y} + height, image.rows);
    if (right - left <= 0 || bottom - top <= 0) return false;
    try {
        const cv::Rect rect(static_cast<int>(left), static_cast<int>(top),
                            static_cast<int>(right - left), static_cast<int>(bottom - top));
        results.push_back(image(rect).clone());
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

}  // namespace orbisk
