#pragma once

#include <memory>
#include <string>
#include <vector>

#include "recognition/distance_measurer.h"
#include "recognition/feature_extractor.h"
#include "recognition/image_normalizer.h"
#include "recognition/ocr_interface.h"
#include "recognition/ocr_matrix.h"

namespace orbisk {

// One sub-template: its own front end, distance measure and labelled prototypes.
struct OcrSubTemplate {
    std::vector<OcrMatrixPtr> prototypes;
    std::vector<std::string> labels;  // two bytes each, parallel to `prototypes`
    bool unitLength = false;
    OcrMatrixPtr projection;
    std::unique_ptr<CImageNormalizer> normaliser;
    std::unique_ptr<CFeatureExtractor> extractor;
    std::unique_ptr<CDistanceMeasurer> measurer;
};

// The n nearest prototypes of one sub-template: labels (2n + 1 bytes) and distances (n).
bool SearchSubTemplate(const unsigned char* ink, int width, int height, char* labelBuffer, int n,
                       double* distanceBuffer, const std::vector<OcrMatrixPtr>& prototypes,
                       const std::vector<std::string>& labels, const OcrMatrix* projection,
                       bool unitLength, CImageNormalizer* normaliser, CFeatureExtractor* extractor,
                       CDistanceMeasurer* measurer);

// The multi-template classifier: nearest prototypes of every sub-template, merged by label.
class COCRMultiTpl : public COCRInterface {
  public:
    COCRMultiTpl() = default;
    ~COCRMultiTpl() override;

    // Adds the file's sub-templates to what is loaded; a failed load adds none.
    bool Load(const char* path) override;
    void Release() override;
    bool Recognize(const unsigned char* ink, int width, int height, char* labels, int n,
                   double* distances) override;

    int32_t count() const { return static_cast<int32_t>(subTemplates_.size()); }

  private:
    bool LoadRecords(const char* path);

    std::vector<OcrSubTemplate> subTemplates_;
};

}  // namespace orbisk
