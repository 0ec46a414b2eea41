#pragma once

#include "imaging/rotated_box.h"

#include <opencv2/core/mat.hpp>

#include <functional>

namespace orbisk {

// Fills the sampling maps of one strip of output rows: for output row
// `firstRow + i` and column j, mapX(i, j) and mapY(i, j) are the source x and y.
using StripMapper = std::function<void(int firstRow, cv::Mat& mapX, cv::Mat& mapY)>;

// Resamples `image` into `output` (already allocated with the output size and
// the image's type) strip by strip, with bilinear interpolation and black
// outside the image, so that the float maps of a large page are never held
// whole. With `whiteOutside`, every output pixel whose source lies outside the
// image is set to 255 in all channels.
void RemapInStrips(const cv::Mat& image, cv::Mat& output, const StripMapper& mapper,
                   bool whiteOutside);

// The sampling of an upright cut-out of a turned box: output row i, column j
// reads the source point
//   x = cx + (j - halfCols) * cos - (i - halfRows) * sin
//   y = cy + (j - halfCols) * sin + (i - halfRows) * cos
// each step rounded to float in that order.
struct TurnedSampling {
    float cx = 0;
    float cy = 0;
    float halfRows = 0;
    float halfCols = 0;
    float cos = 1;
    float sin = 0;
};

// The upright cut-out of a turned box: its size and its sampling. A box
// turned by more than 45 degrees stands the other way round, its width
// running down the rows.
struct TurnedCut {
    int rows = 0;
    int cols = 0;
    TurnedSampling sampling;
};
TurnedCut TurnedCutOf(const RotatedBox& box);

// Resamples `image` into `output` (already allocated with the output size and
// the image's type) by the sampling, with bilinear interpolation; every output
// pixel whose source point lies outside the image is 255 in all channels. The
// same pixels as one cv::remap with the whole maps, made tile by tile so that
// the maps stay in the cache. (cv::warpAffine would need no maps, but it rounds
// the source points its own way: up to 7 grey levels apart at sharp edges.)
void RemapTurned(const cv::Mat& image, cv::Mat& output, const TurnedSampling& sampling);

}  // namespace orbisk
