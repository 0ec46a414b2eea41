#include "video/canvas_render.h"

#include "video/canvas_geometry.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace orbisk {
namespace {

bool IsWholeFactor(cv::Size source, cv::Size destination) {
    return source.width % destination.width == 0 && source.height % destination.height == 0 &&
           source.width / destination.width == source.height / destination.height;
}

cv::Rect ToCvRect(const IntRect& rect) {
    return {rect.left, rect.top, rect.Width(), rect.Height()};
}

}  // namespace

void ReducePicture(const cv::Mat& source, cv::Mat& destination) {
    const cv::Size target = destination.size();
    if (source.size() == target) {
        source.copyTo(destination);
        return;
    }
    if (IsWholeFactor(source.size(), target)) {
        cv::resize(source, destination, target, 0, 0, cv::INTER_AREA);
        return;
    }
    // Averaging at a fractional factor costs several times more than at a
    // factor of two, too much for every frame; halving first keeps every
    // source pixel in the average and leaves linear interpolation a factor
    // below two. The scratch pictures stay allocated between frames.
    thread_local cv::Mat halves[2];
    cv::Mat current = source;
    int next = 0;
    while (current.cols >= 2 * target.width && current.rows >= 2 * target.height) {
        const cv::Mat even = current(cv::Rect(0, 0, current.cols & ~1, current.rows & ~1));
        cv::resize(even, halves[next], cv::Size(even.cols / 2, even.rows / 2), 0, 0,
                   cv::INTER_AREA);
        current = halves[next];
        next = 1 - next;
    }
    cv::resize(current, destination, target, 0, 0, cv::INTER_LINEAR);
}

void EnlargeNearest(const cv::Mat& frame, int factor, int originX, int originY,
                    cv::Mat& destination) {
    const size_t rowBytes = static_cast<size_t>(destination.cols) * 3;
    int previousSourceRow = -1;
    for (int y = 0; y < destination.rows; ++y) {
        uint8_t* out = destination.ptr<uint8_t>(y);
        const int sourceRow = (originY + y) / factor;
        if (sourceRow == previousSourceRow) {
            std::memcpy(out, destination.ptr<uint8_t>(y - 1), rowBytes);
            continue;
        }
        previousSourceRow = sourceRow;
        const uint8_t* in = frame.ptr<uint8_t>(sourceRow) + (originX / factor) * 3;
        int phase = originX % factor;
        for (int x = 0; x < destination.cols; ++x) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out += 3;
            if (++phase == factor) {
                phase = 0;
                in += 3;
            }
        }
    }
}

void RenderFit(const cv::Mat& frame, float scale, cv::Mat& view) {
    if (frame.empty() || view.empty()) {
        return;
    }
    // A very thin frame may zoom to less than a pixel; it still shows one.
    const cv::Size zoomed = ZoomedSize(frame.size(), scale);
    const cv::Size size(std::clamp(zoomed.width, 1, std::min(view.cols, frame.cols)),
                        std::clamp(zoomed.height, 1, std::min(view.rows, frame.rows)));
    cv::Mat target = view(cv::Rect(cv::Point(0, 0), size));
    ReducePicture(frame, target);
}

bool RenderRegion(const cv::Mat& frame, float scale, const IntRect& region, cv::Point target,
                  cv::Mat& view) {
    if (!IsZoomLevel(scale) || frame.empty() || view.empty()) {
        return false;
    }
    const cv::Size zoomed = ZoomedSize(frame.size(), scale);
    IntRect part = Intersect(region, {0, 0, zoomed.width, zoomed.height});
    part = Intersect(
        part, Offset({0, 0, view.cols, view.rows}, region.left - target.x, region.top - target.y));
    if (IsEmpty(part)) {
        return true;
    }
    cv::Mat out = view(ToCvRect(Offset(part, target.x - region.left, target.y - region.top)));
    if (scale > 1) {
        EnlargeNearest(frame, static_cast<int>(scale), part.left, part.top, out);
        return true;
    }
    const int factor = RoundHalfAway(1 / scale);
    const cv::Mat source = frame(cv::Rect(part.left * factor, part.top * factor,
                                          part.Width() * factor, part.Height() * factor));
    ReducePicture(source, out);
    return true;
}

void RenderPanned(const cv::Mat& frame, float scale, const IntRect& oldVisible,
                  const IntRect& newVisible, cv::Mat& clean, cv::Mat& view) {
    const int dx = oldVisible.left - newVisible.left;
    const int dy = oldVisible.top - newVisible.top;
    const int width = newVisible.Width();
    const int height = newVisible.Height();
    const IntRect kept = Intersect({0, 0, width, height}, Offset({0, 0, width, height}, dx, dy));
    if (!IsEmpty(kept)) {
        clean(ToCvRect(Offset(kept, -dx, -dy))).copyTo(view(ToCvRect(kept)));
    }
    const IntRect& o = oldVisible;
    if (dx >= 1) {
        RenderRegion(frame, scale, {o.left - dx, o.top - dy, o.left, o.bottom - dy}, {0, 0}, view);
    } else if (dx < 0) {
        RenderRegion(frame, scale, {o.right, o.top - dy, o.right - dx, o.bottom - dy},
                     {width + dx, 0}, view);
    }
    if (dy >= 1) {
        RenderRegion(frame, scale, {o.left - dx, o.top - dy, o.right - dx, o.top}, {0, 0}, view);
    } else if (dy < 0) {
        RenderRegion(frame, scale, {o.left - dx, o.bottom, o.right - dx, o.bottom - dy},
                     {0, height + dy}, view);
    }
    const cv::Rect shown(0, 0, width, height);
    view(shown).copyTo(clean(shown));
}

}  // namespace orbisk
