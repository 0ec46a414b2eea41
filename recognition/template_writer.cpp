#include "recognition/template_writer.h"

#include <algorithm>

namespace orbisk {

TemplateWriter::TemplateWriter(const std::string& path) { ok_ = file_.Open(path, true) == 0; }

TemplateWriter& TemplateWriter::Text(const std::string& text) {
    OcrMatrixPtr m(CreateOcrMatrix(kOcrUInt8, 1, static_cast<int>(text.size())));
    if (!m) {
        ok_ = false;
        return *this;
    }
    std::copy(text.begin(), text.end(), static_cast<char*>(m->data));
    return Record(m.get());
}

TemplateWriter& TemplateWriter::Doubles(int rows, int cols, const std::vector<double>& values) {
    OcrMatrixPtr m(CreateOcrMatrix(kOcrDouble, rows, cols));
    if (!m || static_cast<int64_t>(values.size()) != OcrElementCount(m.get())) {
        ok_ = false;
        return *this;
    }
    std::copy(values.begin(), values.end(), static_cast<double*>(m->data));
    return Record(m.get());
}

TemplateWriter& TemplateWriter::Record(const OcrMatrix* m) {
    ok_ = ok_ && m != nullptr && file_.WriteRecord(m) == 0;
    return *this;
}

TemplateWriter& TemplateWriter::MqdfHeader(const std::string& kind, const std::string& normaliser,
                                           const std::string& extractor, const std::string& measure,
                                           int projectionRows,
                                           const std::vector<double>& projection) {
    Text(kind).Text("-N").Text(normaliser).Text("-F").Text(extractor).Text("-S").Text(measure);
    if (!projection.empty()) {
        if (projectionRows <= 0 || projection.size() % static_cast<size_t>(projectionRows) != 0) {
            ok_ = false;
            return *this;
        }
        Text("-TRS").Doubles(projectionRows, static_cast<int>(projection.size() / projectionRows),
                             projection);
    }
    return *this;
}

TemplateWriter& TemplateWriter::MqdfClass(const std::string& label, const std::vector<double>& mean,
                                          int axes, const std::vector<double>& eigenvectors,
                                          const std::vector<double>& weights, double scale,
                                          double offset) {
    const int d = static_cast<int>(mean.size());
    if (label.size() != 2 || d == 0 || axes < 0 ||
        eigenvectors.size() != static_cast<size_t>(axes) * d ||
        weights.size() != static_cast<size_t>(axes)) {
        ok_ = false;
        return *this;
    }
    return Text("+" + label)
        .Doubles(d, 1, mean)
        .Doubles(axes, d, eigenvectors)
        .Doubles(1, axes, weights)
        .Doubles(1, 1, {scale})
        .Doubles(1, 1, {offset});
}

bool TemplateWriter::Close() { return file_.Close() == 0 && ok_; }

}  // namespace orbisk
