#include "platform/frame_converter.h"

#include <opencv2/imgproc.hpp>

namespace orbisk::platform {

bool FrameConverter::Convert(uint32_t fourcc, int width, int height, const uint8_t* data,
                             size_t bytesUsed, int bytesPerLine, FrameSample& out) {
    if (data == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    if (fourcc == kFourCcYuyv) {
        const size_t pitch = bytesPerLine > 0 ? static_cast<size_t>(bytesPerLine)
                                              : static_cast<size_t>(width) * 2;
        if (pitch < static_cast<size_t>(width) * 2 ||
            bytesUsed < pitch * static_cast<size_t>(height - 1) + static_cast<size_t>(width) * 2) {
            return false;
        }
        const cv::Mat yuyv(height, width, CV_8UC2, const_cast<uint8_t*>(data), pitch);
        bgr_.create(height, width, CV_8UC3);
        cv::cvtColor(yuyv, bgr_, cv::COLOR_YUV2BGR_YUYV);
    } else if (fourcc == kFourCcMjpg) {
        if (!mjpeg_.Decode(data, bytesUsed, bgr_)) {
            return false;
        }
    } else {
        return false;
    }
    out.data = bgr_.data;
    out.width = bgr_.cols;
    out.height = -bgr_.rows;
    out.stride = static_cast<int>(bgr_.step);
    out.length = bgr_.step * static_cast<size_t>(bgr_.rows);
    return true;
}

}  // namespace orbisk::platform
