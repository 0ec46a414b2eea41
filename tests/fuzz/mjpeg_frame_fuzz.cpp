// MJPG camera frames. Input: the stream's width and height (16-bit little
// endian each), then the frame.

#include "platform/frame_converter.h"
#include "tests/fuzz/fuzz_support.h"

#include <vector>

using namespace orbisk::platform;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orbisk::fuzz::SilenceLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Streams of up to 1024 x 1024 keep one input well inside the time limit
    // under the sanitizers; the decoder's work grows with the stream's size,
    // not with what the frame claims.
    const int width = static_cast<int>(orbisk::fuzz::TakeU16(data, size) % 1025);
    const int height = static_cast<int>(orbisk::fuzz::TakeU16(data, size) % 1025);
    // The frame in a buffer of its own size, so that reading past it is seen.
    const std::vector<uint8_t> frame(data, data + size);
    FrameConverter converter;
    FrameSample sample;
    for (int round = 0; round < 2; ++round) {  // the second reuses the buffers
        if (converter.Convert(kFourCcMjpg, width, height, frame.data(), frame.size(), 0, sample)) {
            if (sample.width != width || sample.height != -height ||
                sample.length < static_cast<size_t>(sample.stride) * height) {
                orbisk::fuzz::Fail("frame of another size delivered");
            }
            volatile uint8_t last = sample.data[sample.length - 1];
            (void)last;
        }
    }
    return 0;
}
