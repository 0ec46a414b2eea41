// JPEG pictures from memory (the TCP picture source).

#include "documents/image_files.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)orbisk::DecodeJpegFromMemory(data, size);
    return 0;
}
