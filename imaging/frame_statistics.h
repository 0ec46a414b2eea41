#pragma once

#include <opencv2/core/mat.hpp>

#include "imaging/detection_params.h"

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

// A second look beside IsFrameUnchanged, for what its area test misses: a
// page replaced by another in the same place, which differs from it only in
// thin strokes. The frames are reductions that average (cv::INTER_AREA), in
// which text stays a steady grey texture under sensor noise, a blur or a
// pixel of shake. The first frame's brightness is brought to the second's
// (light flicker); then a pixel has changed when its grey value lies more
// than `difference` outside the values of the other frame's 3 x 3
// neighbourhood, either way round. True when the changed pixels in groups of
// at least four cover more than rows * columns * `fraction`. False when
// either frame is unusable or they differ in size or channel count.
bool HaveStrokesChanged(const cv::Mat& first, const cv::Mat& second, float fraction,
                        int difference);

// True when document detection with `params` (new-page detection passes
// kPageDetection) finds a page whose box covers more than `areaRatio` of the
// frame.
bool IsDocumentPresent(const cv::Mat& frame, double areaRatio, const DetectionParams& params);

// The 20th percentile of the grey values of the frame's bright part (above
// Otsu's level), 0..255. A frame without a bright part (one grey value
// throughout) gives the 20th percentile of all its pixels; an unusable frame 0.
int MeasureForegroundBrightness(const cv::Mat& frame);

}  // namespace orbisk
