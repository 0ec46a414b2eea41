#include "video/crop_box.h"

#include "video/canvas_geometry.h"
#include "video/object_container.h"

#include <opencv2/core.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orbisk {
namespace {

// A handle is hit within this distance of its centre on both axes (a 21 x 21
// square) and drawn as a square of twice kHandleDrawHalf + 1 pixels.
constexpr int kHandleHitHalf = 10;
constexpr int kHandleDrawHalf = 5;
constexpr int kBoxPenWidth = 3;

bool HandleHit(cv::Point handle, cv::Point point) {
    return std::abs(point.x - handle.x) <= kHandleHitHalf &&
           std::abs(point.y - handle.y) <= kHandleHitHalf;
}

Qt::CursorShape CursorFor(int handle) {
    switch (handle) {
        case kTopLeft:
        case kBottomRight:
            return Qt::SizeFDiagCursor;
        case kTop:
        case kBottom:
            return Qt::SizeVerCursor;
        case kTopRight:
        case kBottomLeft:
            return Qt::SizeBDiagCursor;
        case kRight:
        case kLeft:
            return Qt::SizeHorCursor;
        default:
            return Qt::SizeAllCursor;
    }
}

std::vector<cv::Point2f> Corners(const VertexBox& box) {
    return {{box.minX, box.minY}, {box.maxX, box.maxY}};
}

bool Refused(const VertexBox& before, const VertexBox& after) {
    const float width = after.maxX - after.minX;
    const float height = after.maxY - after.minY;
    const bool shrinks = width < before.maxX - before.minX || height < before.maxY - before.minY;
    return (width < kMinCropBoxSide || height < kMinCropBoxSide) && shrinks;
}

VertexBox Moved(VertexBox box, cv::Point2f delta) {
    box.minX += delta.x;
    box.maxX += delta.x;
    box.minY += delta.y;
    box.maxY += delta.y;
    return box;
}

// A pen of `width` pixels centred on the outline of `rect` (whose right and
// bottom are exclusive) covers `outer` minus `inner`.
struct PenRing {
    IntRect outer;
    IntRect inner;
};
PenRing RingOf(const IntRect& rect, int width) {
    const int out = width / 2;
    const int in = width - width / 2;
    return {{rect.left - out, rect.top - out, rect.right + out, rect.bottom + out},
            {rect.left + in, rect.top + in, rect.right - in, rect.bottom - in}};
}

// Calls `apply` on up to four rectangles that cover `area` without `hole`.
template <typename Apply>
void ForEachAround(const IntRect& area, const IntRect& hole, Apply apply) {
    const IntRect h = Intersect(hole, area);
    if (IsEmpty(h)) {
        apply(area);
        return;
    }
    const IntRect strips[] = {{area.left, area.top, area.right, h.top},
                              {area.left, h.bottom, area.right, area.bottom},
                              {area.left, h.top, h.left, h.bottom},
                              {h.right, h.top, area.right, h.bottom}};
    for (const IntRect& strip : strips) {
        if (!IsEmpty(strip)) {
            apply(strip);
        }
    }
}

cv::Mat RegionOf(cv::Mat& picture, const IntRect& rect) {
    const IntRect r = Intersect(rect, {0, 0, picture.cols, picture.rows});
    if (IsEmpty(r)) {
        return {};
    }
    return picture(cv::Rect(r.left, r.top, r.Width(), r.Height()));
}

void FillRect(cv::Mat& picture, const IntRect& rect, const cv::Scalar& colour) {
    cv::Mat region = RegionOf(picture, rect);
    if (!region.empty()) {
        region.setTo(colour);
    }
}

void FrameRect(cv::Mat& picture, const IntRect& rect, int width, const cv::Scalar& colour) {
    const PenRing ring = RingOf(rect, width);
    ForEachAround(ring.outer, ring.inner, [&](const IntRect& r) { FillRect(picture, r, colour); });
}

// Per channel: trunc(weight * pixel + (1 - weight) * colour). A grey colour
// gives one table for all channels, which cv::LUT applies much faster.
cv::Mat BlendTable(const cv::Scalar& colour, int percent) {
    const bool grey = colour[0] == colour[1] && colour[1] == colour[2];
    const int channels = grey ? 1 : 3;
    cv::Mat table(1, 256, CV_8UC(channels));
    const double weight = (100 - percent) / 100.0;
    for (int v = 0; v < 256; ++v) {
        for (int c = 0; c < channels; ++c) {
            table.ptr<uchar>()[v * channels + c] =
                cv::saturate_cast<uchar>(std::trunc(weight * v + (1 - weight) * colour[c]));
        }
    }
    return table;
}

void BlendRect(cv::Mat& picture, const IntRect& rect, const cv::Mat& table) {
    cv::Mat region = RegionOf(picture, rect);
    if (!region.empty()) {
        cv::LUT(region, table, region);
    }
}

}  // namespace

