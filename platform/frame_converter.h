#pragma once

#include "platform/capture_device.h"
#include "platform/mjpeg_decoder.h"

#include <opencv2/core.hpp>

#include <vector>

namespace orbisk::platform {

// Turns one captured buffer (YUYV or MJPG) into a top-down BGR frame. The
// real device and the simulated camera share it, so both deliver frames the
// same way. The output buffer is kept and reused while the size stays.
class FrameConverter {
  public:
    // `bytesUsed` is what the driver filled; `bytesPerLine` the YUYV row
    // pitch (0: packed). False, and the frame is to be skipped, for a buffer
    // shorter than the format needs or a corrupt MJPG picture.
    bool Convert(uint32_t fourcc, int width, int height, const uint8_t* data, size_t bytesUsed,
                 int bytesPerLine, FrameSample& out);

    const cv::Mat& Frame() const { return bgr_; }

  private:
    cv::Mat bgr_;
    MjpegDecoder mjpeg_;
};

// Packs a BGR picture as BT.601 video-range YUYV, the way UVC cameras send
// it (the simulated camera's frames, benchmarks); `out` is resized to
// width x height x 2 bytes.
void BgrToYuyv(const cv::Mat& bgr, std::vector<uint8_t>& out);

}  // namespace orbisk::platform
