#include "recognition/ocr_matrix.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <opencv2/core.hpp>

namespace orbisk {

size_t OcrElementSize(int32_t type) {
    switch (type) {
        case kOcrUInt8:
            return 1;
        case kOcrInt32:
        case kOcrInt32Alt:
        case kOcrFloat:
            return 4;
        case kOcrDouble:
            return 8;
        default:
            return 0;
    }
}

int64_t OcrElementCount(const OcrMatrix* m) {
    if (m == nullptr) return 0;
    return static_cast<int64_t>(m->rows) * static_cast<int64_t>(m->cols);
}

double OcrElementAsDouble(const OcrMatrix* m, int64_t i) {
    if (m == nullptr || m->data == nullptr) return 0.0;
    switch (m->type) {
        case kOcrUInt8:
            return static_cast<const uint8_t*>(m->data)[i];
        case kOcrInt32:
        case kOcrInt32Alt:
            return static_cast<const int32_t*>(m->data)[i];
        case kOcrFloat:
            return static_cast<const float*>(m->data)[i];
        case kOcrDouble:
            return static_cast<const double*>(m->data)[i];
        default:
            return 0.0;
    }
}

OcrMatrix* CreateOcrMatrix(int type, int rows, int cols) {
    if (rows < 0 || cols < 0) return nullptr;
    auto* m = new (std::nothrow) OcrMatrix;
    if (m == nullptr) return nullptr;
    m->type = type;
    m->rows = rows;
    m->cols = cols;
    const uint64_t count = static_cast<uint64_t>(rows) * static_cast<uint64_t>(cols);
    const size_t size = OcrElementSize(type);
    if (size != 0 && count != 0) {
        if (count > std::numeric_limits<size_t>::max() / size) {
            delete m;
            return nullptr;
        }
        m->data = std::calloc(static_cast<size_t>(count), size);
        if (m->data == nullptr) {
            delete m;
            return nullptr;
        }
    }
    return m;
}

void FreeOcrMatrix(OcrMatrix** m) {
    if (m == nullptr || *m == nullptr) return;
    std::free((*m)->data);
    delete *m;
    *m = nullptr;
}

OcrMatrix* CloneOcrMatrix(const OcrMatrix* m) {
    if (m == nullptr) return nullptr;
    OcrMatrix* copy = CreateOcrMatrix(m->type, m->rows, m->cols);
    if (copy == nullptr) return nullptr;
    if (copy->data != nullptr && m->data != nullptr) {
        std::memcpy(copy->data, m->data,
                    static_cast<size_t>(OcrElementCount(m)) * OcrElementSize(m->type));
    }
    return copy;
}

void ConvertOcrMatrixToDouble(OcrMatrix** m) {
    if (m == nullptr || *m == nullptr || (*m)->type == kOcrDouble) return;
    OcrMatrix* converted = CreateOcrMatrix(kOcrDouble, (*m)->rows, (*m)->cols);
    if (converted == nullptr) return;
    auto* out = static_cast<double*>(converted->data);
    const int64_t count = OcrElementCount(*m);
    for (int64_t i = 0; i < count; ++i) out[i] = OcrElementAsDouble(*m, i);
    FreeOcrMatrix(m);
    *m = converted;
}

void ConvertOcrMatrixToDouble(OcrMatrixPtr& m) {
    OcrMatrix* raw = m.release();
    ConvertOcrMatrixToDouble(&raw);
    m.reset(raw);
}

bool ReshapeOcrMatrix(OcrMatrix** m, int rows) {
    if (m == nullptr || *m == nullptr || rows <= 0) return false;
    const int64_t total = OcrElementCount(*m);
    if (total % rows != 0) return false;
    (*m)->rows = rows;
    (*m)->cols = static_cast<int32_t>(total / rows);
    return true;
}

OcrMatrix* MultiplyOcrMatrix(const OcrMatrix* a, const OcrMatrix* b) {
    if (a == nullptr || b == nullptr || a->type != kOcrDouble || b->type != kOcrDouble ||
        a->cols != b->rows) {
        return nullptr;
    }
    OcrMatrix* product = CreateOcrMatrix(kOcrDouble, a->rows, b->cols);
    if (product == nullptr) return nullptr;
    if (OcrElementCount(product) == 0) return product;
    if (a->cols == 0) return product;  // an empty inner dimension gives zeros
    const cv::Mat ma(a->rows, a->cols, CV_64F, a->data);
    const cv::Mat mb(b->rows, b->cols, CV_64F, b->data);
    cv::Mat mc(product->rows, product->cols, CV_64F, product->data);
    cv::gemm(ma, mb, 1.0, cv::noArray(), 0.0, mc);
    return product;
}

bool NormalizeUnitLength(OcrMatrix* m) {
    if (m == nullptr || m->type != kOcrDouble) return false;
    auto* v = static_cast<double*>(m->data);
    const int64_t count = OcrElementCount(m);
    double sum = 0.0;
    for (int64_t i = 0; i < count; ++i) sum += v[i] * v[i];
    const double norm = std::sqrt(sum);
    if (norm > 1e-9) {
        for (int64_t i = 0; i < count; ++i) v[i] /= norm;
    }
    return true;
}

bool PadOcrMatrix(const OcrMatrix* src, int srcX, int srcY, int width, int height, OcrMatrix* dst,
                  int dstX, int dstY) {
    if (src == nullptr || dst == nullptr || src->type != kOcrUInt8 || dst->type != kOcrUInt8) {
        return false;
    }
    if (srcX < 0 || srcY < 0 || dstX < 0 || dstY < 0 || width < 0 || height < 0) return false;
    // 64-bit sums: offsets near INT_MAX must not wrap into range.
    if (static_cast<int64_t>(dstX) + width > dst->cols ||
        static_cast<int64_t>(dstY) + height > dst->rows ||
        static_cast<int64_t>(srcX) + width > src->cols ||
        static_cast<int64_t>(srcY) + height > src->rows) {
        return false;
    }
    auto* out = static_cast<uint8_t*>(dst->data);
    const auto* in = static_cast<const uint8_t*>(src->data);
    if (out != nullptr) std::memset(out, 0, static_cast<size_t>(OcrElementCount(dst)));
    for (int y = 0; y < height && width > 0; ++y) {
        std::memcpy(out + static_cast<size_t>(dstY + y) * dst->cols + dstX,
                    in + static_cast<size_t>(srcY + y) * src->cols + srcX,
                    static_cast<size_t>(width));
    }
    return true;
}

}  // namespace orbisk
