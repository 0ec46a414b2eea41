#pragma once

// Small helpers for tests that write template files record by record.

#include <string>
#include <vector>

#include "recognition/file_operator.h"

namespace orbisk::test {

class TemplateWriter {
  public:
    explicit TemplateWriter(const std::string& path) { ok_ = file_.Open(path, true) == 0; }
    TemplateWriter& Text(const std::string& text) {
        OcrMatrixPtr m(CreateOcrMatrix(kOcrUInt8, 1, static_cast<int>(text.size())));
        std::copy(text.begin(), text.end(), static_cast<char*>(m->data));
        return Record(m.get());
    }
    TemplateWriter& Doubles(int rows, int cols, const std::vector<double>& values) {
        OcrMatrixPtr m(CreateOcrMatrix(kOcrDouble, rows, cols));
        std::copy(values.begin(), values.end(), static_cast<double*>(m->data));
        return Record(m.get());
    }
    TemplateWriter& Record(const OcrMatrix* m) {
        ok_ = ok_ && file_.WriteRecord(m) == 0;
        return *this;
    }
    bool Close() { return file_.Close() == 0 && ok_; }

  private:
    CCmmFileOperatorImp file_;
    bool ok_ = false;
};

}  // namespace orbisk::test
