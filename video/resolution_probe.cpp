#include "video/resolution_probe.h"

#include "video/device_lookup.h"

#include <algorithm>

namespace orbisk {

void CResolutionProbe::Release() {
    device_.reset();
    capabilities_.clear();
    vid_.clear();
    pid_.clear();
    deviceIndex_ = 0;
}

int CResolutionProbe::CountYuy2Sizes(const QString& vid, const QString& pid, int deviceIndex) {
    if (device_ && (deviceIndex != deviceIndex_ || vid != vid_ || pid != pid_)) Release();
    if (!device_) {
        platform::VideoDeviceInfo info;
        if (!FindDeviceByVidPid(vid, pid, info, deviceIndex)) {
            Release();
            return kNoDevice;
        }
        // Opening asks the node what it is and nothing more.
        device_ = platform::OpenCaptureDevice(info);
        if (!device_) {
            Release();
            return kCantOpen;
        }
        vid_ = vid;
        pid_ = pid;
        deviceIndex_ = deviceIndex;
    }
    capabilities_ = device_->Formats();
    return static_cast<int>(std::count_if(
        capabilities_.begin(), capabilities_.end(),
        [](const platform::CaptureFormat& f) { return f.fourcc == platform::kFourCcYuyv; }));
}

int CResolutionProbe::GetYuy2Size(int n, int& width, int& height) const {
    if (!device_) return kNotBound;
    if (capabilities_.empty()) return kNoCapabilities;
    if (n >= static_cast<int>(capabilities_.size())) return kPastEnd;
    int yuyv = 0;
    for (const platform::CaptureFormat& f : capabilities_) {
        if (f.fourcc != platform::kFourCcYuyv) continue;
        if (yuyv++ == n) {
            width = f.width;
            height = f.height;
            return 0;
        }
    }
    return kNoSuchSize;
}

}  // namespace orbisk
