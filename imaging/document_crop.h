#pragma once

#include <opencv2/core/mat.hpp>

#include <vector>

#include "imaging/detection_params.h"
#include "imaging/rotated_box.h"

namespace orbisk {

// Cutting documents out of a frame (8-bit, one or three channels, rows from
// the top). None of these writes the image it is given, and none throws:
// unusable input gives false or an empty matrix.

// Detects one document (FindDocumentBox) and cuts it out upright. Margin < 0
// grows the box by 2|margin| in width and height before the cut; margin >= 0
// cuts that many pixels from each side afterwards, and leaves `result`
// untouched (still returning true) when the cut-out is not larger than twice
// the margin. False when no document was found; `result` is then untouched.
bool CropDocument(const cv::Mat& image, const DetectionParams& params, int margin, cv::Mat& result);

// The same for several documents (FindDocumentBoxes): one page per box, in
// order; a page the margin leaves untouched is appended empty. `results` is
// emptied first.
bool CropDocuments(const cv::Mat& image, std::vector<cv::Mat>& results,
                   const DetectionParams& params, int margin);

// The upright content of the box. A box turned by more than 45 degrees is cut
// out turned back by a quarter, so its width runs down the rows. Pixels whose
// source lies outside the image are white. Empty for an empty image or a box
// side below one pixel.
cv::Mat WarpRotatedBox(const RotatedBox& box, const cv::Mat& image);

// WarpRotatedBox for a box found earlier (the preview's boxes).
cv::Mat ExtractRotatedBox(const cv::Mat& image, const RotatedBox& box);

// The point turned about the box centre by the box angle.
cv::Point2f RotateBoxCorner(const RotatedBox& box, cv::Point2f point);

// Appends a copy of the rectangle, clamped to the image, to `results`. The
// right and bottom edges are taken from the unclamped x and y. False, nothing
// appended, for an empty image or a rectangle with nothing inside the image.
bool CropRect(const cv::Mat& image, std::vector<cv::Mat>& results, int x, int y, int width,
              int height);

}  // namespace orbisk
