#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>

#include "recognition/image_normalizer.h"

namespace orbisk {
namespace {

// Output bytes below this are background for the brightness mean.
constexpr int kStrokeLevel = 5;
constexpr double kStrokeBrightness = 128.0;

}  // namespace

OcrMatrixPtr CLinearNormalizerImp::Normalize(const OcrMatrix* image) {
    if (image == nullptr || image->type != kOcrUInt8 || image->data == nullptr) return nullptr;
    const auto* in = static_cast<const uint8_t*>(image->data);
    int left = image->cols, right = -1, top = image->rows, bottom = -1;
    for (int y = 0; y < image->rows; ++y) {
        for (int x = 0; x < image->cols; ++x) {
            if (in[static_cast<size_t>(y) * image->cols + x] != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    OcrMatrixPtr out(CreateOcrMatrix(kOcrUInt8, NormalizedSize, NormalizedSize));
    if (!out) return nullptr;
    if (right < 0) return out;  // no ink: nothing to place

    int w = right - left + 1;
    int h = bottom - top + 1;
    if (h > w) {
        left = static_cast<int>(std::trunc((left + right + 1) / 2.0 - h / 2.0));
        w = h;
    } else if (w > h) {
        top = static_cast<int>(std::trunc((top + bottom + 1) / 2.0 - w / 2.0));
        h = w;
    }
    const int side = w;

    // The square may reach past the image; those positions stay 0.
    OcrMatrixPtr square(CreateOcrMatrix(kOcrUInt8, side, side));
    if (!square) return nullptr;
    const int x0 = std::max(0, left), y0 = std::max(0, top);
    const int x1 = std::min(image->cols, left + side), y1 = std::min(image->rows, top + side);
    if (x1 > x0 && y1 > y0) {
        auto* sq = static_cast<uint8_t*>(square->data);
        for (int y = y0; y < y1; ++y) {
            std::copy(in + static_cast<size_t>(y) * image->cols + x0,
                      in + static_cast<size_t>(y) * image->cols + x1,
                      sq + static_cast<size_t>(y - top) * side + (x0 - left));
        }
    }

    const cv::Mat src(side, side, CV_8UC1, square->data);
    cv::Mat dst(NormalizedSize, NormalizedSize, CV_8UC1, out->data);
    cv::resize(src, dst, dst.size(), 0, 0, cv::INTER_LINEAR);

    auto* o = static_cast<uint8_t*>(out->data);
    const int total = NormalizedSize * NormalizedSize;
    double sum = 0;
    int count = 0;
    for (int i = 0; i < total; ++i) {
        if (o[i] >= kStrokeLevel) {
            sum += o[i];
            ++count;
        }
    }
    if (count == 0) {
        std::fill(o, o + total, 0);
        return out;
    }
    const double mean = sum / count;
    for (int i = 0; i < total; ++i) {
        const double v = kStrokeBrightness * o[i] / mean;
        o[i] = v > 255.0 ? 255 : static_cast<uint8_t>(std::trunc(v));
    }
    return out;
}

}  // namespace orbisk
