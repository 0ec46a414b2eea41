#include "platform/capture_device.h"

#include "platform/log_categories.h"
#include "platform/simulated_camera.h"
#include "platform/v4l2_device.h"

namespace orbisk::platform {

const char* DeviceErrorText(DeviceError error) {
    switch (error) {
        case DeviceError::kNone:
            return "no error";
        case DeviceError::kNotFound:
            return "the device is gone";
        case DeviceError::kNoAccess:
            return "no permission to open it";
        case DeviceError::kBusy:
            return "busy: another program is using the camera";
        case DeviceError::kNotCapture:
            return "not a video capture node";
        case DeviceError::kRefused:
            return "the format is refused";
        case DeviceError::kFailed:
            break;
    }
    return "the device failed";
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
