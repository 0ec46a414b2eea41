#include "video/resolution_probe.h"

#include "platform/simulated_camera.h"
#include "platform/simulated_camera_id.h"
#include "tests/platform/fake_v4l2_rig.h"
#include "tests/support/wait_until.h"
#include "video/usb_camera.h"

#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <memory>
#include <utility>

namespace orbisk {
namespace {

using platform::CaptureFormat;
using platform::kFourCcMjpg;
using platform::kFourCcYuyv;
using platform::SimulatedCamera;

const QString kVid = platform::kSimulatedVendorId;
const QString kDocPid = platform::kSimulatedDocumentProductId;
const std::string kDoc = platform::kSimulatedDocumentProductId;

// A size answer as one value: the code, then the size when there is one.
struct SizeAnswer {
    int code;
    int width = 0, height = 0;
    friend bool operator==(const SizeAnswer&, const SizeAnswer&) = default;
};
void PrintTo(const SizeAnswer& a, std::ostream* os) {
    *os << a.code << " " << a.width << "x" << a.height;
}
SizeAnswer SizeAt(const CResolutionProbe& probe, int n) {
    SizeAnswer a{0};
    a.code = probe.GetYuy2Size(n, a.width, a.height);
    return a;
}

// The probe on the simulated devices, whatever ORBISK_CAMERA says.
class ProbeOnSimulatedCamera : public testing::Test {
  protected:
    void SetUp() override {
        SimulatedCamera::Reset();
        platform::SetVideoRegistryForTesting(std::shared_ptr<platform::VideoRegistry>(
            &SimulatedCamera::Registry(), [](platform::VideoRegistry*) {}));
    }
    void TearDown() override {
        platform::SetVideoRegistryForTesting(nullptr);
        SimulatedCamera::Reset();
    }
};

TEST_F(ProbeOnSimulatedCamera, CountsAndGivesTheYuyvSizesInDeviceOrder) {
    SimulatedCamera::SetFormats(
        kDoc, {{kFourCcMjpg, 1920, 1080}, {kFourCcYuyv, 640, 480}, {kFourCcYuyv, 1280, 720}});
    CResolutionProbe probe;
    EXPECT_EQ(SizeAt(probe, 0), (SizeAnswer{CResolutionProbe::kNotBound}));
    ASSERT_EQ(probe.CountYuy2Sizes(kVid, kDocPid, 0), 2);
    EXPECT_EQ(SizeAt(probe, 0), (SizeAnswer{0, 640, 480}));
    EXPECT_EQ(SizeAt(probe, 1), (SizeAnswer{0, 1280, 720}));
    // Below the number of every format's sizes, but past the YUYV ones.
    EXPECT_EQ(SizeAt(probe, 2), (SizeAnswer{CResolutionProbe::kNoSuchSize}));
    EXPECT_EQ(SizeAt(probe, 3), (SizeAnswer{CResolutionProbe::kPastEnd}));
}

TEST_F(ProbeOnSimulatedCamera, AnswersWithoutADeviceOrWithoutFormats) {
    CResolutionProbe probe;
    EXPECT_EQ(probe.CountYuy2Sizes(kVid, QStringLiteral("0bad"), 0), CResolutionProbe::kNoDevice);
    EXPECT_EQ(probe.BoundDevice(), nullptr);
    EXPECT_EQ(SizeAt(probe, 0), (SizeAnswer{CResolutionProbe::kNotBound}));
    EXPECT_EQ(probe.CountYuy2Sizes(kVid, kDocPid, 1), CResolutionProbe::kNoDevice);

    SimulatedCamera::SetFormats(kDoc, {});
    EXPECT_EQ(probe.CountYuy2Sizes(kVid, kDocPid, 0), 0);
    EXPECT_EQ(SizeAt(probe, 0), (SizeAnswer{CResolutionProbe::kNoCapabilities}));

    // A bound camera that was unplugged since: no device, and unbound.
    SimulatedCamera::SetFormats(kDoc, SimulatedCamera::DefaultDocumentFormats());
    SimulatedCamera::Unplug(kDoc);
    EXPECT_EQ(probe.CountYuy2Sizes(kVid, kDocPid, 1), CResolutionProbe::kNoDevice);
    EXPECT_EQ(SizeAt(probe, 0), (SizeAnswer{CResolutionProbe::kNotBound}));
}

TEST_F(ProbeOnSimulatedCamera, LeavesTheStreamOfThatCameraRunning) {
    SimulatedCamera::SetFrameRate(60);
    CUSBCamra camera;
    ASSERT_EQ(camera.SetResolution(640, 480), kSOk);
    ASSERT_EQ(camera.Open(kVid, kDocPid, "", nullptr, false, 0), kSOk);
    ASSERT_TRUE(camera.Run());
    ASSERT_TRUE(test::WaitUntil([] { return SimulatedCamera::FramesDelivered(kDoc) > 0; }));

    {
        CResolutionProbe probe;
        EXPECT_EQ(probe.CountYuy2Sizes(kVid, kDocPid, 0), 10);
        EXPECT_EQ(SizeAt(probe, 9), (SizeAnswer{0, 3264, 2448}));
    }
    const long before = SimulatedCamera::FramesDelivered(kDoc);
    EXPECT_TRUE(test::WaitUntil([&] { return SimulatedCamera::FramesDelivered(kDoc) > before; }));
    EXPECT_EQ(camera.GetState(), kStateRunning);
    EXPECT_EQ(camera.ChosenFormat(), (CaptureFormat{kFourCcYuyv, 640, 480}));
}

// The probe on V4L2 nodes of fake cameras.
class ProbeOnV4l2 : public testing::Test {
  protected:
    test::FakeV4l2Rig rig_;
};

TEST_F(ProbeOnV4l2, TakesAStepwiseRangeAsOneSizeAtItsLargest) {
    auto camera = rig_.Add("046d", "085e", {{kFourCcMjpg, 1920, 1080}});
    camera->ranges = {{kFourCcYuyv, 160, 120, 2592, 1944}};
    CResolutionProbe probe;
    ASSERT_EQ(probe.CountYuy2Sizes("046d", "085e", 0), 1);
    EXPECT_EQ(SizeAt(probe, 0), (SizeAnswer{0, 2592, 1944}));
}

TEST_F(ProbeOnV4l2, ReusesTheBoundNodeForTheSameIdentityAndRebindsForAnother) {
    rig_.Add("046d", "085e", {{kFourCcYuyv, 640, 480}});
    rig_.Add("046d", "085e", {{kFourCcYuyv, 800, 600}, {kFourCcYuyv, 1024, 768}});
    CResolutionProbe probe;
    EXPECT_EQ(probe.CountYuy2Sizes("046d", "085e", 0), 1);
    EXPECT_EQ(probe.CountYuy2Sizes("046d", "085e", 0), 1);
    EXPECT_EQ(rig_.Opened(), (std::vector<std::string>{"/dev/video0"}));

    EXPECT_EQ(probe.CountYuy2Sizes("046d", "085e", 1), 2);
    EXPECT_EQ(SizeAt(probe, 1), (SizeAnswer{0, 1024, 768}));
    EXPECT_EQ(rig_.Opened(), (std::vector<std::string>{"/dev/video0", "/dev/video1"}));
}

TEST_F(ProbeOnV4l2, OnlyAsksTheNodeWhatItOffers) {
    auto camera = rig_.Add("046d", "085e", {{kFourCcYuyv, 640, 480}, {kFourCcMjpg, 1920, 1080}});
    {
        CResolutionProbe probe;
        ASSERT_EQ(probe.CountYuy2Sizes("046d", "085e", 0), 1);
        int w = 0, h = 0;
        EXPECT_EQ(probe.GetYuy2Size(0, w, h), 0);
    }
    for (unsigned long request : camera->Requests()) {
        EXPECT_TRUE(request == VIDIOC_QUERYCAP || request == VIDIOC_ENUM_FMT ||
                    request == VIDIOC_ENUM_FRAMESIZES)
            << std::hex << request;
    }
}

TEST_F(ProbeOnV4l2, AnswersCantOpenForANodeThatWontOpen) {
    rig_.Add("046d", "085e", {{kFourCcYuyv, 640, 480}})->queryCapError = EIO;
    CResolutionProbe probe;
    EXPECT_EQ(probe.CountYuy2Sizes("046d", "085e", 0), CResolutionProbe::kCantOpen);
    EXPECT_EQ(SizeAt(probe, 0), (SizeAnswer{CResolutionProbe::kNotBound}));
}

}  // namespace
}  // namespace orbisk
