// YUYV camera frames. Input: width, height and row pitch (16-bit little
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
    const int width = static_cast<int>(orbisk::fuzz::TakeU16(data, size) % 1025);
    const int height = static_cast<int>(orbisk::fuzz::TakeU16(data, size) % 1025);
    const int pitch = static_cast<int>(orbisk::fuzz::TakeU16(data, size) % 4097);
    // The frame in a buffer of its own size, so that reading past it is seen.
    const std::vector<uint8_t> frame(data, data + size);
    FrameConverter converter;
    FrameSample sample;
    if (converter.Convert(kFourCcYuyv, width, height, frame.data(), frame.size(), pitch, sample)) {
        if (sample.width != width || sample.height != -height) {
            orbisk::fuzz::Fail("frame of another size delivered");
        }
    }
    return 0;
}
