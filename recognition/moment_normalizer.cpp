#include <algorithm>
#include <cmath>
#include <vector>

#include "recognition/image_normalizer.h"

namespace orbisk {
namespace {

float Spread(const std::vector<float>& p, float centre, bool below) {
    float sum = 0, mass = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const float index = static_cast<float>(i);
        if ((centre > index) != below) continue;
        const float d = index + 0.5f - centre;
        sum += p[i] * d * d;
        mass += p[i];
    }
    return mass > 0 ? std::sqrt(sum / mass) : 0.0f;
}

// u(t) = a t^2 + b t with u(0) = 0, u(alpha) = 0.5, u(1) = 1, kept monotonic.
struct AxisMap {
    float a = 0;
    float b = 1;
    float operator()(float t) const { return a * t * t + b * t; }
};

AxisMap MakeAxisMap(float alpha) {
    AxisMap m;
    const float denominator = alpha - alpha * alpha;
    // A centroid on the box edge has no quadratic through the three points; map linearly.
    if (!(denominator > 0) || !std::isfinite(denominator)) return m;
    m.a = (alpha - 0.5f) / denominator;
    m.b = (0.5f - alpha * alpha) / denominator;
    if (m.a > 0 && m.b < 0 && m.b > -2 * m.a) {
        m.a = 1;
        m.b = 0;
    } else if (m.a < 0 && m.b > 0 && m.b < -2 * m.a) {
        m.a = -1;
        m.b = 2;
    }
    return m;
}

int Near(float v) { return static_cast<int>(std::round(v)); }

// Makes [lo, hi] as long as `length`, around the same centre.
void Widen(int* lo, int* hi, int length) {
    *lo = static_cast<int>(std::trunc((*lo + *hi + 1) / 2.0f - length / 2.0f));
    *hi = *lo + length - 1;
}

}  // namespace

BiMoments ComputeBiMoments(const OcrMatrix* image) {
    BiMoments m;
    if (image == nullptr || image->type != kOcrUInt8 || image->data == nullptr) return m;
    const auto* in = static_cast<const uint8_t*>(image->data);
    std::vector<float> px(static_cast<size_t>(image->cols), 0.0f);
    std::vector<float> py(static_cast<size_t>(image->rows), 0.0f);
    float total = 0;
    for (int y = 0; y < image->rows; ++y) {
        for (int x = 0; x < image->cols; ++x) {
            const float v = in[static_cast<size_t>(y) * image->cols + x];
            if (v == 0) continue;
            px[x] += v;
            py[y] += v;
            total += v;
        }
    }
    if (total <= 0) return m;
    for (float& v : px) v /= total;
    for (float& v : py) v /= total;
    for (size_t x = 0; x < px.size(); ++x) m.xc += px[x] * (static_cast<float>(x) + 0.5f);
    for (size_t y = 0; y < py.size(); ++y) m.yc += py[y] * (static_cast<float>(y) + 0.5f);
    m.left = Spread(px, m.xc, true);
    m.right = Spread(px, m.xc, false);
    m.top = Spread(py, m.yc, true);
    m.bottom = Spread(py, m.yc, false);
    return m;
}

OcrMatrixPtr CBiMomentNormalizerImp::Normalize(const OcrMatrix* image) {
    if (image == nullptr || image->type != kOcrUInt8 || image->data == nullptr) return nullptr;
    OcrMatrixPtr out(CreateOcrMatrix(kOcrUInt8, NormalizedSize, NormalizedSize));
    if (!out) return nullptr;
    const BiMoments m = ComputeBiMoments(image);

    int x1 = Near(m.xc - 2 * m.left), x2 = Near(m.xc + 2 * m.right);
    int y1 = Near(m.yc - 2 * m.top), y2 = Near(m.yc + 2 * m.bottom);
    int w = x2 - x1 + 1;
    int h = y2 - y1 + 1;
    const bool elongatedOnly = SquareOnlyWhenElongated();
    if (elongatedOnly ? h > 2 * w : h > w) {
        Widen(&x1, &x2, h);
        w = h;
    } else if (elongatedOnly ? w > 2 * h : w > h) {
        Widen(&y1, &y2, w);
        h = w;
    }

    const AxisMap ux = MakeAxisMap((m.xc - x1) / w);
    const AxisMap uy = MakeAxisMap((m.yc - y1) / h);
    const float n = static_cast<float>(NormalizedSize);
    std::vector<float> acc(static_cast<size_t>(NormalizedSize) * NormalizedSize, 0.0f);
    const auto* in = static_cast<const uint8_t*>(image->data);
    const int xs = std::max(x1, 0), xe = std::min(x2, image->cols - 1);
    const int ys = std::max(y1, 0), ye = std::min(y2, image->rows - 1);
    for (int y = ys; y <= ye; ++y) {
        const float Y0 = n * uy(static_cast<float>(y - y1) / h);
        const float Y1 = n * uy(static_cast<float>(y - y1 + 1) / h);
        for (int x = xs; x <= xe; ++x) {
            const float v = in[static_cast<size_t>(y) * image->cols + x];
            if (v == 0) continue;
            const float X0 = n * ux(static_cast<float>(x - x1) / w);
            const float X1 = n * ux(static_cast<float>(x - x1 + 1) / w);
            const int ry0 = std::max(0, static_cast<int>(std::trunc(Y0)));
            const int ry1 = std::min(NormalizedSize - 1, static_cast<int>(std::trunc(Y1)));
            const int rx0 = std::max(0, static_cast<int>(std::trunc(X0)));
            const int rx1 = std::min(NormalizedSize - 1, static_cast<int>(std::trunc(X1)));
            for (int Y = ry0; Y <= ry1; ++Y) {
                const float fy = std::min(Y + 1.0f, Y1) - std::max(static_cast<float>(Y), Y0);
                for (int X = rx0; X <= rx1; ++X) {
                    const float fx = std::min(X + 1.0f, X1) - std::max(static_cast<float>(X), X0);
                    acc[static_cast<size_t>(Y) * NormalizedSize + X] += v * fx * fy;
                }
            }
        }
    }
    auto* o = static_cast<uint8_t*>(out->data);
    for (size_t i = 0; i < acc.size(); ++i) {
        o[i] = static_cast<uint8_t>(std::clamp(std::trunc(acc[i]), 0.0f, 255.0f));
    }
    return out;
}

}  // namespace orbisk
