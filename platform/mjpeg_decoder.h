#pragma once

#include <opencv2/core.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orbisk::platform {

// Decodes the JPEG frames of an MJPG stream straight to BGR with libjpeg
// (turbo). One decoder is kept per stream so that no state is built per
// frame; `out` is reallocated only when the frame size changes.
class MjpegDecoder {
  public:
    MjpegDecoder();
    ~MjpegDecoder();
    MjpegDecoder(const MjpegDecoder&) = delete;
    MjpegDecoder& operator=(const MjpegDecoder&) = delete;

    // False for data that is not a whole JPEG picture (a truncated or
    // corrupt frame); `out` may then hold a partly written picture.
    bool Decode(const uint8_t* data, size_t length, cv::Mat& out);

    struct State;  // libjpeg's objects, kept out of this header

  private:
    std::unique_ptr<State> state_;
};

}  // namespace orbisk::platform
