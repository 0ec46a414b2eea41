#include "video/canvas_geometry.h"

#include <algorithm>
#include <cmath>

namespace orbisk {

int RoundHalfAway(double value) {
    return static_cast<int>(value > 0 ? std::trunc(value + 0.5) : std::trunc(value - 0.5));
}

int ZoomedLength(int length, float scale) { return static_cast<int>(length * scale); }

cv::Size ZoomedSize(cv::Size frame, float scale) {
    return {ZoomedLength(frame.width, scale), ZoomedLength(frame.height, scale)};
}

bool IsZoomLevel(float scale) {
    return std::find(kZoomLevels.begin(), kZoomLevels.end(), scale) != kZoomLevels.end();
}

float NextZoomLevel(float scale) {
    for (float level : kZoomLevels) {
        if (level > scale) {
            return level;
        }
    }
    return kMaxZoomLevel;
}

float FitScale(cv::Size frame, cv::Size client) {
    // A client without height would give scale 0, which later divides.
    if (frame.width <= 0 || frame.height <= 0 || client.width <= 0 || client.height <= 0) {
        return 1;
    }
    const float fit = std::min(static_cast<float>(client.height) / frame.height,
                               static_cast<float>(client.width) / frame.width);
    return std::min(fit, 1.f);
}

namespace {

ZoomStep NotBelowFit(float scale, float fitScale) {
    if (fitScale > scale) {
        return {fitScale, true};
    }
    return {scale, false};
}

}  // namespace

std::optional<ZoomStep> ZoomInStep(float scale, float fitScale) {
    if (scale >= kMaxZoomLevel) {
        return std::nullopt;
    }
    float next;
    if (IsZoomLevel(scale)) {
        next = scale < 1 ? scale * 2 : scale + 1;
    } else {
        next = NextZoomLevel(scale);
    }
    return NotBelowFit(next, fitScale);
}

std::optional<ZoomStep> ZoomOutStep(float scale, float fitScale, bool fitMode) {
    if (fitMode) {
        return std::nullopt;
    }
    if (scale <= kMinZoomLevel) {
        return ZoomStep{fitScale, true};
    }
    float next = IsZoomLevel(scale) ? scale : NextZoomLevel(scale);
    next = next >= 2 ? next - 1 : next / 2;
    next = std::max(next, kMinZoomLevel);
    return NotBelowFit(next, fitScale);
}

bool Contains(const IntRect& rect, cv::Point point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
           point.y < rect.bottom;
}

cv::Point CenterPoint(const IntRect& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

IntRect Offset(const IntRect& rect, int dx, int dy) {
    return {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

IntRect Intersect(const IntRect& a, const IntRect& b) {
    const IntRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                    std::min(a.bottom, b.bottom)};
    return IsEmpty(r) ? IntRect{} : r;
}

bool IsEmpty(const IntRect& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

ViewLayout LayoutView(cv::Size frame, float scale, cv::Point anchor, cv::Point imagePoint,
                      const IntRect& client) {
    if (scale < 0) {
        scale = 1;
    }
    if (imagePoint.x < 0 || imagePoint.x > frame.width || imagePoint.y < 0 ||
        imagePoint.y > frame.height) {
        imagePoint = {frame.width / 2, frame.height / 2};
    }
    if (!Contains(client, anchor)) {
        anchor = CenterPoint(client);
    }
    const cv::Size zoomed = ZoomedSize(frame, scale);
    const int zw = zoomed.width;
    const int zh = zoomed.height;
    const int cw = client.Width();
    const int ch = client.Height();
    const int centredLeft = (client.left + client.right - zw) / 2;
    const int centredTop = (client.top + client.bottom - zh) / 2;
    const int pointX = RoundHalfAway(imagePoint.x * static_cast<double>(scale)) - anchor.x;
    const int pointY = RoundHalfAway(imagePoint.y * static_cast<double>(scale)) - anchor.y;

    ViewLayout layout;
    if (zw <= cw && zh <= ch) {
        layout.visible = {0, 0, zw, zh};
        layout.destination = {centredLeft, centredTop, centredLeft + zw, centredTop + zh};
        return layout;
    }
    if (zw >= cw && zh >= ch) {
        layout.destination = client;
        layout.visible = {pointX, pointY, pointX + cw, pointY + ch};
    } else if (zw >= cw) {  // wide: spans the width, centred vertically
        layout.visible = {pointX, 0, pointX + cw, zh};
        layout.destination = {0, centredTop, client.right, centredTop + zh};
    } else {  // tall: spans the height, centred horizontally
        layout.visible = {0, pointY, zw, pointY + ch};
        layout.destination = {centredLeft, 0, centredLeft + zw, client.bottom};
    }
    layout.visible = ClampVisibleRect(layout.visible, frame, scale);
    return layout;
}

namespace {

// One axis of the clamp: [low, high) back inside [0, limit).
void ClampSpan(int& low, int& high, int limit) {
    if (low < 0) {
        high = std::min(high - low, limit);
        low = 0;
    } else if (high > limit) {
        low = std::max(low - (high - limit), 0);
        high = limit;
    }
}

}  // namespace

IntRect ClampVisibleRect(IntRect visible, cv::Size frame, float scale) {
    const cv::Size zoomed = ZoomedSize(frame, scale);
    ClampSpan(visible.left, visible.right, zoomed.width);
    ClampSpan(visible.top, visible.bottom, zoomed.height);
    return visible;
}

}  // namespace orbisk
