#pragma once

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

}  // namespace orbisk
