#pragma once

#include "core/int_rect.h"

#include <opencv2/core.hpp>

namespace orbisk {

// Where a picture of imageWidth x imageHeight goes in a recorded frame of
// width x height: as large as fits without distortion, centred, full height
// when the height limits it and full width otherwise. Edges are truncated
// toward zero.
IntRect FitRectangle(int width, int height, int imageWidth, int imageHeight);

// Draws `image` (8-bit, grey, BGR or BGRA) into `sample` (8-bit BGR, the
// frame's size) at its fit rectangle; the rest of the sample is black.
// False, with the sample untouched, for an image it can't draw.
bool ScaleIntoSample(const cv::Mat& image, cv::Mat& sample);

}  // namespace orbisk
