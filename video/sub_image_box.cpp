#include "video/sub_image_box.h"

#include "video/canvas_geometry.h"
#include "video/canvas_render.h"
#include "video/object_container.h"
#include "video/watermark_object.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orbisk {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kSubImageLineWidth = 5;
constexpr int kMarkerPen = 3;
const cv::Scalar kMarkerColour(0, 255, 0);  // green

cv::Rect ToRect(const IntRect& r) { return {r.left, r.top, r.Width(), r.Height()}; }

}  // namespace

double FoldQuarterTurn(double angle) {
    if (std::abs(angle) >= kPi / 4) {
        return angle > 0 ? angle - kPi / 2 : angle + kPi / 2;
    }
    return angle;
}

void StretchInto(const cv::Mat& source, const IntRect& box, cv::Mat& target, bool smooth) {
    if (source.empty() || source.type() != CV_8UC3 || target.type() != CV_8UC3 ||
        box.Width() <= 0 || box.Height() <= 0) {
        return;
    }
    const cv::Rect whole = ToRect(box);
    const cv::Rect covered = whole & cv::Rect(0, 0, target.cols, target.rows);
    if (covered.empty()) {
        return;
    }
    cv::Mat into = target(covered);
    if (smooth && whole.width <= source.cols && whole.height <= source.rows) {
        // A reduction: no larger than the source, so made whole.
        cv::Mat reduced(whole.height, whole.width, CV_8UC3);
        ReducePicture(source, reduced);
        reduced(covered - whole.tl()).copyTo(into);
        return;
    }
    // Target pixel centres mapped back into the source, for the covered part
    // only.
    const double sx = static_cast<double>(whole.width) / source.cols;
    const double sy = static_cast<double>(whole.height) / source.rows;
    const cv::Matx23d m(sx, 0, whole.x - covered.x + 0.5 * sx - 0.5, 0, sy,
                        whole.y - covered.y + 0.5 * sy - 0.5);
    cv::warpAffine(source, into, m, covered.size(), smooth ? cv::INTER_LINEAR : cv::INTER_NEAREST,
                   cv::BORDER_REPLICATE);
}

CSubImageBox::CSubImageBox() {
    created_ = true;
    colour_ = cv::Scalar(255, 0, 0);
    blendPercent_ = 50;
    lineWidth_ = kSubImageLineWidth;
    handle_ = kNoHandle;
}

std::unique_ptr<CSubImageBox> CSubImageBox::Snapshot() const {
    auto copy = std::make_unique<CSubImageBox>(*this);
    copy->picture_ = picture_.clone();  // written in place by SetImage
    copy->owner_ = nullptr;
    copy->selected_ = false;
    copy->dragging_ = false;
    return copy;
}

