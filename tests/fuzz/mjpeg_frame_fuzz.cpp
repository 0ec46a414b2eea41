// MJPG camera frames. Input: the stream's width and height, then the frame
// (see TakeFrame).

#include "platform/frame_converter.h"
#include "tests/fuzz/fuzz_support.h"

using namespace orbisk::platform;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orbisk::fuzz::SilenceLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The decoder's work grows with the stream's size, not with what the
    // frame claims.
    const orbisk::fuzz::FrameInput in = orbisk::fuzz::TakeFrame(data, size, false);
    FrameConverter converter;
    FrameSample s;
    for (int round = 0; round < 2; ++round) {  // the second reuses the buffers
        if (converter.Convert(kFourCcMjpg, in.width, in.height, in.bytes.data(), in.bytes.size(), 0,
                              s)) {
            if (s.width != in.width || s.height != -in.height ||
                s.length < static_cast<size_t>(s.stride) * in.height) {
                orbisk::fuzz::Fail("frame of another size delivered");
            }
            volatile uint8_t last = s.data[s.length - 1];
            (void)last;
        }
    }
    return 0;
}
