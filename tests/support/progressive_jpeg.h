#pragma once

#include <opencv2/core.hpp>

#include <cstdint>
#include <vector>

namespace orbisk::test {

// Encodes `picture` (8-bit grey or BGR) as a valid progressive JPEG of
// exactly `scans` scans: one DC scan, then single-coefficient AC scans with
// successive-approximation refinements. Empty when `scans` is below 1 or
// more than the picture's components allow (694 per component).
std::vector<uint8_t> EncodeProgressiveJpeg(const cv::Mat& picture, int scans);

}  // namespace orbisk::test
