#pragma once

#include <cstring>
#include <string>
#include <vector>

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

// A small 8-bit image drawn as text, one string a row: '#' is ink (255), anything else 0.
inline OcrMatrixPtr FromArt(const std::vector<std::string>& rows) {
    const int h = static_cast<int>(rows.size());
    const int w = h == 0 ? 0 : static_cast<int>(rows[0].size());
    OcrMatrixPtr image(CreateOcrMatrix(kOcrUInt8, h, w));
    auto* p = static_cast<uint8_t*>(image->data);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p[y * w + x] = rows[y].at(x) == '#' ? 255 : 0;
    return image;
}

// The image as text, for readable comparisons: '#' for nonzero bytes, '.' for 0.
inline std::vector<std::string> ToArt(const OcrMatrix* m) {
    std::vector<std::string> rows;
    const auto* p = static_cast<const uint8_t*>(m->data);
    for (int y = 0; y < m->rows; ++y) {
        std::string row;
        for (int x = 0; x < m->cols; ++x) row += p[y * m->cols + x] != 0 ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

}  // namespace orbisk::test
