#include "video/device_lookup.h"

#include "video/usb_camera.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace orbisk {
namespace {

using platform::UdevVideoRecord;
using platform::VideoDeviceInfo;

// A serial, when the path has one, begins at position 34.
const std::string kPath = "\\\\?\\usb#vid_1a2b&pid_3c4d&mi_00#0&SN1234";

struct MatchCase {
    const char* name;
    std::string path;
    QString vid, pid, serial;
    bool match;        // MatchDevicePath
    bool serialMatch;  // MatchDevicePathSerial
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.name; }

class DevicePathMatch : public testing::TestWithParam<MatchCase> {};

TEST_P(DevicePathMatch, FollowsTheIdentityRules) {
    const auto& c = GetParam();
    EXPECT_EQ(MatchDevicePath(c.path, c.vid, c.pid), c.match);
    EXPECT_EQ(MatchDevicePathSerial(c.path, c.vid, c.pid, c.serial), c.serialMatch);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DevicePathMatch,
    testing::Values(MatchCase{"Plain", kPath, "1a2b", "3c4d", "SN1234", true, true},
                    MatchCase{"UpperCasePath", "\\\\?\\USB#VID_1A2B&PID_3C4D&MI_00#0&SN1234",
                              "1a2b", "3c4d", "sn1234", true, true},
                    MatchCase{"UpperCaseIds", kPath, "1A2B", "3C4D", "sn12", true, true},
                    MatchCase{"OtherProduct", kPath, "1a2b", "3c4e", "SN1234", false, false},
                    MatchCase{"ThreeCharacterVid", kPath, "1a2", "3c4d", "SN1234", false, false},
                    MatchCase{"FiveCharacterVid", kPath, "1a2b&", "3c4d", "SN1234", false, false},
                    MatchCase{"NoVid", kPath, "", "3c4d", "SN1234", false, false},
                    MatchCase{"NoPid", kPath, "1a2b", "", "SN1234", false, false},
                    MatchCase{"NoSerial", kPath, "1a2b", "3c4d", "", true, false},
                    MatchCase{"SerialPastTheEnd", kPath, "1a2b", "3c4d", "SN12345", true, false},
                    MatchCase{"SerialElsewhere", kPath, "1a2b", "3c4d", "1234", true, false},
                    MatchCase{"PathEndsInTheVid", "\\\\?\\usb#pid_3c4d&vid_04", "1a2b", "3c4d", "x",
                              false, false},
                    MatchCase{"PathEndsAtVid", "\\\\?\\usb#vid", "1a2b", "3c4d", "x", false, false},
                    MatchCase{"PathEndsInThePid", "\\\\?\\usb#vid_1a2b&pid_3c", "1a2b", "3c4d", "x",
                              false, false},
                    MatchCase{"ShorterThanTheSerialPosition", "\\\\?\\usb#vid_1a2b&pid_3c4d",
                              "1a2b", "3c4d", "x", true, false},
                    MatchCase{"NoIds", "\\\\?\\root#image#0000", "1a2b", "3c4d", "x", false, false},
                    MatchCase{"EmptyPath", "", "1a2b", "3c4d", "x", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A registry of udev records, or one whose list can't be obtained.
class FakeRegistry : public platform::VideoRegistry {
  public:
    explicit FakeRegistry(std::optional<std::vector<UdevVideoRecord>> records)
        : records_(std::move(records)) {}
    std::optional<std::vector<VideoDeviceInfo>> CaptureDevices() override {
        if (!records_) return std::nullopt;
        return platform::CaptureDevicesFromRecords(*records_);
    }

  private:
    std::optional<std::vector<UdevVideoRecord>> records_;
};

UdevVideoRecord Node(const std::string& sysName, const std::string& caps, const std::string& serial,
                     const std::string& port) {
    UdevVideoRecord r;
    r.sysName = sysName;
    r.devNode = "/dev/" + sysName;
    r.properties["ID_V4L_CAPABILITIES"] = caps;
    r.properties["ID_V4L_PRODUCT"] = "Desk Camera";
    r.usbVendor = "1a2b";
    r.usbProduct = "3c4d";
    r.usbSerial = serial;
    r.usbDevPath = port;
    return r;
}

class DeviceLookup : public testing::Test {
  protected:
    void Use(std::optional<std::vector<UdevVideoRecord>> records) {
        platform::SetVideoRegistryForTesting(std::make_shared<FakeRegistry>(std::move(records)));
    }
    void TearDown() override { platform::SetVideoRegistryForTesting(nullptr); }
};

TEST_F(DeviceLookup, CountsAndBindsTwoIdenticalCamerasIgnoringMetadataNodes) {
    // Each camera has a metadata node with the same ids; udev lists them out
    // of order, and the second camera has no serial.
    Use(std::vector<UdevVideoRecord>{Node("video3", ":video_capture_meta:", "", "1-4"),
                                     Node("video2", ":capture:", "", "1-4"),
                                     Node("video1", ":video_capture_meta:", "SNA", "1-2"),
                                     Node("video0", ":capture:", "SNA", "1-2")});
    EXPECT_EQ(CountVideoDevices("1a2b", "3c4d"), 2);
    EXPECT_EQ(CountVideoDevices("1A2B", "3C4D"), 2);
    EXPECT_EQ(CountVideoDevices("1a2b", "0000"), 0);
    EXPECT_EQ(CountVideoDevices("", "3c4d"), -1);

    VideoDeviceInfo d;
    ASSERT_TRUE(FindDeviceByVidPid("1a2b", "3c4d", d, 1));
    EXPECT_EQ(d.node, "/dev/video2");
    ASSERT_TRUE(FindDeviceByVidPid("1a2b", "3c4d", d, 0));
    EXPECT_EQ(d.node, "/dev/video0");
    EXPECT_FALSE(FindDeviceByVidPid("1a2b", "3c4d", d, 2));
    EXPECT_FALSE(FindDeviceByVidPid("1a2b", "3c4d", d, -1));

    // The second camera is found by its port where it has no serial.
    EXPECT_EQ(CountVideoDevicesBySerial("1a2b", "3c4d", "sna"), 1);
    EXPECT_EQ(CountVideoDevicesBySerial("1a2b", "3c4d", "1-4"), 1);
    EXPECT_EQ(CountVideoDevicesBySerial("1a2b", "", "SNA"), -1);
    ASSERT_TRUE(FindDeviceBySerial(d, "1a2b", "3c4d", "1-4"));
    EXPECT_EQ(d.node, "/dev/video2");

    EXPECT_EQ(CountVideoDevicesByName("Desk Camera"), 2);
    EXPECT_EQ(CountVideoDevicesByName("desk camera"), 0);
    EXPECT_EQ(CountVideoDevicesByName(""), -1);
    EXPECT_TRUE(FindDeviceByName("Desk Camera", d));
    EXPECT_FALSE(FindDeviceByName("Desk", d));

    EXPECT_EQ(VideoDeviceName("1a2b", "3c4d", 1), "Desk Camera");
    EXPECT_EQ(VideoDeviceName("1a2b", "3c4d", 2), "");
    EXPECT_EQ(VideoDeviceName("", "3c4d", 0), "");

    CUSBCamra camera;
    EXPECT_EQ(camera.CountDevices("1a2b", "3c4d"), 2);
    QStringList names{"left over"};
    EXPECT_EQ(camera.ListDevices(names), 2);
    EXPECT_EQ(names, (QStringList{"Desk Camera", "Desk Camera"}));
}

TEST_F(DeviceLookup, NoListOrNoDevices) {
    for (const bool listObtained : {false, true}) {
        SCOPED_TRACE(listObtained);
        Use(listObtained ? std::optional(std::vector<UdevVideoRecord>{}) : std::nullopt);
        EXPECT_EQ(CountVideoDevices("1a2b", "3c4d"), 0);
        EXPECT_EQ(CountVideoDevicesBySerial("1a2b", "3c4d", "SNA"), 0);
        EXPECT_EQ(CountVideoDevicesByName("Desk Camera"), 0);
        VideoDeviceInfo d;
        EXPECT_FALSE(FindDeviceByVidPid("1a2b", "3c4d", d, 0));
        EXPECT_EQ(VideoDeviceName("1a2b", "3c4d", 0), "");
        QStringList names{"left over"};
        EXPECT_EQ(CUSBCamra().ListDevices(names), -1);
        EXPECT_TRUE(names.isEmpty());
    }
}

}  // namespace
}  // namespace orbisk
