#include "documents/dialogs/merge_layout.h"

#include <algorithm>

namespace orbisk {
namespace {

constexpr int kLongSide = 320;
constexpr int kMinTileWidth = 360;
constexpr int kMargin = 7;

}  // namespace

IntRect MergeTileRect(int imageWidth, int imageHeight) {
    const int shortSide = static_cast<int>(kLongSide * 0.75);
    const bool landscape = imageWidth > imageHeight;
    const int width = landscape ? kLongSide : shortSide;
    const int height = landscape ? shortSide : kLongSide;
    return {0, 0, std::max(width, kMinTileWidth), height};
}

MergeLayout LayoutMergeTiles(bool stacked, int w, int h, int b) {
    constexpr int m = kMargin;
    MergeLayout layout;
    layout.first = {m, b + 2 * m, m + w, b + 2 * m + h};
    if (stacked) {
        layout.second = {m, b + 3 * m + h, m + w, b + 3 * m + 2 * h};
        layout.clientWidth = w + 2 * m;
        layout.clientHeight = b + 2 * h + 4 * m;
    } else {
        layout.second = {2 * m + w, b + 2 * m, 2 * m + 2 * w, b + 2 * m + h};
        layout.clientWidth = 2 * w + 3 * m;
        layout.clientHeight = b + h + 3 * m;
    }
    return layout;
}

int TileForNewImage(bool firstFilled, bool secondFilled, int& next) {
    if (!firstFilled || !secondFilled) {
        const int tile = firstFilled ? 1 : 0;
        next = 1 - tile;
        return tile;
    }
    const int tile = next == 1 ? 1 : 0;
    next = 1 - tile;
    return tile;
}

}  // namespace orbisk
