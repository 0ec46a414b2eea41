#include "recognition/image_processor.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace orbisk {
namespace {

struct Step {
    int dx;
    int dy;
};

struct Pixel {
    int x;
    int y;
};

// RunLength directions 1-8 (index 0 unused).
constexpr Step kDirections[9] = {{0, 0},  {1, 0},   {1, 1},  {0, 1}, {-1, 1},
                                 {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
// The thinning's neighbours P2 ... P9, clockwise from up.
constexpr Step kNeighbours[8] = {{0, -1}, {1, -1}, {1, 0},  {1, 1},
                                 {0, 1},  {-1, 1}, {-1, 0}, {-1, -1}};

bool Inside(const OcrMatrix* m, int x, int y) {
    return m != nullptr && m->type == kOcrUInt8 && m->data != nullptr && x >= 0 && y >= 0 &&
           x < m->cols && y < m->rows;
}

uint8_t& At(const OcrMatrix* m, int x, int y) {
    return static_cast<uint8_t*>(m->data)[static_cast<size_t>(y) * m->cols + x];
}

bool Ink(const OcrMatrix* m, int x, int y) { return Inside(m, x, y) && At(m, x, y) != 0; }

bool Interior(const OcrMatrix* m, int x, int y) {
    return Inside(m, x, y) && x > 0 && y > 0 && x < m->cols - 1 && y < m->rows - 1;
}

// Neighbour P(k), k = 2 ... 9.
bool P(const OcrMatrix* m, int x, int y, int k) {
    const Step s = kNeighbours[k - 2];
    return Ink(m, x + s.dx, y + s.dy);
}

// The thinning's test of the input's diagonal neighbours; `first` picks the subiteration.
bool DiagonalsAllowRemoval(const OcrMatrix* input, int x, int y, bool first) {
    const bool p3 = P(input, x, y, 3), p5 = P(input, x, y, 5);
    const bool p7 = P(input, x, y, 7), p9 = P(input, x, y, 9);
    if (first) return !(p3 && p5 && p7) && !(p5 && p7 && p9);
    return !(p3 && p5 && p9) && !(p3 && p7 && p9);
}

}  // namespace

int CImageProcessor::RunLength(const OcrMatrix* image, int x, int y, int direction) const {
    if (direction < 1 || direction > 8) return -1;
    if (!Inside(image, x, y)) return 0;
    const Step s = kDirections[direction];
    const auto* pixels = static_cast<const uint8_t*>(image->data);
    int count = 0;
    for (int cx = x + s.dx, cy = y + s.dy;
         cx >= 0 && cy >= 0 && cx < image->cols && cy < image->rows &&
         pixels[static_cast<size_t>(cy) * image->cols + cx] != 0;
         cx += s.dx, cy += s.dy) {
        ++count;
    }
    return count;
}

int CImageProcessor::LongestLine(const OcrMatrix* image, int x, int y) const {
    int longest = 0;
    for (int i = 1; i <= 4; ++i) {
        longest = std::max(longest, RunLength(image, x, y, i) + RunLength(image, x, y, i + 4));
    }
    return longest;
}

int CImageProcessor::NeighbourCount(const OcrMatrix* image, int x, int y) const {
    int count = 0;
    for (int k = 2; k <= 9; ++k) count += P(image, x, y, k) ? 1 : 0;
    return count;
}

int CImageProcessor::Transitions(const OcrMatrix* image, int x, int y) const {
    if (!Interior(image, x, y)) return -1;
    int count = 0;
    for (int k = 2; k <= 9; ++k) {
        const int next = k == 9 ? 2 : k + 1;
        if (!P(image, x, y, k) && P(image, x, y, next)) ++count;
    }
    return count;
}

bool CImageProcessor::IsRedundantPixel(const OcrMatrix* image, int x, int y) const {
    if (!Interior(image, x, y)) return false;
    const bool n = Ink(image, x, y - 1), ne = Ink(image, x + 1, y - 1);
    const bool e = Ink(image, x + 1, y), se = Ink(image, x + 1, y + 1);
    const bool s = Ink(image, x, y + 1), sw = Ink(image, x - 1, y + 1);
    const bool w = Ink(image, x - 1, y), nw = Ink(image, x - 1, y - 1);
    // The line through the pixel against the line through its neighbour (nx, ny).
    auto shorter = [&](int nx, int ny) {
        return LongestLine(image, x, y) < LongestLine(image, nx, ny);
    };
    if (!w) {
        if (!nw && !n && !ne && !e && s) return shorter(x, y + 1);
        if (!sw && !s && !se && !e && n) return shorter(x, y - 1);
    }
    if (n) return false;
    if (!nw && !w && !sw && !s && e) return shorter(x + 1, y);
    if (!ne && !e && !se && !s && w) return shorter(x - 1, y);
    return false;
}

OcrMatrixPtr CImageProcessor::RemoveRedundantPixels(const OcrMatrix* image) const {
    OcrMatrixPtr out(CloneOcrMatrix(image));
    if (!out || !Inside(image, 0, 0)) return out;
    for (int y = 1; y < image->rows - 1; ++y) {
        for (int x = 1; x < image->cols - 1; ++x) {
            if (Ink(image, x, y) && IsRedundantPixel(image, x, y)) At(out.get(), x, y) = 0;
        }
    }
    return out;
}

OcrMatrixPtr CImageProcessor::Thin(const OcrMatrix* image) const {
    OcrMatrixPtr out(CloneOcrMatrix(image));
    if (!out || !Inside(image, 0, 0)) return out;
    OcrMatrix* result = out.get();
    std::vector<Pixel> marked;
    // One subiteration: mark on the unchanged result, then clear. Returns the pixels cleared.
    auto subiteration = [&](bool first) {
        marked.clear();
        for (int y = 1; y < result->rows - 1; ++y) {
            for (int x = 1; x < result->cols - 1; ++x) {
                if (!Ink(result, x, y)) continue;
                const int neighbours = NeighbourCount(result, x, y);
                if (neighbours < 3 || neighbours > 6 || Transitions(result, x, y) != 1) continue;
                // Judged on the input, not on the partly thinned result: stored templates
                // were trained on this thinning.
                if (DiagonalsAllowRemoval(image, x, y, first)) marked.push_back({x, y});
            }
        }
        for (const Pixel& p : marked) At(result, p.x, p.y) = 0;
        return marked.size();
    };
    for (;;) {
        subiteration(true);
        // Clearings of the first subiteration alone do not ask for another pass.
        if (subiteration(false) == 0) break;
    }
    return out;
}

}  // namespace orbisk
