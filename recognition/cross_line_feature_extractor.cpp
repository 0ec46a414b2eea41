#include <algorithm>
#include <cstdio>
#include <exception>
#include <vector>

#include "recognition/cell_grid.h"
#include "recognition/feature_extractor.h"

namespace orbisk {
namespace {

constexpr int kGrid = 8;
constexpr int kDirections = 4;

// Marks (0) the long runs of one line of pixels (offsets into the image, in reading order).
// Starts are sought only before the last `run` pixels, and a run that reaches the line's
// end stops one short of it: the counts of stored templates were trained so.
void MarkLongRuns(const uint8_t* pixels, const std::vector<size_t>& line, int run, int32_t* marks) {
    const int n = static_cast<int>(line.size());
    int x = 0;
    while (x < n - run) {
        while (x < n - run && pixels[line[x]] == 0) ++x;
        if (x >= n - run) return;
        const int start = x++;
        if (x >= n - run) return;
        while (pixels[line[x]] != 0) {
            if (++x == n) {
                x = n - 1;
                break;
            }
        }
        if (x - start >= run) {
            for (int i = start; i < x; ++i) marks[line[i]] = 0;
        }
    }
}

// The lines of one direction, each as pixel offsets in reading order.
std::vector<std::vector<size_t>> Lines(int direction, int rows, int cols) {
    std::vector<std::vector<size_t>> lines;
    auto offset = [cols](int x, int y) { return static_cast<size_t>(y) * cols + x; };
    switch (direction) {
        case 0:  // rows, left to right
            for (int y = 0; y < rows; ++y) {
                auto& l = lines.emplace_back();
                for (int x = 0; x < cols; ++x) l.push_back(offset(x, y));
            }
            break;
        case 1:  // columns, top down
            for (int x = 0; x < cols; ++x) {
                auto& l = lines.emplace_back();
                for (int y = 0; y < rows; ++y) l.push_back(offset(x, y));
            }
            break;
        case 2:  // rising diagonals, from the lower left to the upper right
            for (int d = 0; d <= rows + cols - 2; ++d) {
                auto& l = lines.emplace_back();
                for (int y = d < rows ? d : rows - 1, x = d - y; y >= 0 && x < cols; --y, ++x) {
                    l.push_back(offset(x, y));
                }
            }
            break;
        default:  // falling diagonals, from the upper left to the lower right
            for (int c = -(rows - 1); c <= cols - 1; ++c) {
                auto& l = lines.emplace_back();
                for (int x = c > 0 ? c : 0, y = x - c; y < rows && x < cols; ++y, ++x) {
                    l.push_back(offset(x, y));
                }
            }
            break;
    }
    return lines;
}

}  // namespace

OcrMatrixPtr CCrossLineFeatureExtractor::Extract(const OcrMatrix* image, int) {
    if (image == nullptr) {
        std::fputs("Input parameter pCharacter is null.\n", stdout);
        return nullptr;
    }
    if (!IsGridImage(image, kGrid, kGrid)) return nullptr;
    const int rows = image->rows;
    const int cols = image->cols;
    const int run = minRun_ * lineScale_;

    std::vector<int32_t> marks;
    OcrMatrixPtr out;
    try {
        marks.resize(static_cast<size_t>(OcrElementCount(image)));
    } catch (const std::exception&) {
        // Without the mark array there is nothing to count: no feature.
        std::fputs("create ppixels error.\n", stdout);
        return nullptr;
    }
    out.reset(CreateOcrMatrix(kOcrInt32, kGrid * kGrid, kDirections));
    if (!out) return nullptr;
    const auto* pixels = static_cast<const uint8_t*>(image->data);
    auto* counts = static_cast<int32_t*>(out->data);
    for (int direction = 0; direction < kDirections; ++direction) {
        std::fill(marks.begin(), marks.end(), -1);
        for (const std::vector<size_t>& line : Lines(direction, rows, cols)) {
            MarkLongRuns(pixels, line, run, marks.data());
        }
        CountPerCell(
            rows, cols, kGrid, kGrid, [&](size_t i) { return marks[i] == 0; },
            counts + direction * kGrid * kGrid);
    }
    return out;
}

}  // namespace orbisk
