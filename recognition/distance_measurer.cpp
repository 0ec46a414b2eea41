#include "recognition/distance_measurer.h"

#include <cmath>

namespace orbisk {
namespace {

bool SameShape(const OcrMatrix* a, const OcrMatrix* b) {
    return a != nullptr && b != nullptr && a->rows == b->rows && a->cols == b->cols;
}

bool HasElements(const OcrMatrix* m) { return OcrElementSize(m->type) != 0 && m->data != nullptr; }

// Each operand is read in its own element type and the sum kept in double, so an integer
// template cannot overflow and a float feature is not truncated to a's type.
template <typename Term>
int Accumulate(const OcrMatrix* a, const OcrMatrix* b, double* distance, Term term) {
    if (!SameShape(a, b) || distance == nullptr) return 1;
    double sum = 0.0;
    const int64_t count = OcrElementCount(a);
    if (a->type == kOcrDouble && b->type == kOcrDouble && a->data && b->data) {
        // The classifiers' usual case, on a hot path: one coarse distance per class.
        const auto* x = static_cast<const double*>(a->data);
        const auto* y = static_cast<const double*>(b->data);
        for (int64_t i = 0; i < count; ++i) sum += term(x[i], y[i]);
    } else if (HasElements(a) && HasElements(b)) {
        for (int64_t i = 0; i < count; ++i) {
            sum += term(OcrElementAsDouble(a, i), OcrElementAsDouble(b, i));
        }
    }
    *distance = sum;
    return 0;
}

}  // namespace

int CCosineDistanceMeasurerImp::Measure(const OcrMatrix* a, const OcrMatrix* b, double* distance) {
    if (distance == nullptr) return 1;
    double dot = 0.0;
    const int result = Accumulate(a, b, &dot, [](double x, double y) { return x * y; });
    if (result == 0) *distance = 1.0 - dot;
    return result;
}

int CL2DistanceMeasurerImp::Measure(const OcrMatrix* a, const OcrMatrix* b, double* distance) {
    return Accumulate(a, b, distance, [](double x, double y) { return (x - y) * (x - y); });
}

int CCityDistanceMeasurerImp::Measure(const OcrMatrix* a, const OcrMatrix* b, double* distance) {
    return Accumulate(a, b, distance, [](double x, double y) { return std::fabs(x - y); });
}

}  // namespace orbisk
