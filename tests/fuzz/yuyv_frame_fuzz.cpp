// YUYV camera frames. Input: the stream's width, height and row pitch, then
// the frame (see TakeFrame).

#include "platform/frame_converter.h"
#include "tests/fuzz/fuzz_support.h"

using namespace orbisk::platform;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orbisk::fuzz::SilenceLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const orbisk::fuzz::FrameInput in = orbisk::fuzz::TakeFrame(data, size, true);
    FrameConverter converter;
    FrameSample s;
    if (converter.Convert(kFourCcYuyv, in.width, in.height, in.bytes.data(), in.bytes.size(),
                          in.pitch, s) &&
        (s.width != in.width || s.height != -in.height)) {
        orbisk::fuzz::Fail("frame of another size delivered");
    }
    return 0;
}