VertexBox DragBox(const VertexBox& box, cv::Point2f delta, int handle) {
    if (handle == kInsideBox) {
        return Moved(box, delta);
    }
    if (handle < kTopLeft || handle > kLeft) {
        return box;
    }
    // The edges each handle moves: left, right, top, bottom.
    static constexpr bool kEdges[8][4] = {{true, false, true, false}, {false, false, true, false},
                                          {false, true, true, false}, {false, true, false, false},
                                          {false, true, false, true}, {false, false, false, true},
                                          {true, false, false, true}, {true, false, false, false}};
    const bool* moves = kEdges[handle];
    VertexBox b = box;
    b.minX += moves[0] ? delta.x : 0;
    b.maxX += moves[1] ? delta.x : 0;
    b.minY += moves[2] ? delta.y : 0;
    b.maxY += moves[3] ? delta.y : 0;
    return Refused(box, b) ? box : b;
}

VertexBox DragBoxKeepAspect(const VertexBox& box, cv::Point2f delta, int handle) {
    const float w = std::abs(box.maxX - box.minX);
    const float h = std::abs(box.maxY - box.minY);
    if (w == 0 || h == 0) {
        return DragBox(box, delta, handle);
    }
    VertexBox b = box;
    switch (handle) {
        case kTopLeft:
            b.minX += delta.x;
            b.minY += delta.x * h / w;
            break;
        case kTop:
            b.minY += delta.y;
            b.maxX -= delta.y * w / h;
            break;
        case kTopRight:
            b.maxX += delta.x;
            b.minY -= delta.x * h / w;
            break;
        case kRight:
        case kBottomRight:
            b.maxX += delta.x;
            b.maxY += delta.x * h / w;
            break;
        case kBottom:
            b.maxY += delta.y;
            b.maxX += delta.y * w / h;
            break;
        case kBottomLeft:
        case kLeft:
            b.minX += delta.x;
            b.maxY -= delta.x * h / w;
            break;
        case kInsideBox:
            return Moved(box, delta);
        default:
            return box;
    }
    return Refused(box, b) ? box : b;
}

CTrackRectangle::CTrackRectangle() { lineWidth_ = kBoxPenWidth; }

int CTrackRectangle::HandleAt(cv::Point point, float scale) const {
    int handle = Contains(ScaledBoundingRect(vertices_, scale), point) ? kInsideBox : kNoHandle;
    for (size_t i = 0; i < handlePoints_.size(); ++i) {
        if (HandleHit(handlePoints_[i], point)) {
            handle = static_cast<int>(i);  // a later handle wins
        }
    }
    return handle;
}

bool CTrackRectangle::OnLButtonDown(cv::Point point, float scale) {
    dragging_ = true;
    if (created_) {
        Select(HandleAt(point, scale) != kNoHandle);
    } else {
        vertices_ = {ZoomedToFrame(point, scale)};  // the anchor of the rubber band
    }
    lastPoint_ = point;
    return selected_;
}

void CTrackRectangle::OnMouseMove(cv::Point point, float scale) {
    if (selected_ && !dragging_) {
        handle_ = HandleAt(point, scale);
    }
    if (owner_) {
        if (selected_ && handle_ != kNoHandle) {
            owner_->setCursor(CursorFor(handle_));
        }
        if (!created_) {
            owner_->setCursor(Qt::CrossCursor);
        }
    }
    if (dragging_) {
        if (!created_) {
            vertices_.resize(1, ZoomedToFrame(point, scale));
            vertices_.push_back(ZoomedToFrame(point, scale));
        } else if (selected_) {
            if (keepAspect_) {
                DragHandleKeepAspect(lastPoint_, point, scale, handle_);
            } else {
                DragHandle(lastPoint_, point, scale, handle_);
            }
        }
        if (vertices_.size() >= 2 && owner_) {
            // Where the box was and where it is: its rectangle grown by the
            // pen and by the move.
            const int grow =
                std::max(RoundHalfAway(lineWidth_ * scale), 5) +
                std::max(std::abs(point.x - lastPoint_.x), std::abs(point.y - lastPoint_.y)) + 1;
            const IntRect box = ScaledBoundingRect(vertices_, scale);
            owner_->InvalidateImageRect(
                {box.left - grow, box.top - grow, box.right + grow, box.bottom + grow});
        }
    }
    lastPoint_ = point;
}

