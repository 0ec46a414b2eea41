#include <array>
#include <utility>
#include <vector>

#include "recognition/cell_grid.h"
#include "recognition/feature_extractor.h"

namespace orbisk {
namespace {

constexpr int kTypes = 4;

// RunLength directions on either side of a pixel for the four line types: horizontal,
// vertical, falling diagonal, rising diagonal.
constexpr int kSides[kTypes][2] = {{5, 1}, {7, 3}, {6, 2}, {8, 4}};

}  // namespace

CCICLPFFeatureExtractorImp::CCICLPFFeatureExtractorImp()
    : processor_(std::make_unique<CImageProcessor>()) {}

CCICLPFFeatureExtractorImp::~CCICLPFFeatureExtractorImp() = default;

OcrMatrixPtr CCICLPFFeatureExtractorImp::Extract(const OcrMatrix* image, int) {
    if (!IsGridImage(image, cellRows_, cellCols_)) return nullptr;
    const int rows = image->rows;
    const int cols = image->cols;

    // The skeleton, thinned with a background border so that the image's own edge pixels
    // count as interior.
    OcrMatrixPtr padded(CreateOcrMatrix(kOcrUInt8, rows + 2, cols + 2));
    if (!padded || !PadOcrMatrix(image, 0, 0, cols, rows, padded.get(), 1, 1)) return nullptr;
    const OcrMatrixPtr thin = processor_->Thin(padded.get());
    if (!thin) return nullptr;
    const OcrMatrixPtr skeleton = processor_->RemoveRedundantPixels(thin.get());
    if (!skeleton) return nullptr;
    const auto* s = static_cast<const uint8_t*>(skeleton->data);

    // One map per line type, flagged where the skeleton follows a long line of that type.
    std::vector<std::vector<uint8_t>> maps(kTypes,
                                           std::vector<uint8_t>(static_cast<size_t>(rows) * cols));
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < cols; ++x) {
            if (s[static_cast<size_t>(y + 1) * (cols + 2) + x + 1] == 0) continue;
            // Lengths on the input image, ranked longest first; ties keep the lower type.
            std::array<int, kTypes> order = {0, 1, 2, 3};
            std::array<int, kTypes> length{};
            for (int t = 0; t < kTypes; ++t) {
                length[t] = processor_->RunLength(image, x, y, kSides[t][0]) +
                            processor_->RunLength(image, x, y, kSides[t][1]) + 1;
            }
            // Insertion: a type moves up only past strictly shorter ones.
            for (int i = 1; i < kTypes; ++i) {
                for (int j = i; j > 0 && length[order[j]] > length[order[j - 1]]; --j) {
                    std::swap(order[j], order[j - 1]);
                }
            }
            const int longest = length[order[0]];
            if (longest < minLine_) continue;
            const size_t at = static_cast<size_t>(y) * cols + x;
            maps[order[0]][at] = 1;
            const int second = length[order[1]];
            if (second >= minLine_ && second >= longest - 1) maps[order[1]][at] = 1;
        }
    }

    OcrMatrixPtr out(CreateOcrMatrix(kOcrInt32, kTypes, cellRows_ * cellCols_));
    if (!out) return nullptr;
    auto* counts = static_cast<int32_t*>(out->data);
    for (int t = 0; t < kTypes; ++t) {
        const std::vector<uint8_t>& map = maps[t];
        CountPerCell(
            rows, cols, cellRows_, cellCols_, [&](size_t i) { return map[i] != 0; },
            counts + t * cellRows_ * cellCols_);
    }
    return out;
}

}  // namespace orbisk
