#include <algorithm>
#include <cmath>
#include <vector>

#include "recognition/feature_extractor.h"

namespace orbisk {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct AxisWeights {
    int lo = 0;
    int hi = 0;
    double wLo = 1.0;
    double wHi = 0.0;
};

AxisWeights SpreadOverCells(double c, int cells) {
    AxisWeights a;
    a.lo = std::max(0, static_cast<int>(std::trunc(c - 0.5)));
    a.hi = std::min(cells - 1, static_cast<int>(std::trunc(c + 0.5)));
    if (a.lo == a.hi) return a;
    a.wLo = a.hi + 0.5 - c;
    a.wHi = c - (a.lo + 0.5);
    return a;
}

}  // namespace

OcrMatrixPtr CGradientFeatureExtractorImp::Extract(const OcrMatrix* image, int) {
    if (image == nullptr || image->type != kOcrUInt8 || image->data == nullptr) return nullptr;
    const int h = image->rows;
    const int w = image->cols;
    // Every cell must own at least one pixel.
    if (h < cellRows_ || w < cellCols_) return nullptr;
    const int ch = h / cellRows_;
    const int cw = w / cellCols_;

    const int pw = w + 2;
    std::vector<float> p(static_cast<size_t>(h + 2) * pw, 0.0f);
    const auto* in = static_cast<const uint8_t*>(image->data);
    float sum = 0;
    int count = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float v = in[static_cast<size_t>(y) * w + x];
            p[static_cast<size_t>(y + 1) * pw + x + 1] = v;
            if (v >= 1.0f) {
                sum += v;
                ++count;
            }
        }
    }
    if (count > 0) {
        const float mean = sum / static_cast<float>(count);
        for (float& v : p) {
            if (v >= 1.0f) v = v / mean * 200.0f;
        }
    }

    OcrMatrixPtr out(CreateOcrMatrix(kOcrFloat, 1, cellRows_ * cellCols_ * directions_));
    if (!out) return nullptr;
    auto* f = static_cast<float*>(out->data);
    const double step = 2.0 * kPi / directions_;
    auto at = [&](int Y, int X) { return p[static_cast<size_t>(Y) * pw + X]; };

    for (int y = 0; y < h; ++y) {
        const int Y = y + 1;
        const AxisWeights ry = SpreadOverCells((y + 0.5) / ch, cellRows_);
        for (int x = 0; x < w; ++x) {
            const int X = x + 1;
            const float gy = (at(Y + 1, X - 1) + 2 * at(Y + 1, X) + at(Y + 1, X + 1)) -
                             (at(Y - 1, X - 1) + 2 * at(Y - 1, X) + at(Y - 1, X + 1));
            const float gx = (at(Y - 1, X + 1) + 2 * at(Y, X + 1) + at(Y + 1, X + 1)) -
                             (at(Y - 1, X - 1) + 2 * at(Y, X - 1) + at(Y + 1, X - 1));
            if (gx == 0 && gy == 0) continue;
            const double g = std::sqrt(static_cast<double>(gx) * gx + static_cast<double>(gy) * gy);
            double theta = std::atan2(static_cast<double>(gy), static_cast<double>(gx));
            if (theta < 0) theta += 2.0 * kPi;
            const int r = static_cast<int>(std::trunc(theta / step));
            const double t = step * (r + 1) - theta;
            const double sinS = std::sin(t) * std::cos(step - t) + std::cos(t) * std::sin(step - t);
            const double shareR = g * std::sin(t) / sinS;
            const double shareNext = g * std::sin(step - t) / sinS;
            // theta rounding up to 2 pi gives index 8, which is direction 0.
            const int d0 = r % directions_;
            const int d1 = (r + 1) % directions_;

            const AxisWeights rx = SpreadOverCells((x + 0.5) / cw, cellCols_);
            const int cellY[2] = {ry.lo, ry.hi};
            const double weightY[2] = {ry.wLo, ry.wHi};
            const int cellX[2] = {rx.lo, rx.hi};
            const double weightX[2] = {rx.wLo, rx.wHi};
            const int ny = ry.lo == ry.hi ? 1 : 2;
            const int nx = rx.lo == rx.hi ? 1 : 2;
            for (int a = 0; a < ny; ++a) {
                for (int b = 0; b < nx; ++b) {
                    const double wgt = weightY[a] * weightX[b];
                    float* cell = f + (cellY[a] * cellCols_ + cellX[b]) * directions_;
                    cell[d0] += static_cast<float>(shareR * wgt);
                    cell[d1] += static_cast<float>(shareNext * wgt);
                }
            }
        }
    }
    return out;
}

}  // namespace orbisk
