#pragma once

#include <cstdint>

#include "recognition/ocr_matrix.h"

namespace orbisk {

// An 8-bit image in which every cell of the grid owns at least one pixel.
inline bool IsGridImage(const OcrMatrix* image, int gridRows, int gridCols) {
    return image != nullptr && image->type == kOcrUInt8 && image->data != nullptr &&
           image->rows >= gridRows && image->cols >= gridCols;
}

// For every cell of a gridRows x gridCols grid over a rows x cols map, in row-major order,
// the number of positions (offset y * cols + x) where `marked` holds. Cell (i, j) covers
// rows i * (rows / gridRows) ... and columns j * (cols / gridCols) ...; rows and columns
// past the last whole cell count for nothing.
template <typename Marked>
void CountPerCell(int rows, int cols, int gridRows, int gridCols, Marked marked, int32_t* out) {
    const int ch = rows / gridRows;
    const int cw = cols / gridCols;
    for (int i = 0; i < gridRows; ++i) {
        for (int j = 0; j < gridCols; ++j) {
            int32_t count = 0;
            for (int y = i * ch; y < (i + 1) * ch; ++y) {
                for (int x = j * cw; x < (j + 1) * cw; ++x) {
                    if (marked(static_cast<size_t>(y) * cols + x)) ++count;
                }
            }
            out[i * gridCols + j] = count;
        }
    }
}

}  // namespace orbisk
