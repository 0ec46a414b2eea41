#pragma once

#include <opencv2/core/mat.hpp>

namespace orbisk {

// Cleaning of black-and-white pages (8-bit, one channel). A pixel is dark when
// its value is below 125. The fills keep their pending points on an explicit
// stack, so a component of any size cannot overflow the call stack.

// Whitens every 8-connected dark component of fewer than `minimumSize`
// pixels; a component of exactly `minimumSize` stays. True, nothing changed,
// for a size of 0 or less; false, unchanged, for an image with more than one
// channel or not of 8 bits.
bool RemoveSpeckles(cv::Mat& image, int minimumSize);

// Whitens dark areas connected to the picture border, but only within the
// border band (within 50 pixels of an edge); a dark area reaching into the
// interior keeps its interior part. False for an empty image, one with more
// than one channel or not of 8 bits.
bool ClearBorderNoise(cv::Mat& image);

// The fill behind RemoveSpeckles: grows the dark component of `seed`, marking
// it 255 in `visited` (same size and type as the image), and whitens it in the
// image when it holds fewer than `minimumSize` pixels. False when `visited` is
// empty or does not match the image.
bool FloodFillSpeck(cv::Point seed, cv::Mat& image, cv::Mat& visited, int minimumSize);

// The fill behind ClearBorderNoise: whitens the seed and the dark pixels
// connected to it within the border band. Looking at the neighbours of a point
// column by column from the top, an interior neighbour ends the look at its
// column.
void FloodFillFromBorder(cv::Point seed, cv::Mat& image);

}  // namespace orbisk
