#include "platform/capture_device.h"

#include "platform/simulated_camera.h"
#include "platform/v4l2_device.h"

namespace orbisk::platform {

std::unique_ptr<CaptureDevice> OpenCaptureDevice(const VideoDeviceInfo& info) {
    if (info.simulated) {
        return SimulatedCamera::OpenDevice(info);
    }
    return V4l2CaptureDevice::Open(info);
}

}  // namespace orbisk::platform
