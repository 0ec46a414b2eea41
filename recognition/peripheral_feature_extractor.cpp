#include <vector>

#include "recognition/cell_grid.h"
#include "recognition/feature_extractor.h"

namespace orbisk {
namespace {

struct Distances {
    int32_t layer1;
    int32_t layer2;
};

// Along one line in reading order: background up to the first ink (the whole length when
// there is none), and background between the end of the first run and the next ink or the
// far end (0 without ink, or when the first run reaches the far end).
Distances Peripheral(const std::vector<uint8_t>& line, int n) {
    int i = 0;
    while (i < n && line[i] == 0) ++i;
    const int first = i;
    if (first == n) return {n, 0};
    while (i < n && line[i] != 0) ++i;
    const int end = i;
    while (i < n && line[i] == 0) ++i;
    return {first, i - end};
}

}  // namespace

OcrMatrixPtr CPeripheralFeatureExtractorImp::Extract(const OcrMatrix* image, int) {
    if (!IsGridImage(image, cellRows_, cellCols_)) return nullptr;
    const int rows = image->rows;
    const int cols = image->cols;
    const int bandRows = rows / cellRows_;
    const int bandCols = cols / cellCols_;
    // Per layer: left bands, bottom bands, right bands, top bands.
    const int left = 0, bottom = cellRows_, right = cellRows_ + cellCols_,
              top = 2 * cellRows_ + cellCols_;
    const int perLayer = 2 * (cellRows_ + cellCols_);
    OcrMatrixPtr out(CreateOcrMatrix(kOcrInt32, 2, perLayer));
    if (!out) return nullptr;
    auto* sums = static_cast<int32_t*>(out->data);
    const auto* pixels = static_cast<const uint8_t*>(image->data);
    auto add = [&](int at, Distances d) {
        sums[at] += d.layer1;
        sums[perLayer + at] += d.layer2;
    };

    std::vector<uint8_t> line(static_cast<size_t>(rows > cols ? rows : cols));
    // Rows past the last whole band count for nothing, as in the cell grids.
    for (int y = 0; y < bandRows * cellRows_; ++y) {
        const uint8_t* row = pixels + static_cast<size_t>(y) * cols;
        const int band = y / bandRows;
        for (int x = 0; x < cols; ++x) line[x] = row[x];
        add(left + band, Peripheral(line, cols));
        for (int x = 0; x < cols; ++x) line[x] = row[cols - 1 - x];
        add(right + band, Peripheral(line, cols));
    }
    for (int x = 0; x < bandCols * cellCols_; ++x) {
        const int band = x / bandCols;
        for (int y = 0; y < rows; ++y) line[y] = pixels[static_cast<size_t>(y) * cols + x];
        add(top + band, Peripheral(line, rows));
        for (int y = 0; y < rows; ++y) {
            line[y] = pixels[static_cast<size_t>(rows - 1 - y) * cols + x];
        }
        add(bottom + band, Peripheral(line, rows));
    }
    return out;
}

}  // namespace orbisk
