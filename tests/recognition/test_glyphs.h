#pragma once

// Glyphs for recogniser tests and benchmarks: strokes on a 3 x 3 grid of nodes in a square
// box, chosen so that no glyph looks the same after a quarter or half turn and no glyph is a
// turned copy of another (F-, L-, P-like shapes). Also writes multi-template files of them.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "recognition/factories.h"
#include "recognition/file_operator.h"
#include "recognition/ocr_matrix.h"

namespace orbisk::test {

struct GlyphNode {
    int c;
    int r;
};

// The 12 edges between neighbouring nodes.
inline const std::vector<std::pair<GlyphNode, GlyphNode>>& GlyphEdges() {
    static const auto edges = [] {
        std::vector<std::pair<GlyphNode, GlyphNode>> e;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 2; ++c) e.push_back({{c, r}, {c + 1, r}});
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 2; ++r) e.push_back({{c, r}, {c, r + 1}});
        return e;
    }();
    return edges;
}

inline int GlyphEdgeIndex(GlyphNode a, GlyphNode b) {
    const auto& edges = GlyphEdges();
    for (size_t i = 0; i < edges.size(); ++i) {
        const auto& [p, q] = edges[i];
        if ((p.c == a.c && p.r == a.r && q.c == b.c && q.r == b.r) ||
            (p.c == b.c && p.r == b.r && q.c == a.c && q.r == a.r)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The edge set turned a quarter turn.
inline uint32_t TurnGlyph(uint32_t mask) {
    uint32_t out = 0;
    const auto& edges = GlyphEdges();
    for (size_t i = 0; i < edges.size(); ++i) {
        if (!(mask >> i & 1)) continue;
        const auto& [a, b] = edges[i];
        out |= 1u << GlyphEdgeIndex({a.r, 2 - a.c}, {b.r, 2 - b.c});
    }
    return out;
}

inline bool IsTouchingTree(uint32_t mask) {
    const auto& edges = GlyphEdges();
    bool used[3][3] = {};
    int nodes = 0;
    for (size_t i = 0; i < edges.size(); ++i) {
        if (!(mask >> i & 1)) continue;
        for (GlyphNode n : {edges[i].first, edges[i].second}) {
            if (!used[n.c][n.r]) ++nodes;
            used[n.c][n.r] = true;
        }
    }
    if (std::popcount(mask) != nodes - 1) return false;
    // A tree (no holes) that reaches all four sides of the box, so its box is square.
    bool left = false, right = false, top = false, bottom = false;
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            if (used[c][r]) {
                left |= c == 0;
                right |= c == 2;
                top |= r == 0;
                bottom |= r == 2;
            }
    if (!(left && right && top && bottom)) return false;
    // Connected: grow from one node.
    bool seen[3][3] = {};
    std::vector<GlyphNode> stack;
    for (int c = 0; c < 3 && stack.empty(); ++c)
        for (int r = 0; r < 3 && stack.empty(); ++r)
            if (used[c][r]) stack.push_back({c, r});
    seen[stack[0].c][stack[0].r] = true;
    int reached = 1;
    while (!stack.empty()) {
        const GlyphNode n = stack.back();
        stack.pop_back();
        for (size_t i = 0; i < edges.size(); ++i) {
            if (!(mask >> i & 1)) continue;
            auto [a, b] = edges[i];
            if (b.c == n.c && b.r == n.r) std::swap(a, b);
            if (a.c != n.c || a.r != n.r || seen[b.c][b.r]) continue;
            seen[b.c][b.r] = true;
            ++reached;
            stack.push_back(b);
        }
    }
    return reached == nodes;
}

// The glyph edge sets, in a fixed order.
inline const std::vector<uint32_t>& TestGlyphs() {
    static const auto glyphs = [] {
        std::vector<uint32_t> picked;
        for (uint32_t m = 1; m < (1u << 12); ++m) {
            const int k = std::popcount(m);
            if (k < 4 || k > 6 || !IsTouchingTree(m)) continue;
            const uint32_t r1 = TurnGlyph(m), r2 = TurnGlyph(r1), r3 = TurnGlyph(r2);
            if (m == r1 || m == r2 || m == r3) continue;
            if (m > r1 || m > r2 || m > r3) continue;  // one of each set of turned copies
            bool apart = true;
            for (uint32_t p : picked)
                for (uint32_t q : {m, r1, r2, r3})
                    if (std::popcount(p ^ q) < 2) apart = false;
            if (apart) picked.push_back(m);
        }
        return picked;
    }();
    return glyphs;
}

constexpr int kGlyphBox = 40;
constexpr int kGlyphStroke = 5;

// Draws glyph `mask` with its box's top-left corner at `origin` in `colour`.
inline void DrawGlyph(cv::Mat& image, uint32_t mask, cv::Point origin, const cv::Scalar& colour,
                      int box = kGlyphBox, int stroke = kGlyphStroke) {
    const int margin = stroke / 2 + 1;
    const double step = (box - 1 - 2 * margin) / 2.0;
    auto at = [&](GlyphNode n) {
        return cv::Point(origin.x + margin + static_cast<int>(n.c * step),
                         origin.y + margin + static_cast<int>(n.r * step));
    };
    const auto& edges = GlyphEdges();
    for (size_t i = 0; i < edges.size(); ++i) {
        if (mask >> i & 1) {
            cv::line(image, at(edges[i].first), at(edges[i].second), colour, stroke, cv::LINE_8);
        }
    }
}

// One glyph as recognition input: white ink on black, with a small black border.
inline cv::Mat GlyphImage(uint32_t mask, int box = kGlyphBox) {
    cv::Mat image = cv::Mat::zeros(box + 8, box + 8, CV_8UC1);
    DrawGlyph(image, mask, {4, 4}, cv::Scalar(255), box, box * kGlyphStroke / kGlyphBox);
    return image;
}

inline std::string GlyphLabel(size_t i) { return std::string{'g', static_cast<char>('A' + i)}; }

// The front end of the test templates (LN, the extractor of `extractorKey`, unit length)
// applied to an image. Null when the key names no extractor or it gives no feature.
inline OcrMatrixPtr GlyphFeature(const cv::Mat& ink, const std::string& extractorKey = "GRA") {
    OcrMatrixPtr image(CreateOcrMatrix(kOcrUInt8, ink.rows, ink.cols));
    const cv::Mat c = ink.clone();
    std::copy(c.data, c.data + c.total(), static_cast<uint8_t*>(image->data));
    OcrMatrixPtr normalised = CreateImageNormalizer("LN")->Normalize(image.get());
    const auto extractor = CreateFeatureExtractor(extractorKey);
    if (!extractor) return nullptr;
    OcrMatrixPtr feature = extractor->Extract(normalised.get(), 0);
    if (!feature) return nullptr;
    ConvertOcrMatrixToDouble(feature);
    NormalizeUnitLength(feature.get());
    return feature;
}

// A multi-template file of the first `count` glyphs ("NEW", LN, the extractor key, Cos).
// False on failure.
inline bool WriteGlyphTemplate(const std::string& path, size_t count,
                               const std::string& extractorKey = "GRA") {
    CCmmFileOperatorImp file;
    if (file.Open(path, true) != 0) return false;
    bool ok = file.WriteString("NEW") == 0 && file.WriteString("LN") == 0 &&
              file.WriteString(extractorKey.c_str()) == 0 && file.WriteString("Cos") == 0;
    const auto& glyphs = TestGlyphs();
    for (size_t i = 0; i < count && i < glyphs.size() && ok; ++i) {
        OcrMatrixPtr feature = GlyphFeature(GlyphImage(glyphs[i]), extractorKey);
        ok = feature && file.WriteString(GlyphLabel(i).c_str()) == 0 &&
             file.WriteRecord(feature.get()) == 0;
    }
    return file.Close() == 0 && ok;
}

// A white BGR page of glyphs in rows, black ink, starting clear of the trimmed border.
inline cv::Mat GlyphPage(int width, int height, size_t count) {
    cv::Mat page(height, width, CV_8UC3, cv::Scalar(255, 255, 255));
    const auto& glyphs = TestGlyphs();
    const int pitch = kGlyphBox + 30;
    size_t i = 0;
    for (int y = 60; y + kGlyphBox + 30 < height; y += pitch) {
        for (int x = 60; x + kGlyphBox + 30 < width; x += pitch) {
            DrawGlyph(page, glyphs[i % count], {x, y}, cv::Scalar(0, 0, 0));
            ++i;
        }
    }
    return page;
}

}  // namespace orbisk::test
