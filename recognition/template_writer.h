#pragma once

#include <string>
#include <vector>

#include "recognition/file_operator.h"
#include "recognition/ocr_matrix.h"

namespace orbisk {

// Writes a template file record by record through the "Cmm" file operator. A failed write
// sticks: Close() then reports it.
class TemplateWriter {
  public:
    explicit TemplateWriter(const std::string& path);

    TemplateWriter& Text(const std::string& text);
    // A type-5 record of rows x cols values, row-major.
    TemplateWriter& Doubles(int rows, int cols, const std::vector<double>& values);
    TemplateWriter& Record(const OcrMatrix* m);

    // The records of an MQDF template ("NEW:MQDF" or "NEW:RLDA_PLUS_MQDF"): the kind, the
    // front end's keys and, when `projection` holds values, the projection of
    // `projectionRows` rows.
    TemplateWriter& MqdfHeader(const std::string& kind, const std::string& normaliser,
                               const std::string& extractor, const std::string& measure,
                               int projectionRows, const std::vector<double>& projection);
    // One MQDF class: its label (two bytes: the recogniser reads results back two bytes a
    // candidate; another length fails the writer), mean of d values, k x d eigenvectors, k
    // weights, scale and offset.
    TemplateWriter& MqdfClass(const std::string& label, const std::vector<double>& mean, int axes,
                              const std::vector<double>& eigenvectors,
                              const std::vector<double>& weights, double scale, double offset);

    bool Close();

  private:
    CCmmFileOperatorImp file_;
    bool ok_ = false;
};

}  // namespace orbisk
