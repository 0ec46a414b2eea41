#include "video/frame_processing.h"

#include "imaging/document_crop.h"
#include "imaging/frame_pool.h"
#include "video/frame_store.h"

#include <algorithm>
#include <cstdint>

namespace orbisk {

int RoundMargin(int margin) {
    if (margin < 0) {
        return -1;
    }
    // 4 x trunc(m / 4 + 0.5) in integers; 64 bits so that no margin overflows.
    return static_cast<int>(std::min<int64_t>(4 * ((int64_t{margin} + 2) / 4), INT32_MAX / 4 * 4));
}

TrimMargins RoundMargins(const TrimMargins& m) {
    return {RoundMargin(m.left), RoundMargin(m.top), RoundMargin(m.right), RoundMargin(m.bottom)};
}

IntRect ApplyTrimMargins(const IntRect& rect, const TrimMargins& m) {
    if (m.left < 0 || m.top < 0 || m.right < 0 || m.bottom < 0) {
        return rect;
    }
    const int64_t left = int64_t{rect.left} + m.left;
    const int64_t top = int64_t{rect.top} + m.top;
    const int64_t right = int64_t{rect.right} - m.right;
    const int64_t bottom = int64_t{rect.bottom} - m.bottom;
    if (left >= right || top >= bottom) {
        return rect;
    }
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
            static_cast<int>(bottom)};
}

int NormaliseQuarterTurn(int degrees) { return CDPrgb24::NormaliseRotation(degrees); }

ViewTurn TurnBetween(int from, int to) {
    switch (NormaliseQuarterTurn(to - from)) {
        case 90:
            return ViewTurn::kRight;
        case 180:
            return ViewTurn::kHalf;
        case 270:
            return ViewTurn::kLeft;
        default:
            return ViewTurn::kNone;
    }
}

cv::Rect ClipCropRect(const IntRect& crop, cv::Size frame) {
    const int left = std::max(0, std::min(crop.left, crop.right));
    const int top = std::max(0, std::min(crop.top, crop.bottom));
    const int right = std::min(frame.width, std::max(crop.left, crop.right));
    const int bottom = std::min(frame.height, std::max(crop.top, crop.bottom));
    if (left >= right || top >= bottom) {
        return {0, 0, frame.width, frame.height};
    }
    return {left, top, right - left, bottom - top};
}

RotatedBox MirrorBoxRows(const RotatedBox& box, int rows) {
    RotatedBox out = box;
    out.cy = static_cast<float>(rows - 1) - box.cy;
    out.angle = -box.angle;
    return out;
}

bool TrimAndTurn(const CDPrgb24& input, const IntRect& rect, int rotation, CDPrgb24& work,
                 CDPrgb24& output) {
    int w = 0, h = 0;
    if (!input.GetSize(w, h)) {
        return false;
    }
    auto* bytes = const_cast<CDPrgb24&>(input).GetData();
    if (rect == IntRect{0, 0, w, h}) {
        return output.SetData(bytes, w, h, rotation);
    }
    // The store runs bottom-up: picture row `bottom - 1` is stored row
    // h - bottom.
    const std::ptrdiff_t step = static_cast<std::ptrdiff_t>(w) * 3;
    const uint8_t* bottomRow =
        bytes + (h - rect.bottom) * step + static_cast<std::ptrdiff_t>(rect.left) * 3;
    if (rotation == 0) {
        return output.SetDataRows(bottomRow, step, rect.Width(), rect.Height());
    }
    return work.SetDataRows(bottomRow, step, rect.Width(), rect.Height()) &&
           output.SetData(work.GetData(), rect.Width(), rect.Height(), rotation);
}

void StoreToPicture(const CDPrgb24& store, cv::Mat& picture) {
    int w = 0, h = 0;
    if (!store.GetSize(w, h)) {
        picture.release();
        return;
    }
    // A buffer someone else still reads is left to them.
    if (picture.u && CV_XADD(&picture.u->refcount, 0) > 1) {
        picture = cv::Mat();
    }
    picture.allocator = FramePool();
    const cv::Mat rows(h, w, CV_8UC3, const_cast<CDPrgb24&>(store).GetData());
    cv::flip(rows, picture, 0);
}

std::vector<cv::Mat> CutOutDocuments(const cv::Mat& frame, const std::vector<RotatedBox>& boxes,
                                     bool autoDetect, const std::optional<IntRect>& cropRect) {
    std::vector<cv::Mat> out;
    if (frame.empty()) {
        return out;
    }
    if (autoDetect && !boxes.empty()) {
        for (const RotatedBox& box : boxes) {
            // The detector's box for "no document" is the whole frame; a
            // warp of it would shift the picture by the mirrored half row.
            if (box.angle == 0 && box.width == static_cast<float>(frame.cols) &&
                box.height == static_cast<float>(frame.rows)) {
                out.push_back(PooledClone(frame));
                continue;
            }
            cv::Mat cut = ExtractRotatedBox(frame, MirrorBoxRows(box, frame.rows));
            if (!cut.empty()) {
                out.push_back(std::move(cut));
            }
        }
        return out;
    }
    if (cropRect) {
        out.push_back(PooledClone(frame(ClipCropRect(*cropRect, frame.size()))));
    } else {
        out.push_back(PooledClone(frame));
    }
    return out;
}

}  // namespace orbisk