bool CSubImageBox::SetImage(const uint8_t* data, int width, int height) {
    if (data == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    picture_.create(height, width, CV_8UC3);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    // The last row in memory is the top row.
    for (int row = 0; row < height; ++row) {
        std::copy_n(data + static_cast<size_t>(height - 1 - row) * rowBytes, rowBytes,
                    picture_.ptr<uint8_t>(row));
    }
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    if (vertices_.empty()) {
        vertices_ = {{0, 0}, {w, h}};
    } else if (vertices_.size() == 1) {
        vertices_.emplace_back(w, h);
    } else if (owner_) {
        const int grow = RoundHalfAway(lineWidth_ * lastScale_);
        const IntRect box = ScaledBoundingRect(vertices_, lastScale_);
        owner_->InvalidateImageRect(
            {box.left - grow, box.top - grow, box.right + grow, box.bottom + grow});
    }
    return true;
}

void CSubImageBox::Draw(cv::Mat& picture, const IntRect& visible, float scale) {
    lastScale_ = scale;
    if (picture_.empty() || picture.type() != CV_8UC3) {
        return;
    }
    const IntRect box = ScaledBoundingRect(vertices_, scale);
    const IntRect shifted = Offset(box, -visible.left, -visible.top);
    StretchInto(picture_, shifted, picture, scale <= 1);
    if (selected_ && shifted.Width() > 0 && shifted.Height() > 0) {
        cv::rectangle(picture, ToRect(shifted), colour_, 1, cv::LINE_8);
    }
    if (marker_) {
        const double a = FoldQuarterTurn(angle_);
        const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
        const double c = std::cos(a), s = std::sin(a);
        std::vector<cv::Point> outline;
        for (const cv::Point corner :
             {cv::Point(box.left, box.top), cv::Point(box.right, box.top),
              cv::Point(box.right, box.bottom), cv::Point(box.left, box.bottom)}) {
            const double dx = corner.x - cx, dy = corner.y - cy;
            outline.emplace_back(static_cast<int>(dx * c - dy * s + cx) - visible.left,
                                 static_cast<int>(dx * s + dy * c + cy) - visible.top);
        }
        cv::polylines(picture, outline, true, kMarkerColour, kMarkerPen, cv::LINE_8);
    }
}

bool CSubImageBox::OnLButtonDown(cv::Point point, float scale) {
    dragging_ = true;
    Select(Contains(ScaledBoundingRect(vertices_, scale), point));
    lastPoint_ = point;
    return selected_;
}

void CSubImageBox::OnMouseMove(cv::Point point, float scale) {
    const IntRect box = ScaledBoundingRect(vertices_, scale);
    const bool inside = Contains(box, point);
    if (selected_ && !dragging_) {
        handle_ = inside ? kInsideBox : kNoHandle;
    }
    if (owner_ && selected_ && inside) {
        owner_->setCursor(Qt::SizeAllCursor);
    }
    if (dragging_ && selected_) {
        const IntRect before = box;
        CTrackRectangle::DragHandle(lastPoint_, point, scale, handle_);
        if (owner_) {
            // Where it was and where it is.
            const IntRect after = ScaledBoundingRect(vertices_, scale);
            for (const IntRect& r : {before, after}) {
                const int grow = std::max(r.Width(), r.Height());
                owner_->InvalidateImageRect(
                    {r.left - grow, r.top - grow, r.right + grow, r.bottom + grow});
            }
        }
    }
    lastPoint_ = point;
}

void CSubImageBox::OnLButtonUp(cv::Point point, float /*scale*/) {
    dragging_ = false;
    lastPoint_ = point;
}

void CSubImageBox::BurnIn(cv::Mat& image) const {
    if (picture_.empty() || image.type() != CV_8UC3) {
        return;
    }
    const IntRect box = ScaledBoundingRect(vertices_, 1);
    if (!marker_) {
        StretchInto(picture_, box, image, true);
        return;
    }
    const double a = FoldQuarterTurn(angle_);
    const int w = picture_.cols, h = picture_.rows;
    const double diagonal = std::hypot(w, h);
    if (diagonal > kMaxWaterMarkSide) {
        return;
    }
    const int d = static_cast<int>(diagonal);
    const cv::Rect place((d - w) / 2, (d - h) / 2, w, h);
    cv::Mat square(d, d, CV_8UC3, cv::Scalar::all(255));
    picture_.copyTo(square(place));
    cv::Mat cover = cv::Mat::zeros(d, d, CV_8UC1);
    cover(place).setTo(255);
    const float centre = static_cast<float>(d) / 2;
    const cv::Mat m = cv::getRotationMatrix2D({centre, centre}, -a * 180 / kPi, 1);
    cv::Mat turned, turnedCover;
    cv::warpAffine(square, turned, m, square.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                   cv::Scalar::all(0));
    cv::warpAffine(cover, turnedCover, m, cover.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                   cv::Scalar::all(0));
    // Centred on the box, at the picture's own size; only what lies on the
    // frame is copied.
    const cv::Point at(box.left - (d - box.Width()) / 2, box.top - (d - box.Height()) / 2);
    const cv::Rect inImage = cv::Rect(at, cv::Size(d, d)) & cv::Rect(0, 0, image.cols, image.rows);
    if (inImage.empty()) {
        return;
    }
    const cv::Rect inSquare = inImage - at;
    cv::Mat full;
    cv::compare(turnedCover(inSquare), 255, full, cv::CMP_EQ);
    turned(inSquare).copyTo(image(inImage), full);
}

}  // namespace orbisk