void CTrackRectangle::OnLButtonUp(cv::Point point, float scale) {
    if (dragging_ && !created_ && !vertices_.empty()) {
        const cv::Point2f anchor = vertices_.front();
        cv::Point2f end = ZoomedToFrame(point, scale);
        // A new box is at least the minimum on both sides, extended the way
        // the drag went (left or up for no move at all).
        if (std::abs(end.x - anchor.x) < kMinCropBoxSide) {
            end.x = end.x > anchor.x ? anchor.x + kMinCropBoxSide : anchor.x - kMinCropBoxSide;
        }
        if (std::abs(end.y - anchor.y) < kMinCropBoxSide) {
            end.y = end.y > anchor.y ? anchor.y + kMinCropBoxSide : anchor.y - kMinCropBoxSide;
        }
        vertices_ = {anchor, end};
        created_ = true;
        Select(true);
    }
    dragging_ = false;
    lastPoint_ = point;
}

void CTrackRectangle::DragHandle(cv::Point last, cv::Point current, float scale, int handle) {
    const cv::Point2f delta((current.x - last.x) / scale, (current.y - last.y) / scale);
    vertices_ = Corners(DragBox(VertexBounds(vertices_), delta, handle));
}

void CTrackRectangle::DragHandleKeepAspect(cv::Point last, cv::Point current, float scale,
                                           int handle) {
    const cv::Point2f delta((current.x - last.x) / scale, (current.y - last.y) / scale);
    vertices_ = Corners(DragBoxKeepAspect(VertexBounds(vertices_), delta, handle));
}

bool CTrackRectangle::OnSetCursor(cv::Point point, float scale) {
    if (!created_) {
        return true;  // the cross of the rubber band stays
    }
    if (!selected_) {
        return false;
    }
    return HandleAt(point, scale) != kNoHandle;
}

IntRect CTrackRectangle::GetRect() const { return ScaledBoundingRect(vertices_, 1); }

void CTrackRectangle::SetRect(int left, int top, int right, int bottom, bool keepAspect) {
    vertices_ = {cv::Point2f(static_cast<float>(left), static_cast<float>(top)),
                 cv::Point2f(static_cast<float>(right), static_cast<float>(bottom))};
    created_ = true;
    keepAspect_ = keepAspect;
}

void CTrackRectangle::Draw(cv::Mat& picture, const IntRect& visible, float scale) {
    if (vertices_.size() < 2 || picture.empty()) {
        return;
    }
    const IntRect box = ScaledBoundingRect(vertices_, scale);
    const cv::Point shift(-visible.left, -visible.top);
    const IntRect area =
        Intersect({0, 0, visible.Width(), visible.Height()}, {0, 0, picture.cols, picture.rows});
    // Outside the box the picture is washed out with white, the pen is tinted
    // with the box's colour and the inside stays as it is.
    const PenRing ring = RingOf(Offset(box, shift.x, shift.y), kBoxPenWidth);
    const cv::Mat white = BlendTable(cv::Scalar(255, 255, 255), blendPercent_);
    const cv::Mat tint = BlendTable(colour_, blendPercent_);
    ForEachAround(area, ring.outer, [&](const IntRect& r) { BlendRect(picture, r, white); });
    ForEachAround(Intersect(ring.outer, area), ring.inner,
                  [&](const IntRect& r) { BlendRect(picture, r, tint); });
    if (selected_) {
        DrawOutline(picture, box, shift);
    }
}

void CTrackRectangle::DrawOutline(cv::Mat& picture, const IntRect& box, cv::Point shift) {
    if (!selected_) {
        return;
    }
    const cv::Point c = CenterPoint(box);
    const int right = box.right - 1;
    const int bottom = box.bottom - 1;
    handlePoints_ = {{box.left, box.top}, {c.x, box.top}, {right, box.top},   {right, c.y},
                     {right, bottom},     {c.x, bottom},  {box.left, bottom}, {box.left, c.y}};
    FrameRect(picture, Offset(box, shift.x, shift.y), lineWidth_, colour_);
    for (const cv::Point& p : handlePoints_) {
        const IntRect square{p.x - kHandleDrawHalf + shift.x, p.y - kHandleDrawHalf + shift.y,
                             p.x + kHandleDrawHalf + 1 + shift.x,
                             p.y + kHandleDrawHalf + 1 + shift.y};
        FillRect(picture, square, cv::Scalar(255, 255, 255));
        FrameRect(picture, square, 1, colour_);
    }
}

}  // namespace orbisk
