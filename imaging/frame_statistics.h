#pragma once

#include <opencv2/core/mat.hpp>

namespace orbisk {

// Statistics of camera frames that tell continuous shooting whether a new page
// lies still under the camera, and the exposure calibration how bright the
// paper is. Frames are 8-bit with one or three channels; none is changed.

// True when the two frames are nearly the same: the pixels where some channel
// differs by more than `difference` enclose an area (the sum of the areas of
// their outer contours; a lone pixel adds nothing) of at most
// rows * columns * `fraction`. False when either frame is unusable or they
// differ in size or channel count.
bool IsFrameUnchanged(const cv::Mat& first, const cv::Mat& second, float fraction, int difference);

// True when document detection finds a page (scale 0.2, minimum area ratio
// 0.03) whose box covers more than `areaRatio` of the frame.
bool IsDocumentPresent(const cv::Mat& frame, double areaRatio, double gradientFactor,
                       int medianAperture, int sobelAperture);

// The 20th percentile of the grey values of the frame's bright part (above
// Otsu's level), 0..255. A frame without a bright part (one grey value
// throughout) gives the 20th percentile of all its pixels; an unusable frame 0.
int MeasureForegroundBrightness(const cv::Mat& frame);

}  // namespace orbisk
