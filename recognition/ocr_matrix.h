#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orbisk {

// Element type codes of a recogniser matrix, as stored in template files.
enum OcrMatrixType : int32_t {
    kOcrUInt8 = 1,
    kOcrInt32 = 2,
    kOcrInt32Alt = 3,  // the same as kOcrInt32 everywhere
    kOcrFloat = 4,
    kOcrDouble = 5,
};

// The recogniser's matrix: rows x cols elements of one type, row-major. Created and freed
// only through the functions below. A type outside 1-5 carries no elements.
struct OcrMatrix {
    int32_t type = 0;
    void* data = nullptr;
    int32_t rows = 0;
    int32_t cols = 0;
};

// Bytes per element of `type`: 1, 4 or 8, and 0 for a type outside 1-5.
size_t OcrElementSize(int32_t type);
// rows x cols in 64 bits (0 for a null matrix).
int64_t OcrElementCount(const OcrMatrix* m);
// Element i (row-major) read as a double in the matrix's own type; 0 for other types.
double OcrElementAsDouble(const OcrMatrix* m, int64_t i);

// All elements zero. Null for negative sizes or when the memory cannot be had.
OcrMatrix* CreateOcrMatrix(int type, int rows, int cols);
void FreeOcrMatrix(OcrMatrix** m);
OcrMatrix* CloneOcrMatrix(const OcrMatrix* m);
// Replaces *m by a type-5 copy unless it already is type 5. When the copy cannot be made,
// *m is left as it was (callers check the type).
void ConvertOcrMatrixToDouble(OcrMatrix** m);
bool ReshapeOcrMatrix(OcrMatrix** m, int rows);
OcrMatrix* MultiplyOcrMatrix(const OcrMatrix* a, const OcrMatrix* b);
bool NormalizeUnitLength(OcrMatrix* m);
bool PadOcrMatrix(const OcrMatrix* src, int srcX, int srcY, int width, int height, OcrMatrix* dst,
                  int dstX, int dstY);

struct OcrMatrixDeleter {
    void operator()(OcrMatrix* m) const { FreeOcrMatrix(&m); }
};
// Owning handle, so that every path frees what it made.
using OcrMatrixPtr = std::unique_ptr<OcrMatrix, OcrMatrixDeleter>;

// Helpers over the handle: the same operations, keeping ownership in the handle.
void ConvertOcrMatrixToDouble(OcrMatrixPtr& m);

}  // namespace orbisk
