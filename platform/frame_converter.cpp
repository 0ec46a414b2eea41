#include "platform/frame_converter.h"

#include <opencv2/imgproc.hpp>

namespace orbisk::platform {

bool FrameConverter::Convert(uint32_t fourcc, int width, int height, const uint8_t* data,
                             size_t bytesUsed, int bytesPerLine, FrameSample& out) {
    if (data == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    if (fourcc == kFourCcYuyv) {
        const size_t pitch =
            bytesPerLine > 0 ? static_cast<size_t>(bytesPerLine) : static_cast<size_t>(width) * 2;
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

void BgrToYuyv(const cv::Mat& bgr, std::vector<uint8_t>& out) {
    const int w = bgr.cols & ~1;
    out.resize(static_cast<size_t>(bgr.cols) * 2 * bgr.rows);
    for (int y = 0; y < bgr.rows; ++y) {
        const uint8_t* p = bgr.ptr(y);
        uint8_t* o = out.data() + static_cast<size_t>(y) * bgr.cols * 2;
        for (int x = 0; x < w; x += 2, p += 6, o += 4) {
            int yy[2], u = 0, v = 0;
            for (int k = 0; k < 2; ++k) {
                const int b = p[3 * k], g = p[3 * k + 1], r = p[3 * k + 2];
                yy[k] = ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16;
                u += ((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128;
                v += ((112 * r - 94 * g - 18 * b + 128) >> 8) + 128;
            }
            o[0] = static_cast<uint8_t>(yy[0]);
            o[1] = static_cast<uint8_t>(u / 2);
            o[2] = static_cast<uint8_t>(yy[1]);
            o[3] = static_cast<uint8_t>(v / 2);
        }
    }
}

}  // namespace orbisk::platform
