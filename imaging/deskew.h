#pragma once

#include <opencv2/core/mat.hpp>

#include <vector>

#include "imaging/detection_params.h"
#include "imaging/rotated_box.h"

namespace orbisk {

// Detects one page (FindDocumentBox; callers pass kPageDetection), matches the
// corners of its box to the page's own outline and undoes the affine
// distortion between them, so a page photographed at a slant comes out as an
// upright rectangle. `margin` pixels are cut from each side (a negative margin
// means 5; a margin larger than half a side means 0). Pixels whose source lies
// outside the image are black. False, `result` untouched, when no page was
// found or the page leaves nothing after the margin.
bool DeskewDocument(const cv::Mat& image, cv::Mat& result, const DetectionParams& params,
                    int margin);

// The second half of DeskewDocument, for a box and outline found earlier. When
// no transform can be estimated from the corner pairs (a degenerate outline),
// the box is cut out upright as by WarpRotatedBox (white outside) with the same
// margin cut.
bool DeskewFromOutline(const cv::Mat& image, RotatedBox box, const std::vector<cv::Point>& outline,
                       int margin, cv::Mat& result);

}  // namespace orbisk
