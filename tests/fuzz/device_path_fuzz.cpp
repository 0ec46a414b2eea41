// The device path matcher. Input: path, VID, PID and serial separated by
// newlines.

#include "tests/fuzz/fuzz_support.h"
#include "video/device_lookup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> parts = orbisk::fuzz::Split(data, size, '\n');
    parts.resize(4);
    const QString vid = QString::fromStdString(parts[1]);
    const QString pid = QString::fromStdString(parts[2]);
    const QString serial = QString::fromStdString(parts[3]);
    const bool fits = orbisk::MatchDevicePath(parts[0], vid, pid);
    if (orbisk::MatchDevicePathSerial(parts[0], vid, pid, serial) && !fits) {
        orbisk::fuzz::Fail("fits the serial but not VID and PID");
    }
    return 0;
}
