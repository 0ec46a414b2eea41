// The branding file data.dat.

#include "core/branding_data.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orbisk::CBrandingData branding;
    if (branding.LoadFromBytes(orbisk::fuzz::Bytes(data, size)) == 0) {
        // What loaded is whole: every row of the pictures can be read.
        for (const QImage* image : {&branding.logo, &branding.splash}) {
            if (!image->isNull() && image->format() != QImage::Format_BGR888) {
                orbisk::fuzz::Fail("picture of another format");
            }
            for (int y = 0; y < image->height(); ++y) {
                volatile uchar last = image->constScanLine(y)[image->width() * 3 - 1];
                (void)last;
            }
        }
    }
    return 0;
}
