#include <cstdint>
#include <utility>
#include <vector>

#include "recognition/ascii_key.h"
#include "recognition/feature_extractor.h"
#include "recognition/fft.h"

namespace orbisk {
namespace {

// The smallest power of two at least n; 0 past what an int holds.
int PowerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n) {
        if (p > (1 << 29)) return 0;
        p *= 2;
    }
    return p;
}

}  // namespace

CHVHistogramsFeatureExtractorImp::CHVHistogramsFeatureExtractorImp(std::string key)
    : key_(std::move(key)) {}

OcrMatrixPtr CHVHistogramsFeatureExtractorImp::Extract(const OcrMatrix* image, int) {
    if (image == nullptr || image->type != kOcrUInt8 || image->data == nullptr) return nullptr;
    const int rows = image->rows;
    const int cols = image->cols;
    const int r = PowerOfTwoAtLeast(rows);
    const int c = PowerOfTwoAtLeast(cols);
    if (r == 0 || c == 0 || r > (1 << 29) - c) return nullptr;

    // Column sums, then row sums, each zero-padded and transformed.
    std::vector<int64_t> columnSums(static_cast<size_t>(cols));
    std::vector<CComplex<float>> columns(static_cast<size_t>(c));
    std::vector<CComplex<float>> lines(static_cast<size_t>(r));
    const auto* pixels = static_cast<const uint8_t*>(image->data);
    for (int y = 0; y < rows; ++y) {
        const uint8_t* row = pixels + static_cast<size_t>(y) * cols;
        int64_t sum = 0;
        for (int x = 0; x < cols; ++x) {
            columnSums[x] += row[x];
            sum += row[x];
        }
        lines[y].re = static_cast<float>(sum);
    }
    for (int x = 0; x < cols; ++x) columns[x].re = static_cast<float>(columnSums[x]);
    if (!FFTRadix2(columns.data(), c) || !FFTRadix2(lines.data(), r)) return nullptr;

    const bool complexParts =
        EqualsIgnoreCaseAscii(key_, "HVH") || EqualsIgnoreCaseAscii(key_, "HVH0");
    OcrMatrixPtr out(CreateOcrMatrix(kOcrFloat, complexParts ? 2 : 1, c + r));
    if (!out) return nullptr;
    auto* f = static_cast<float*>(out->data);
    int i = 0;
    for (const auto* spectrum : {&columns, &lines}) {
        for (const CComplex<float>& v : *spectrum) {
            if (complexParts) {
                f[i] = v.re;
                f[c + r + i] = v.im;
            } else {
                f[i] = v.Magnitude();
            }
            ++i;
        }
    }
    return out;
}

}  // namespace orbisk
