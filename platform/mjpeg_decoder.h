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

    // False for data that is not a whole, undamaged JPEG picture of
    // width x height (the stream's size): the frame header is checked before
    // anything is allocated, so a frame claiming a huge size costs nothing.
    // `out` may then hold a partly written picture; Problem() says why.
    bool Decode(const uint8_t* data, size_t length, int width, int height, cv::Mat& out) noexcept;
    // A picture of whatever size its header gives, up to `maxPixels`: grey
    // data as one channel, colour as BGR. Refused, before anything is
    // allocated, beyond that size or in a colour space other than grey, RGB
    // and YCbCr; refused like Decode for damaged data.
    bool DecodeAnySize(const uint8_t* data, size_t length, int64_t maxPixels,
                       cv::Mat& out) noexcept;
    const char* Problem() const;

    struct State;  // libjpeg's objects, kept out of this header

  private:
    std::unique_ptr<State> state_;
};

}  // namespace orbisk::platform
