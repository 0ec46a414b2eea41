#pragma once

#include <cstring>
#include <opencv2/core.hpp>

#include "recognition/ocr_matrix.h"

namespace orbisk::test {

// An 8-bit recogniser matrix holding a copy of `m` (8-bit, one channel).
inline OcrMatrixPtr FromMat(const cv::Mat& m) {
    OcrMatrixPtr image(CreateOcrMatrix(kOcrUInt8, m.rows, m.cols));
    const cv::Mat c = m.clone();
    std::memcpy(image->data, c.data, c.total());
    return image;
}

}  // namespace orbisk::test
