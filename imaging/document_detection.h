#pragma once

#include <opencv2/core/mat.hpp>

#include <vector>

#include "imaging/detection_params.h"
#include "imaging/rotated_box.h"

namespace orbisk {

// Document detection on the gradient strength of a reduced copy of a frame.
// The image is 8-bit with one or three channels and is never changed. Strong
// edges are thresholded at mean + factor * sqrt(standard deviation) of the
// gradient, closed and taken as contours; contours touching the picture border
// are completed along it, so a page running off the frame still gives a
// closed region. Boxes are in pixels of the full-size image, rows from the top,
// each side shrunk by the Sobel aperture (in reduced pixels) to undo the
// gradient's spread. The usual values are median 9, Sobel 3, scale 0.2,
// factor 8.0.

// One document: every region merged into one outline. True when found; then
// `box` and `outline` (the merged contour in full-size pixels) are written.
// False for an unusable image or when nothing was found, leaving both as they
// were. A scale below 0.2 is used as 0.2.
bool FindDocumentBox(RotatedBox& box, int medianAperture, int sobelAperture,
                     std::vector<cv::Point>& outline, float scale, float minAreaRatio,
                     const cv::Mat& image, double gradientFactor);

// FindDocumentBox without the outline.
bool DetectDocument(RotatedBox& box, int medianAperture, int sobelAperture, float scale,
                    float minAreaRatio, const cv::Mat& image, double gradientFactor);

// Several documents: one box per separate region; regions whose upright
// bounding rectangles overlap by at least half of either are merged. `boxes` is
// emptied first; true when at least one box was found. A scale below 0.1 is
// used as 0.1.
bool FindDocumentBoxes(std::vector<RotatedBox>& boxes, int medianAperture, int sobelAperture,
                       float scale, float minAreaRatio, const cv::Mat& image,
                       double gradientFactor);

// The same three with their values from one DetectionParams.
bool FindDocumentBox(RotatedBox& box, std::vector<cv::Point>& outline, const cv::Mat& image,
                     const DetectionParams& params);
bool DetectDocument(RotatedBox& box, const cv::Mat& image, const DetectionParams& params);
bool FindDocumentBoxes(std::vector<RotatedBox>& boxes, const cv::Mat& image,
                       const DetectionParams& params);

}  // namespace orbisk
