#pragma once

#include "platform/capture_device.h"
#include "platform/mjpeg_decoder.h"

#include <opencv2/core.hpp>

#include <chrono>
#include <vector>

namespace orbisk::platform {

// Turns one captured buffer (YUYV or MJPG) into a top-down BGR frame. The
// real device and the simulated camera share it, so both deliver frames the
// same way. The output buffer is kept and reused while the size stays.
class FrameConverter {
  public:
    // `width` x `height` is the stream's negotiated size, `bytesUsed` what
    // the driver filled, `bytesPerLine` the YUYV row pitch (0: packed).
    // False, and the frame is to be skipped, for a buffer shorter than the
    // format needs, a YUYV frame of odd width, or an MJPG picture that is
    // corrupt or of another size; a skipped frame is logged (at most one
    // line every few seconds). Never throws.
    bool Convert(uint32_t fourcc, int width, int height, const uint8_t* data, size_t bytesUsed,
                 int bytesPerLine, FrameSample& out) noexcept;

    const cv::Mat& Frame() const { return bgr_; }

  private:
    bool ConvertFrame(uint32_t fourcc, int width, int height, const uint8_t* data, size_t bytesUsed,
                      int bytesPerLine);
    void ReportDrop(const char* why);

    cv::Mat bgr_;
    MjpegDecoder mjpeg_;
    char problem_[160] = "";
    int dropped_ = 0;  // since the last log line
    std::chrono::steady_clock::time_point lastReport_{};
};

// Packs a BGR picture as BT.601 video-range YUYV, the way UVC cameras send
// it (the simulated camera's frames, benchmarks); `out` is resized to
// width x height x 2 bytes.
void BgrToYuyv(const cv::Mat& bgr, std::vector<uint8_t>& out);

}  // namespace orbisk::platform
