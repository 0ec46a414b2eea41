#include <algorithm>
#include <limits>
#include <vector>

#include "recognition/feature_extractor.h"

namespace orbisk {

float StrokePosition(const uint8_t* values, int count, int k) {
    const float missing = static_cast<float>(count - 1);
    if (k < 0 || values == nullptr) return missing;
    int stroke = -1;
    bool inStroke = false;
    float weighted = 0.0f;
    float total = 0.0f;
    for (int i = 0; i < count; ++i) {
        if (values[i] == 0) {
            if (inStroke && stroke == k) break;
            inStroke = false;
            continue;
        }
        if (!inStroke) {
            inStroke = true;
            ++stroke;
        }
        if (stroke == k) {
            weighted += static_cast<float>(i) * static_cast<float>(values[i]);
            total += static_cast<float>(values[i]);
        }
    }
    if (stroke < k) return missing;
    return weighted / total;
}

OcrMatrixPtr CStrokePosFeatureExtractorImp::Extract(const OcrMatrix* image, int) {
    if (image == nullptr || image->type != kOcrUInt8 || image->data == nullptr) return nullptr;
    const int rows = image->rows;
    const int cols = image->cols;
    const int64_t size = 4 * (static_cast<int64_t>(rows) + cols);
    if (size > std::numeric_limits<int32_t>::max()) return nullptr;
    OcrMatrixPtr out(CreateOcrMatrix(kOcrFloat, 1, static_cast<int>(size)));
    if (!out) return nullptr;
    const auto* pixels = static_cast<const uint8_t*>(image->data);
    float* f = static_cast<float*>(out->data);

    // One line in reading order, then its two strokes from each end.
    std::vector<uint8_t> forward(static_cast<size_t>(std::max(rows, cols)));
    std::vector<uint8_t> backward(forward.size());
    auto positions = [&](int n) {
        std::reverse_copy(forward.begin(), forward.begin() + n, backward.begin());
        *f++ = StrokePosition(forward.data(), n, 0);
        *f++ = StrokePosition(forward.data(), n, 1);
        *f++ = StrokePosition(backward.data(), n, 0);
        *f++ = StrokePosition(backward.data(), n, 1);
    };
    for (int y = 0; y < rows; ++y) {
        std::copy_n(pixels + static_cast<size_t>(y) * cols, cols, forward.begin());
        positions(cols);
    }
    for (int x = 0; x < cols; ++x) {
        for (int y = 0; y < rows; ++y) forward[y] = pixels[static_cast<size_t>(y) * cols + x];
        positions(rows);
    }
    return out;
}

}  // namespace orbisk
