#include "platform/video_registry.h"

#include "platform/simulated_camera.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace orbisk::platform {
namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

int NodeNumber(const std::string& sysName) {
    const auto digits = sysName.find_first_of("0123456789");
    if (digits == std::string::npos) {
        return -1;
    }
    return std::atoi(sysName.c_str() + digits);
}

bool IsCaptureRecord(const UdevVideoRecord& r) {
    const auto caps = r.properties.find("ID_V4L_CAPABILITIES");
    if (caps != r.properties.end()) {
        return caps->second.find(":capture:") != std::string::npos;
    }
    return r.deviceCaps && (*r.deviceCaps & V4L2_CAP_VIDEO_CAPTURE) != 0;
}

std::string Str(const char* s) { return s ? std::string(s) : std::string(); }

std::optional<uint32_t> QueryDeviceCaps(const std::string& node) {
    const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    v4l2_capability cap{};
    std::optional<uint32_t> result;
    if (::ioctl(fd, VIDIOC_QUERYCAP, &cap) == 0) {
        result = (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
    }
    ::close(fd);
    return result;
}

UdevVideoRecord RecordOf(udev_device* dev) {
    UdevVideoRecord r;
    r.devNode = Str(udev_device_get_devnode(dev));
    r.sysName = Str(udev_device_get_sysname(dev));
    for (const char* key : {"ID_V4L_CAPABILITIES", "ID_V4L_PRODUCT"}) {
        if (const char* v = udev_device_get_property_value(dev, key)) {
            r.properties[key] = v;
        }
    }
    r.cardName = Str(udev_device_get_sysattr_value(dev, "name"));
    if (r.properties.count("ID_V4L_CAPABILITIES") == 0 && !r.devNode.empty()) {
        r.deviceCaps = QueryDeviceCaps(r.devNode);
    }
    if (udev_device* intf =
            udev_device_get_parent_with_subsystem_devtype(dev, "usb", "usb_interface")) {
        r.usbInterfaceNumber = Str(udev_device_get_sysattr_value(intf, "bInterfaceNumber"));
    }
    if (udev_device* usb =
            udev_device_get_parent_with_subsystem_devtype(dev, "usb", "usb_device")) {
        r.usbVendor = Str(udev_device_get_sysattr_value(usb, "idVendor"));
        r.usbProduct = Str(udev_device_get_sysattr_value(usb, "idProduct"));
        r.usbSerial = Str(udev_device_get_sysattr_value(usb, "serial"));
        r.usbDevPath = Str(udev_device_get_sysattr_value(usb, "devpath"));
        const std::string busnum = Str(udev_device_get_sysattr_value(usb, "busnum"));
        if (!busnum.empty() && !r.usbDevPath.empty()) {
            r.usbDevPath = busnum + "-" + r.usbDevPath;
        }
        r.usbSysPath = Str(udev_device_get_syspath(usb));
    }
    return r;
}

std::mutex g_registryLock;
std::shared_ptr<VideoRegistry> g_testRegistry;

}  // namespace

std::string VideoDeviceInfo::DevicePath() const {
    std::string mi = interfaceNumber.empty() ? "00" : Lower(interfaceNumber);
    if (mi.size() < 2) {
        mi.insert(0, 2 - mi.size(), '0');
    }
    return "\\\\?\\usb#vid_" + vendorId + "&pid_" + productId + "&mi_" + mi + "#0&" +
           (serial.empty() ? usbPort : serial);
}

std::vector<VideoDeviceInfo> CaptureDevicesFromRecords(
    const std::vector<UdevVideoRecord>& records) {
    std::vector<VideoDeviceInfo> out;
    for (const auto& r : records) {
        if (!IsCaptureRecord(r)) {
            continue;
        }
        VideoDeviceInfo d;
        d.node = r.devNode;
        d.nodeNumber = NodeNumber(r.sysName);
        d.vendorId = Lower(r.usbVendor);
        d.productId = Lower(r.usbProduct);
        d.serial = r.usbSerial;
        d.usbPort = r.usbDevPath;
        if (!r.usbInterfaceNumber.empty()) {
            d.interfaceNumber = r.usbInterfaceNumber;
        }
        const auto product = r.properties.find("ID_V4L_PRODUCT");
        d.friendlyName = product != r.properties.end() && !product->second.empty() ? product->second
                                                                                   : r.cardName;
        d.usbSysPath = r.usbSysPath;
        out.push_back(std::move(d));
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const auto& a, const auto& b) { return a.nodeNumber < b.nodeNumber; });
    return out;
}

std::optional<std::vector<VideoDeviceInfo>> UdevVideoRegistry::CaptureDevices() {
    udev* u = udev_new();
    if (!u) {
        return std::nullopt;
    }
    udev_enumerate* e = udev_enumerate_new(u);
    if (!e) {
        udev_unref(u);
        return std::nullopt;
    }
    std::vector<UdevVideoRecord> records;
    udev_enumerate_add_match_subsystem(e, "video4linux");
    if (udev_enumerate_scan_devices(e) == 0) {
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e)) {
            udev_device* dev = udev_device_new_from_syspath(u, udev_list_entry_get_name(entry));
            if (dev) {
                records.push_back(RecordOf(dev));
                udev_device_unref(dev);
            }
        }
    }
    udev_enumerate_unref(e);
    udev_unref(u);
    return CaptureDevicesFromRecords(records);
}

bool SimulatedCameraRequested() {
    const char* v = std::getenv("ORBISK_CAMERA");
    return v && std::strcmp(v, "simulated") == 0;
}

VideoRegistry& ActiveVideoRegistry() {
    static UdevVideoRegistry udevRegistry;
    std::lock_guard lock(g_registryLock);
    if (g_testRegistry) {
        return *g_testRegistry;
    }
    if (SimulatedCameraRequested()) {
        return SimulatedCamera::Registry();
    }
    return udevRegistry;
}

void SetVideoRegistryForTesting(std::shared_ptr<VideoRegistry> registry) {
    std::lock_guard lock(g_registryLock);
    g_testRegistry = std::move(registry);
}

}  // namespace orbisk::platform
