#pragma once

#include "core/int_rect.h"

#include <opencv2/core.hpp>

#include <array>
#include <optional>

// The arithmetic of the preview canvas: scales, zoom steps and where the
// visible part of a zoomed frame goes in the window. Zoomed coordinates are
// frame pixels times the scale: frame pixel (x, y) at scale s lies at
// (x * s, y * s).
namespace orbisk {

// The scales the canvas zooms through, smallest first.
inline constexpr std::array<float, 11> kZoomLevels = {0.125f, 0.25f, 0.5f, 1.f, 2.f, 3.f,
                                                      4.f,    5.f,   6.f,  7.f, 8.f};
inline constexpr float kMinZoomLevel = 0.125f;
inline constexpr float kMaxZoomLevel = 8.f;

// Rounds half away from zero: 2.5 -> 3, -2.5 -> -3.
int RoundHalfAway(double value);

// A length of the frame at a scale, truncated.
int ZoomedLength(int length, float scale);
cv::Size ZoomedSize(cv::Size frame, float scale);

bool IsZoomLevel(float scale);
// The smallest zoom level above `scale`; the largest level when none is.
float NextZoomLevel(float scale);

// The scale at which the whole frame fits the client area, never above 1 (a
// frame is not enlarged to fit). 1 without a frame or without a client area.
float FitScale(cv::Size frame, cv::Size client);

struct ZoomStep {
    float scale = 1;
    bool fitMode = false;
};
// One step up the zoom ladder; nothing at the largest level.
std::optional<ZoomStep> ZoomInStep(float scale, float fitScale);
// One step down; nothing in fit mode. From the smallest level the next step
// down is the fit scale, however small that is, so the whole frame can always
// be shown again.
std::optional<ZoomStep> ZoomOutStep(float scale, float fitScale, bool fitMode);

bool Contains(const IntRect& rect, cv::Point point);  // right and bottom exclusive
cv::Point CenterPoint(const IntRect& rect);           // integer halves
IntRect Offset(const IntRect& rect, int dx, int dy);
IntRect Intersect(const IntRect& a, const IntRect& b);  // empty (all zero) when apart
bool IsEmpty(const IntRect& rect);

// Where the frame shows in the window: the visible rectangle in zoomed
// coordinates and the destination rectangle in client coordinates, of the same
// size.
struct ViewLayout {
    IntRect visible;
    IntRect destination;
};

// Lays the frame out at `scale` so that frame pixel `imagePoint` lies at client
// point `anchor` wherever the zoomed frame is larger than the window; a frame
// smaller than the window on an axis is centred on that axis. A negative scale
// counts as 1; an image point outside the frame stands for the frame's centre,
// an anchor outside the client for the client's centre.
ViewLayout LayoutView(cv::Size frame, float scale, cv::Point anchor, cv::Point imagePoint,
                      const IntRect& client);

// Moves the visible rectangle back inside the zoomed frame, keeping its size
// where the frame is large enough.
IntRect ClampVisibleRect(IntRect visible, cv::Size frame, float scale);

}  // namespace orbisk
