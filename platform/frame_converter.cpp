#include "platform/frame_converter.h"

#include <QtGlobal>
#include <opencv2/imgproc.hpp>

#include <cstdio>
#include <exception>

namespace orbisk::platform {

namespace {

// A camera that sends nothing but bad frames must not flood the log.
constexpr std::chrono::seconds kDropReportInterval{10};

}  // namespace

bool FrameConverter::Convert(uint32_t fourcc, int width, int height, const uint8_t* data,
                             size_t bytesUsed, int bytesPerLine, FrameSample& out) noexcept {
    problem_[0] = '\0';
    bool ok = false;
    try {
        ok = ConvertFrame(fourcc, width, height, data, bytesUsed, bytesPerLine);
    } catch (const std::exception& e) {
        std::snprintf(problem_, sizeof(problem_), "%s", e.what());
    } catch (...) {
        std::snprintf(problem_, sizeof(problem_), "unknown error");
    }
    if (!ok) {
        ReportDrop(problem_);
        return false;
    }
    out.data = bgr_.data;
    out.width = bgr_.cols;
    out.height = -bgr_.rows;
    out.stride = static_cast<int>(bgr_.step);
    out.length = bgr_.step * static_cast<size_t>(bgr_.rows);
    return true;
}

bool FrameConverter::ConvertFrame(uint32_t fourcc, int width, int height, const uint8_t* data,
                                  size_t bytesUsed, int bytesPerLine) {
    if (data == nullptr || width <= 0 || height <= 0) {
        std::snprintf(problem_, sizeof(problem_), "no data or no size (%d x %d)", width, height);
        return false;
    }
    if (fourcc == kFourCcYuyv) {
        // Two pixels share four bytes: an odd width has no whole last pair,
        // and the conversion would read and write past the rows.
        if (width % 2 != 0) {
            std::snprintf(problem_, sizeof(problem_), "YUYV frame of odd width %d", width);
            return false;
        }
        const size_t pitch =
            bytesPerLine > 0 ? static_cast<size_t>(bytesPerLine) : static_cast<size_t>(width) * 2;
        const size_t needed =
            pitch * static_cast<size_t>(height - 1) + static_cast<size_t>(width) * 2;
        if (pitch < static_cast<size_t>(width) * 2 || bytesUsed < needed) {
            std::snprintf(problem_, sizeof(problem_),
                          "YUYV frame of %zu bytes, %d x %d needs %zu (pitch %zu)", bytesUsed,
                          width, height, needed, pitch);
            return false;
        }
        const cv::Mat yuyv(height, width, CV_8UC2, const_cast<uint8_t*>(data), pitch);
        bgr_.create(height, width, CV_8UC3);
        cv::cvtColor(yuyv, bgr_, cv::COLOR_YUV2BGR_YUYV);
        return true;
    }
    if (fourcc == kFourCcMjpg) {
        if (!mjpeg_.Decode(data, bytesUsed, width, height, bgr_)) {
            std::snprintf(problem_, sizeof(problem_), "MJPG frame of %zu bytes: %s", bytesUsed,
                          mjpeg_.Problem());
            return false;
        }
        return true;
    }
    std::snprintf(problem_, sizeof(problem_), "unknown pixel format %08x", fourcc);
    return false;
}

void FrameConverter::ReportDrop(const char* why) {
    ++dropped_;
    const auto now = std::chrono::steady_clock::now();
    if (lastReport_ != std::chrono::steady_clock::time_point{} &&
        now - lastReport_ < kDropReportInterval) {
        return;
    }
    if (dropped_ == 1) {
        qWarning("camera frame dropped: %s", why);
    } else {
        qWarning("camera frame dropped: %s (%d frames dropped since the last report)", why,
                 dropped_);
    }
    dropped_ = 0;
    lastReport_ = now;
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
