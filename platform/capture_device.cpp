#include "platform/capture_device.h"

#include "platform/log_categories.h"
#include "platform/simulated_camera.h"
#include "platform/v4l2_device.h"

#include <iterator>

namespace orbisk::platform {

const char* DeviceErrorText(DeviceError error) {
    // In the order of DeviceError.
    static constexpr const char* kTexts[] = {
        "no error",
        "the device is gone",
        "no permission to open it",
        "busy: another program is using the camera",
        "not a video capture node",
        "the format is refused",
        "the device failed",
    };
    const auto i = static_cast<size_t>(error);
    return i < std::size(kTexts) ? kTexts[i] : kTexts[std::size(kTexts) - 1];
}

std::string DeviceLogName(const VideoDeviceInfo& info) {
    std::string name = info.node.empty() ? std::string("simulated") : info.node;
    name += " (" + info.vendorId + ":" + info.productId;
    if (!info.friendlyName.empty()) name += ", " + info.friendlyName;
    return name + ")";
}

std::unique_ptr<CaptureDevice> OpenCaptureDevice(const VideoDeviceInfo& info, DeviceError* error) {
    DeviceError why = DeviceError::kNone;
    std::unique_ptr<CaptureDevice> device;
    if (info.simulated) {
        device = SimulatedCamera::OpenDevice(info);
        if (!device) {
            why = DeviceError::kNotFound;
            qCInfo(lcCamera, "camera %s refused: %s", DeviceLogName(info).c_str(),
                   DeviceErrorText(why));
        }
    } else {
        device = V4l2CaptureDevice::Open(info, &why);
    }
    if (error) *error = device ? DeviceError::kNone : why;
    return device;
}

void LogDroppedFrame(const std::string& device, const char* why) {
    qCWarning(lcCamera, "camera %s: frame dropped: %s", device.c_str(), why);
}

}  // namespace orbisk::platform
