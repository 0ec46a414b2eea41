#pragma once

#include <opencv2/core/mat.hpp>

#include <vector>

namespace orbisk {

using Contour = std::vector<cv::Point>;
using ContourList = std::vector<Contour>;

// Helpers of document detection that close page outlines which run off the
// picture, so that a page leaving the frame still gives a closed region. All
// draw in white (255) on an 8-bit one-channel mask unless said otherwise.

// One thin contour crossing the whole picture (a single page edge): draws it
// filled and closes it through the two corners on the larger side of the
// picture. False when the mask is empty, the list does not hold exactly one
// contour, or the line lies within 2 % of the longer side of a border.
bool CloseBorderContour(cv::Mat& mask, const ContourList& contours);

// Two or more thin contours running from top to bottom (the left and right
// edges of a page): draws them filled and joins their topmost points and their
// bottommost points with lines. False for an empty mask or fewer than two.
bool JoinContoursTopBottom(const ContourList& contours, cv::Mat& mask);

// The same for contours running from left to right, joining leftmost and
// rightmost points.
bool JoinContoursLeftRight(const ContourList& contours, cv::Mat& mask);

// A contour touching two adjacent borders is cut back to its part between the
// two border touches and closed through that picture corner; mode 0 draws it
// filled in white, mode 1 erases it (black outline of thickness 3, then filled
// black). False for an empty contour.
bool RedrawContours(cv::Mat& mask, int mode, Contour contour);

}  // namespace orbisk
