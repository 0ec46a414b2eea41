#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The list of video capture devices: udev's video4linux nodes that capture,
// or the simulated camera's devices when ORBISK_CAMERA=simulated.
namespace orbisk::platform {

// One capture node as the device lookup sees it.
struct VideoDeviceInfo {
    std::string node;                    // "/dev/video0"; empty for a simulated device
    int nodeNumber = -1;                 // N of videoN; the list's order
    std::string vendorId;                // four lower-case hex digits, from the USB device
    std::string productId;               // ditto
    std::string serial;                  // USB serial, may be empty
    std::string usbPort;                 // "1-2.3", the USB device's place on the bus
    std::string interfaceNumber = "00";  // the USB interface, two hex digits
    std::string friendlyName;            // ID_V4L_PRODUCT, else the card name
    std::string usbSysPath;              // the USB device's sysfs path (finds its button)
    bool simulated = false;

    // A device path in the shape the matching rules read:
    // "\\?\usb#vid_xxxx&pid_xxxx&mi_nn#0&<serial or port>", so that the
    // serial begins at position 34.
    std::string DevicePath() const;
};

// What udev tells of one video4linux node, before filtering.
struct UdevVideoRecord {
    std::string devNode;                            // "/dev/video0"
    std::string sysName;                            // "video0"
    std::map<std::string, std::string> properties;  // ID_V4L_CAPABILITIES, ID_V4L_PRODUCT
    std::string cardName;                           // the node's "name" attribute
    std::optional<uint32_t> deviceCaps;             // VIDIOC_QUERYCAP device_caps, when asked
    // The USB device above the node; empty vendor for a non-USB node.
    std::string usbVendor, usbProduct, usbSerial, usbDevPath, usbSysPath;
    std::string usbInterfaceNumber;
};

// Keeps the capture nodes (a UVC camera also has a metadata node with the
// same ids), fills the identity from the USB parent and orders by node number.
std::vector<VideoDeviceInfo> CaptureDevicesFromRecords(const std::vector<UdevVideoRecord>& records);

class VideoRegistry {
  public:
    virtual ~VideoRegistry() = default;
    // The capture devices in order; nullopt when the list can't be obtained.
    virtual std::optional<std::vector<VideoDeviceInfo>> CaptureDevices() = 0;
};

// Reads the system's video4linux devices through libudev.
class UdevVideoRegistry : public VideoRegistry {
  public:
    std::optional<std::vector<VideoDeviceInfo>> CaptureDevices() override;
};

// The registry in use: a test's override, else the simulated camera's when
// ORBISK_CAMERA=simulated, else udev's.
VideoRegistry& ActiveVideoRegistry();
// Replaces the registry in use (nullptr restores the default). Tests only.
void SetVideoRegistryForTesting(std::shared_ptr<VideoRegistry> registry);

// True when the environment asks for the simulated camera.
bool SimulatedCameraRequested();

}  // namespace orbisk::platform
