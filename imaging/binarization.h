#pragma once

#include <opencv2/core/mat.hpp>

namespace orbisk {

// Black-and-white conversion of a captured page (8-bit, one or three BGR
// channels). Where the local contrast in an element-size window is strong
// (text), a pixel is white when above the level `factor` of the local range
// below the local maximum (0.4: 60 % of the way up from the minimum); in flat
// areas it is white when above a background estimate, made on a tenth-size
// copy with a median of aperture (blockParameter / 20) * 2 + 1, less an Otsu
// margin. The usual values are 21, 301 and 0.4 or 0.5. The result has one
// channel holding only 0 and 255; it is empty for an empty or unusable image.
cv::Mat BinarizeDocument(cv::Mat image, int elementSize, int blockParameter, double factor);

// A plain Gaussian adaptive threshold (used for barcodes and shadow removal).
// Multi-channel images are turned grey with the RGB weights. `blockSize` is
// odd and greater than 1; `constant` is subtracted from the local mean.
// `result` is empty when the input cannot be thresholded.
void AdaptiveBinarize(const cv::Mat& image, int blockSize, int constant, cv::Mat& result);

}  // namespace orbisk
