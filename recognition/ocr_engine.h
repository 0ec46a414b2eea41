#pragma once

#include <memory>

#include "recognition/ocr_interface.h"

namespace orbisk {

// Reads the kind tag of a template file and loads the matching classifier: "NEW" for the
// multi-template classifier, "NEW:MQDF" or "NEW:RLDA_PLUS_MQDF" for the MQDF classifier.
class COCREngine {
  public:
    COCREngine() = default;
    // An engine around a classifier that is already loaded.
    explicit COCREngine(std::unique_ptr<COCRInterface> classifier);
    ~COCREngine();
    COCREngine(const COCREngine&) = delete;
    COCREngine& operator=(const COCREngine&) = delete;

    bool Load(const char* path);
    // False without a classifier.
    bool Recognize(const unsigned char* ink, int width, int height, char* labels, int n,
                   double* distances);
    void Release();

    COCRInterface* classifier() const { return classifier_.get(); }

  private:
    std::unique_ptr<COCRInterface> classifier_;
};

}  // namespace orbisk
