#include "recognition/ocr_mqdf.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "recognition/ascii_key.h"
#include "recognition/factories.h"
#include "recognition/ocr_front_end.h"

namespace orbisk {
namespace {

constexpr size_t kMaxTagLength = 127;
constexpr int kMinCandidates = 20;
constexpr size_t kLabelLength = 2;

bool IsDouble(const OcrMatrix* m) { return m != nullptr && m->type == kOcrDouble; }

// The first element of a type-5 record with at least one element.
bool FirstDouble(const OcrMatrix* m, double* value) {
    if (!IsDouble(m) || OcrElementCount(m) < 1) return false;
    *value = static_cast<const double*>(m->data)[0];
    return true;
}

// Mean of d values, k x d eigenvectors, k weights, scale finite and positive.
bool ClassIsConsistent(const MqdfClass& c) {
    if (!IsDouble(c.mean.get()) || !IsDouble(c.eigenvectors.get()) || !IsDouble(c.weights.get())) {
        return false;
    }
    const int64_t d = OcrElementCount(c.mean.get());
    const int64_t k = c.eigenvectors->rows;
    return d > 0 && c.eigenvectors->cols == d && OcrElementCount(c.weights.get()) == k &&
           std::isfinite(c.scale) && c.scale > 0 && std::isfinite(c.offset);
}

}  // namespace

std::optional<double> MQDFDistance(const OcrMatrix* x, const OcrMatrix* mean,
                                   const OcrMatrix* eigenvectors, const OcrMatrix* weights,
                                   double scale, double offset) {
    if (!IsDouble(x) || !IsDouble(mean) || !IsDouble(eigenvectors) || !IsDouble(weights)) {
        return std::nullopt;
    }
    const int64_t d = OcrElementCount(x);
    const int64_t k = eigenvectors->rows;
    if (d <= 0 || OcrElementCount(mean) != d || eigenvectors->cols != d ||
        OcrElementCount(weights) != k) {
        return std::nullopt;
    }
    OcrMatrixPtr r(CreateOcrMatrix(kOcrDouble, static_cast<int>(d), 1));
    if (!r) return std::nullopt;
    const auto* xv = static_cast<const double*>(x->data);
    const auto* mv = static_cast<const double*>(mean->data);
    auto* rv = static_cast<double*>(r->data);
    double sum = 0.0;
    for (int64_t j = 0; j < d; ++j) {
        rv[j] = xv[j] - mv[j];
        sum += rv[j] * rv[j];
    }
    if (k > 0) {
        OcrMatrixPtr y(MultiplyOcrMatrix(eigenvectors, r.get()));
        if (!y) return std::nullopt;
        const auto* yv = static_cast<const double*>(y->data);
        const auto* wv = static_cast<const double*>(weights->data);
        for (int64_t i = 0; i < k; ++i) sum += wv[i] * yv[i] * yv[i];
    }
    return sum / scale + offset;
}

COCRMQDF::~COCRMQDF() { Release(); }

void COCRMQDF::Release() {
    projection_.reset();
    normaliser_.reset();
    extractor_.reset();
    measurer_.reset();
    labels_.reset();
    classes_.reset();
    unitLength_ = false;
}

bool COCRMQDF::Load(const char* path) {
    if (LoadRecords(path)) return true;
    // A half-read template must not recognise with whatever it got so far.
    Release();
    return false;
}

bool COCRMQDF::LoadRecords(const char* path) {
    if (path == nullptr) return false;
    std::unique_ptr<CFileOperator> file = CreateFileOperator("Cmm");
    if (!file || file->Open(path, false) != 0) return false;
    auto readKey = [&](std::string* key) { return ReadKeyRecord(*file, kMaxTagLength, key); };
    for (;;) {
        OcrMatrixPtr record = file->ReadRecord();
        if (!record) {
            // Reading stopped inside a record: the template was cut short.
            if (!file->EndReached()) return false;
            break;
        }
        if (!IsTextRecord(record.get())) return false;
        const std::string tag = TextOfRecord(record.get());
        if (tag.size() > kMaxTagLength) return false;
        if (EqualsIgnoreCaseAscii(tag, "NEW:MQDF") ||
            EqualsIgnoreCaseAscii(tag, "NEW:RLDA_PLUS_MQDF")) {
            classes_ = std::make_unique<std::vector<MqdfClass>>();
            labels_ = std::make_unique<std::vector<std::string>>();
        } else if (!tag.empty() && tag[0] == '+') {
            if (!classes_ || !labels_) return false;
            // Results are read back two bytes per candidate.
            if (tag.size() != 1 + kLabelLength) return false;
            MqdfClass c;
            c.mean = file->ReadRecord();
            c.eigenvectors = file->ReadRecord();
            c.weights = file->ReadRecord();
            OcrMatrixPtr scale = file->ReadRecord();
            OcrMatrixPtr offset = file->ReadRecord();
            if (!FirstDouble(scale.get(), &c.scale) || !FirstDouble(offset.get(), &c.offset) ||
                !ClassIsConsistent(c)) {
                return false;
            }
            labels_->push_back(tag.substr(1));
            classes_->push_back(std::move(c));
        } else if (tag.size() >= 2 && tag[0] == '-') {
            const char action = static_cast<char>(tag[1] | 0x20);  // either case
            std::string key;
            if (action == 'f') {
                if (!readKey(&key)) return false;
                extractor_ = CreateFeatureExtractor(key);
            } else if (action == 'n') {
                if (!readKey(&key)) return false;
                normaliser_ = CreateImageNormalizer(key);
            } else if (action == 's') {
                if (!readKey(&key)) return false;
                measurer_ = CreateDistanceMeasurer(key);
                unitLength_ = EqualsIgnoreCaseAscii(key, "Cos");
            } else if (action == 't' && EqualsIgnoreCaseAscii(tag, "-TRS")) {
                OcrMatrixPtr projection = file->ReadRecord();
                if (!IsDouble(projection.get())) return false;
                projection_ = std::move(projection);
            }
        }
    }
    file->Close();
    return true;
}

bool COCRMQDF::Recognize(const unsigned char* ink, int width, int height, char* labels, int n,
                         double* distances) {
    // The caller's buffer holds 2n + 1 bytes: with n < 1 there is no room for a label.
    if (n < 1 || labels == nullptr) return false;
    if (!normaliser_ || !extractor_ || !measurer_ || !classes_ || classes_->empty()) return false;
    if (!HasInk(ink, width, height)) return false;
    OcrMatrixPtr feature = BuildFeature(ink, width, height, normaliser_.get(), extractor_.get(),
                                        projection_.get(), unitLength_);
    if (!feature) return false;

    // Coarse stage. `kept` stays sorted by distance; equal distances in the order kept.
    struct Kept {
        double distance;
        size_t index;
    };
    const size_t limit = static_cast<size_t>(std::max(kMinCandidates, n));
    std::vector<Kept> kept;
    kept.reserve(limit + 1);
    for (size_t i = 0; i < classes_->size(); ++i) {
        double d = 0.0;
        // A class the measure cannot compare takes no part.
        if (measurer_->Measure((*classes_)[i].mean.get(), feature.get(), &d) != 0) continue;
        if (std::isnan(d)) continue;
        if (kept.size() >= limit) {
            const double largest = kept.back().distance;
            if (!(largest > d)) continue;
            // Of equal largest entries, the one kept first goes.
            auto first = std::lower_bound(kept.begin(), kept.end(), largest,
                                          [](const Kept& k, double v) { return k.distance < v; });
            kept.erase(first);
        }
        auto at = std::upper_bound(kept.begin(), kept.end(), d,
                                   [](double v, const Kept& k) { return v < k.distance; });
        kept.insert(at, Kept{d, i});
    }

    // Fine stage, from the largest coarse distance down (equal ones in the order kept).
    struct Scored {
        double distance;
        size_t order;
        size_t index;
    };
    std::vector<Scored> scored;
    size_t order = 0;
    for (size_t end = kept.size(); end > 0;) {
        size_t begin = end - 1;
        while (begin > 0 && kept[begin - 1].distance == kept[end - 1].distance) --begin;
        for (size_t j = begin; j < end; ++j) {
            const MqdfClass& c = (*classes_)[kept[j].index];
            const std::optional<double> q =
                MQDFDistance(feature.get(), c.mean.get(), c.eigenvectors.get(), c.weights.get(),
                             c.scale, c.offset);
            if (q && !std::isnan(*q)) scored.push_back(Scored{*q, order, kept[j].index});
            ++order;
        }
        end = begin;
    }
    if (scored.empty()) return false;
    // Ascending; among equal distances the one taken later comes first.
    std::sort(scored.begin(), scored.end(), [](const Scored& a, const Scored& b) {
        return a.distance < b.distance || (a.distance == b.distance && a.order > b.order);
    });

    const size_t count = std::min(scored.size(), static_cast<size_t>(n));
    for (size_t i = 0; i < count; ++i) {
        std::memcpy(labels + kLabelLength * i, (*labels_)[scored[i].index].data(), kLabelLength);
        if (distances != nullptr) distances[i] = scored[i].distance;
    }
    labels[kLabelLength * count] = '\0';
    labels[kLabelLength * static_cast<size_t>(n)] = '\0';
    return true;
}

}  // namespace orbisk
