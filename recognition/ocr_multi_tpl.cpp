#include "recognition/ocr_multi_tpl.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "recognition/ascii_key.h"
#include "recognition/factories.h"
#include "recognition/ocr_front_end.h"

namespace orbisk {
namespace {

constexpr size_t kLabelLength = 2;
constexpr size_t kMaxKeyLength = 99;

struct Candidate {
    double distance;
    std::string label;
};

// Writes candidates as concatenated labels (NUL after the last and at byte 2n) and distances.
void WriteCandidates(const std::vector<Candidate>& list, char* labels, int n, double* distances) {
    for (size_t i = 0; i < list.size(); ++i) {
        std::memcpy(labels + kLabelLength * i, list[i].label.data(), kLabelLength);
        if (distances != nullptr) distances[i] = list[i].distance;
    }
    labels[kLabelLength * list.size()] = '\0';
    labels[kLabelLength * static_cast<size_t>(n)] = '\0';
}

}  // namespace

bool SearchSubTemplate(const unsigned char* ink, int width, int height, char* labelBuffer, int n,
                       double* distanceBuffer, const std::vector<OcrMatrixPtr>& prototypes,
                       const std::vector<std::string>& labels, const OcrMatrix* projection,
                       bool unitLength, CImageNormalizer* normaliser, CFeatureExtractor* extractor,
                       CDistanceMeasurer* measurer) {
    if (n < 1 || labelBuffer == nullptr) return false;
    if (normaliser == nullptr || extractor == nullptr || measurer == nullptr ||
        prototypes.empty()) {
        return false;
    }
    OcrMatrixPtr feature =
        BuildFeature(ink, width, height, normaliser, extractor, projection, unitLength);
    if (!feature) return false;

    // The n nearest, sorted by distance; equal distances in the order kept.
    std::vector<Candidate> kept;
    const size_t limit = static_cast<size_t>(n);
    for (size_t i = 0; i < prototypes.size(); ++i) {
        double d = 0.0;
        // A prototype the measure cannot compare takes no part.
        if (measurer->Measure(prototypes[i].get(), feature.get(), &d) != 0 || std::isnan(d)) {
            continue;
        }
        if (kept.size() >= limit) {
            const double largest = kept.back().distance;
            if (!(largest > d)) continue;
            auto first =
                std::lower_bound(kept.begin(), kept.end(), largest,
                                 [](const Candidate& c, double v) { return c.distance < v; });
            kept.erase(first);
        }
        auto at = std::upper_bound(kept.begin(), kept.end(), d,
                                   [](double v, const Candidate& c) { return v < c.distance; });
        kept.insert(at, Candidate{d, labels[i]});
    }
    if (kept.empty()) return false;
    WriteCandidates(kept, labelBuffer, n, distanceBuffer);
    return true;
}

COCRMultiTpl::~COCRMultiTpl() { Release(); }

void COCRMultiTpl::Release() { subTemplates_.clear(); }

bool COCRMultiTpl::Load(const char* path) {
    const size_t before = subTemplates_.size();
    bool ok = false;
    try {
        ok = LoadRecords(path);
    } catch (const std::bad_alloc&) {
        // Out of memory fails the load; the caller keeps running with its collected pages.
        ok = false;
    }
    if (!ok) {
        while (subTemplates_.size() > before) subTemplates_.pop_back();
    }
    return ok;
}

bool COCRMultiTpl::LoadRecords(const char* path) {
    if (path == nullptr) return false;
    std::unique_ptr<CFileOperator> file = CreateFileOperator("Cmm");
    if (!file || file->Open(path, false) != 0) return false;
    auto readKey = [&](std::string* key) { return ReadKeyRecord(*file, kMaxKeyLength, key); };
    const size_t first = subTemplates_.size();
    for (;;) {
        OcrMatrixPtr record = file->ReadRecord();
        // Reading stopped inside a record: the template was cut short.
        if (!record && !file->EndReached()) return false;
        if (!record || !IsTextRecord(record.get())) break;
        const std::string tag = TextOfRecord(record.get());
        if (tag.size() == kLabelLength) {
            if (subTemplates_.size() == first) return false;
            OcrMatrixPtr prototype = file->ReadRecord();
            if (!prototype) return false;  // a label whose prototype is missing
            OcrSubTemplate& current = subTemplates_.back();
            current.labels.push_back(tag);
            current.prototypes.push_back(std::move(prototype));
        } else if (EqualsIgnoreCaseAscii(tag, "TRS")) {
            if (subTemplates_.size() == first) return false;
            OcrMatrixPtr projection = file->ReadRecord();
            if (!projection) return false;
            subTemplates_.back().projection = std::move(projection);
        } else if (EqualsIgnoreCaseAscii(tag, "NEW")) {
            std::string normaliserKey, extractorKey, distanceKey;
            if (!readKey(&normaliserKey) || !readKey(&extractorKey) || !readKey(&distanceKey)) {
                return false;
            }
            OcrSubTemplate& s = subTemplates_.emplace_back();
            s.normaliser = CreateImageNormalizer(normaliserKey);
            s.extractor = CreateFeatureExtractor(extractorKey);
            s.measurer = CreateDistanceMeasurer(distanceKey);
            s.unitLength = EqualsIgnoreCaseAscii(distanceKey, "Cos");
        }
    }
    file->Close();
    return true;
}

bool COCRMultiTpl::Recognize(const unsigned char* ink, int width, int height, char* labels, int n,
                             double* distances) {
    if (n < 1 || labels == nullptr) return false;
    if (!HasInk(ink, width, height)) return false;
    labels[0] = '\0';
    const size_t limit = static_cast<size_t>(n);
    std::vector<char> labelBuffer(2 * limit + 1);
    std::vector<double> distanceBuffer(limit);
    // Sorted by distance; among equal distances the later insertion first, so the back is
    // the largest that was inserted first.
    std::vector<Candidate> merged;
    bool any = false;
    for (const OcrSubTemplate& s : subTemplates_) {
        std::fill(labelBuffer.begin(), labelBuffer.end(), '\0');
        if (!SearchSubTemplate(ink, width, height, labelBuffer.data(), n, distanceBuffer.data(),
                               s.prototypes, s.labels, s.projection.get(), s.unitLength,
                               s.normaliser.get(), s.extractor.get(), s.measurer.get())) {
            continue;
        }
        any = true;
        size_t results = 0;
        while (results < limit && labelBuffer[kLabelLength * results] != '\0') ++results;
        for (size_t i = 0; i < results; ++i) {
            const std::string label(labelBuffer.data() + kLabelLength * i, kLabelLength);
            auto same = std::find_if(merged.begin(), merged.end(),
                                     [&](const Candidate& c) { return c.label == label; });
            if (same != merged.end()) {
                distanceBuffer[i] = std::min(distanceBuffer[i], same->distance);
                merged.erase(same);
            }
        }
        for (size_t i = 0; i < results; ++i) {
            const double d = distanceBuffer[i];
            if (merged.size() >= limit) {
                if (!(merged.back().distance > d)) continue;
                merged.pop_back();
            }
            auto at = std::lower_bound(merged.begin(), merged.end(), d,
                                       [](const Candidate& c, double v) { return c.distance < v; });
            merged.insert(
                at, Candidate{d, std::string(labelBuffer.data() + kLabelLength * i, kLabelLength)});
        }
    }
    if (!any) return false;
    WriteCandidates(merged, labels, n, distances);
    return true;
}

}  // namespace orbisk
