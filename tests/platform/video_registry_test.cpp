#include "platform/video_registry.h"

#include <gtest/gtest.h>
#include <linux/videodev2.h>

namespace orbisk::platform {
namespace {

UdevVideoRecord Node(const std::string& sysName, const std::string& caps, const std::string& serial,
                     const std::string& port) {
    UdevVideoRecord r;
    r.sysName = sysName;
    r.devNode = "/dev/" + sysName;
    if (!caps.empty()) r.properties["ID_V4L_CAPABILITIES"] = caps;
    r.properties["ID_V4L_PRODUCT"] = "Desk Camera";
    r.cardName = "Desk Camera: Desk Cam";
    r.usbVendor = "1A2B";
    r.usbProduct = "3c4d";
    r.usbSerial = serial;
    r.usbDevPath = port;
    r.usbInterfaceNumber = "00";
    return r;
}

TEST(VideoRegistry, KeepsCaptureNodesInNodeOrderWithTheirUsbIdentity) {
    // Two identical cameras, each with its metadata node, listed out of order.
    std::vector<UdevVideoRecord> records{
        Node("video3", ":capture:", "", "1-4"),  // the second camera
        Node("video1", ":video_capture_meta:", "", "1-2"),
        Node("video0", ":capture:", "", "1-2"),
        Node("video2", ":video_capture_meta:", "", "1-4"),
    };
    // A node without udev's capability text is judged by VIDIOC_QUERYCAP.
    UdevVideoRecord queried = Node("video10", "", "SN77", "2-1");
    queried.properties.erase("ID_V4L_PRODUCT");
    queried.deviceCaps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    records.push_back(queried);
    UdevVideoRecord meta = Node("video11", "", "SN77", "2-1");
    meta.deviceCaps = V4L2_CAP_META_CAPTURE;
    records.push_back(meta);

    const auto devices = CaptureDevicesFromRecords(records);
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].node, "/dev/video0");
    EXPECT_EQ(devices[1].node, "/dev/video3");
    EXPECT_EQ(devices[2].node, "/dev/video10");
    EXPECT_EQ(devices[0].vendorId, "1a2b");
    EXPECT_EQ(devices[0].friendlyName, "Desk Camera");
    EXPECT_EQ(devices[2].friendlyName, "Desk Camera: Desk Cam");  // the card name
    EXPECT_EQ(devices[0].DevicePath(), "\\\\?\\usb#vid_1a2b&pid_3c4d&mi_00#0&1-2");
    // The serial (or, without one, the port) begins at position 34.
    EXPECT_EQ(devices[2].DevicePath().substr(34), "SN77");
    EXPECT_EQ(devices[1].DevicePath().substr(34), "1-4");
}

}  // namespace
}  // namespace orbisk::platform
