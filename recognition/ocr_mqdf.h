#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "recognition/distance_measurer.h"
#include "recognition/feature_extractor.h"
#include "recognition/image_normalizer.h"
#include "recognition/ocr_interface.h"
#include "recognition/ocr_matrix.h"

namespace orbisk {

// One class of an MQDF template. w, scale and offset come precomputed from training.
struct MqdfClass {
    OcrMatrixPtr mean;          // type 5, d values
    OcrMatrixPtr eigenvectors;  // type 5, k x d, rows are the principal axes
    OcrMatrixPtr weights;       // type 5, k values
    double scale = 1.0;
    double offset = 0.0;
};

// (sum r_j^2 + sum_i w_i y_i^2) / scale + offset with r = x - mean and y = E r. d is the
// feature's element count (a projected feature is a d x 1 column). Empty when the shapes do
// not agree.
std::optional<double> MQDFDistance(const OcrMatrix* x, const OcrMatrix* mean,
                                   const OcrMatrix* eigenvectors, const OcrMatrix* weights,
                                   double scale, double offset);

// The MQDF classifier: a coarse distance to every class mean keeps max(20, n) candidates,
// which the MQDF distance re-ranks.
class COCRMQDF : public COCRInterface {
  public:
    COCRMQDF() = default;
    ~COCRMQDF() override;

    // A failed load leaves the classifier empty.
    bool Load(const char* path) override;
    void Release() override;
    bool Recognize(const unsigned char* ink, int width, int height, char* labels, int n,
                   double* distances) override;

    size_t ClassCount() const { return classes_ ? classes_->size() : 0; }
    bool unitLength() const { return unitLength_; }

  private:
    bool LoadRecords(const char* path);

    OcrMatrixPtr projection_;
    std::unique_ptr<CImageNormalizer> normaliser_;
    std::unique_ptr<CFeatureExtractor> extractor_;
    std::unique_ptr<CDistanceMeasurer> measurer_;
    std::unique_ptr<std::vector<MqdfClass>> classes_;
    std::unique_ptr<std::vector<std::string>> labels_;
    bool unitLength_ = false;
};

}  // namespace orbisk
