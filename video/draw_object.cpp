#include "video/draw_object.h"

#include "video/canvas_geometry.h"

#include <algorithm>
#include <cmath>

namespace orbisk {

bool CDrawObject::Select(bool selected) {
    const bool previous = selected_;
    selected_ = selected;
    return previous;
}

void CDrawObject::Rotate90(const IntRect& frame) {
    const float height = static_cast<float>(frame.Height());
    for (cv::Point2f& v : vertices_) {
        v = {height - 1 - v.y, v.x};
    }
}

void CDrawObject::Rotate270(const IntRect& frame) {
    const float width = static_cast<float>(frame.Width());
    for (cv::Point2f& v : vertices_) {
        v = {v.y, width - 1 - v.x};
    }
}

void CDrawObject::Rotate180(const IntRect& frame) {
    const float width = static_cast<float>(frame.Width());
    const float height = static_cast<float>(frame.Height());
    for (cv::Point2f& v : vertices_) {
        v = {width - 1 - v.x, height - 1 - v.y};
    }
}

cv::Point2f ZoomedToFrame(cv::Point point, float scale) {
    const float x = static_cast<float>(point.x) / scale;
    const float y = static_cast<float>(point.y) / scale;
    if (scale >= 1) {
        return {x, y};
    }
    const float k = std::trunc(0.5f / scale);
    return {x + k, y + k};
}

IntRect ScaledBoundingRect(const std::vector<cv::Point2f>& vertices, float scale) {
    if (vertices.empty()) {
        return {};
    }
    IntRect rect{RoundHalfAway(vertices[0].x * scale), RoundHalfAway(vertices[0].y * scale), 0, 0};
    rect.right = rect.left;
    rect.bottom = rect.top;
    for (const cv::Point2f& v : vertices) {
        const int x = RoundHalfAway(v.x * scale);
        const int y = RoundHalfAway(v.y * scale);
        rect.left = std::min(rect.left, x);
        rect.right = std::max(rect.right, x);
        rect.top = std::min(rect.top, y);
        rect.bottom = std::max(rect.bottom, y);
    }
    return rect;
}

VertexBox VertexBounds(const std::vector<cv::Point2f>& vertices) {
    if (vertices.empty()) {
        return {};
    }
    VertexBox box{50000, -50000, 50000, -50000};
    for (const cv::Point2f& v : vertices) {
        box.minX = std::min(box.minX, v.x);
        box.maxX = std::max(box.maxX, v.x);
        box.minY = std::min(box.minY, v.y);
        box.maxY = std::max(box.maxY, v.y);
    }
    return box;
}

}  // namespace orbisk
