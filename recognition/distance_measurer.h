#pragma once

#include "recognition/ocr_matrix.h"

namespace orbisk {

// Distance between a template vector (a) and a feature (b) of the same shape. Measure returns
// 0 on success and 1 when the shapes differ, leaving *distance as it was.
class CDistanceMeasurer {
  public:
    virtual ~CDistanceMeasurer() = default;
    virtual int Measure(const OcrMatrix* a, const OcrMatrix* b, double* distance) = 0;
};

// "Cos": 1 - sum of products; both operands are unit vectors.
class CCosineDistanceMeasurerImp : public CDistanceMeasurer {
  public:
    int Measure(const OcrMatrix* a, const OcrMatrix* b, double* distance) override;
};

// "L2": sum of squared differences, without the square root.
class CL2DistanceMeasurerImp : public CDistanceMeasurer {
  public:
    int Measure(const OcrMatrix* a, const OcrMatrix* b, double* distance) override;
};

// "City": sum of absolute differences.
class CCityDistanceMeasurerImp : public CDistanceMeasurer {
  public:
    int Measure(const OcrMatrix* a, const OcrMatrix* b, double* distance) override;
};

}  // namespace orbisk
