#include "documents/print_layout.h"

#include <algorithm>
#include <cstdint>

namespace orbisk {

bool PrintsFittedToPage(int printMode, int currentCamera) {
    return printMode != 0 || currentCamera == 1;
}

IntRect PrintTargetRect(const PrintPlacement& p) {
    if (p.imageWidth <= 0 || p.imageHeight <= 0 || p.pageWidth <= 0 || p.pageHeight <= 0) {
        return {};
    }
    std::int64_t width = 0;
    std::int64_t height = 0;
    if (p.fitToPage) {
        // Single precision, so a page an exact multiple of the image is filled exactly.
        const float f =
            std::min(static_cast<float>(p.pageWidth) / static_cast<float>(p.imageWidth),
                     static_cast<float>(p.pageHeight) / static_cast<float>(p.imageHeight));
        width = static_cast<std::int64_t>(static_cast<float>(p.imageWidth) * f);
        height = static_cast<std::int64_t>(static_cast<float>(p.imageHeight) * f);
    } else {
        if (p.deviceDpiX < 1 || p.deviceDpiY < 1 || p.imageDpiX < 1 || p.imageDpiY < 1) {
            return {};
        }
        width = std::int64_t{p.imageWidth} * p.deviceDpiX / p.imageDpiX;
        height = std::int64_t{p.imageHeight} * p.deviceDpiY / p.imageDpiY;
    }
    // A device rectangle larger than int could hold prints nothing sensible either.
    constexpr std::int64_t kLargest = 1 << 28;
    if (width < 1 || height < 1 || width > kLargest || height > kLargest) {
        return {};
    }
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    const int x = (p.pageWidth - w) / 2;
    const int y = (p.pageHeight - h) / 2;
    return {x, y, x + w, y + h};
}

}  // namespace orbisk
