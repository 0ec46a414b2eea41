#pragma once

#include "core/int_rect.h"

#include <opencv2/core.hpp>

// Scaling the frame into the canvas's pictures. Frames and pictures are 8-bit
// three-channel matrices. Reduction averages (a box filter); enlargement is by
// whole-pixel factors, nearest neighbour, so enlarged pixels stay sharp squares
// on the zoomed grid.
namespace orbisk {

// Scales `source` to the size of `destination` (not larger than the source):
// whole factors average blocks exactly; other factors halve by averaging while
// the factor is two or more and finish with linear interpolation.
void ReducePicture(const cv::Mat& source, cv::Mat& destination);

// Pixel (x, y) of `destination` becomes frame pixel ((originX + x) / factor,
// (originY + y) / factor): the zoomed grid from zoomed point (originX, originY).
void EnlargeNearest(const cv::Mat& frame, int factor, int originX, int originY,
                    cv::Mat& destination);

// The whole frame at `scale` (at most 1) into the top-left corner of `view`.
void RenderFit(const cv::Mat& frame, float scale, cv::Mat& view);

// The zoomed rectangle `region` of the frame, at a zoom level, into `view` with
// the region's top-left corner at `target`; parts outside the zoomed frame or
// the view are left out. False, with nothing drawn, when the scale is not a
// zoom level.
bool RenderRegion(const cv::Mat& frame, float scale, const IntRect& region, cv::Point target,
                  cv::Mat& view);

// After the visible rectangle moved from `oldVisible` to `newVisible` (same
// size): `clean` holds the old view; it is shifted through `view` and only the
// strips that came into sight are rendered. Both pictures then hold the new
// view.
void RenderPanned(const cv::Mat& frame, float scale, const IntRect& oldVisible,
                  const IntRect& newVisible, cv::Mat& clean, cv::Mat& view);

}  // namespace orbisk
