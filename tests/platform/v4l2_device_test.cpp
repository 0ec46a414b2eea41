#include "platform/v4l2_device.h"

#include "platform/frame_converter.h"
#include "tests/platform/fake_v4l2_node.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>
#include <opencv2/core.hpp>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace orbisk::platform {
namespace {

using namespace std::chrono_literals;
using test::FakeV4l2Camera;
using test::FakeV4l2Node;
using test::LogCapture;

template <typename Pred>
bool WaitFor(Pred pred, std::chrono::milliseconds timeout = 5s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (pred()) return true;
        std::this_thread::sleep_for(2ms);
    }
    return pred();
}

VideoDeviceInfo FakeInfo() {
    VideoDeviceInfo info;
    info.node = "/dev/video7";
    info.nodeNumber = 7;
    info.vendorId = "046d";
    info.productId = "085e";
    info.friendlyName = "Fake Document Camera";
    return info;
}

// A YUYV frame of one grey level.
std::vector<uint8_t> GreyFrame(int width, int height, uint8_t level) {
    std::vector<uint8_t> out;
    BgrToYuyv(cv::Mat(height, width, CV_8UC3, cv::Scalar(level, level, level)), out);
    return out;
}

// What a stream handed to its sink and whether it reported a loss.
struct Received {
    std::mutex lock;
    std::vector<std::pair<int, int>> sizes;
    std::vector<int> levels;  // the first pixel's blue byte
    std::atomic<int> lost{0};

    FrameSink Sink() {
        return [this](const FrameSample& s) {
            std::lock_guard l(lock);
            sizes.emplace_back(s.width, s.height < 0 ? -s.height : s.height);
            levels.push_back(s.data[0]);
        };
    }
    LostHandler Lost() {
        return [this] { ++lost; };
    }
    size_t Count() {
        std::lock_guard l(lock);
        return sizes.size();
    }
};

class V4l2DeviceTest : public testing::Test {
  protected:
    void SetUp() override {
        camera_ = std::make_shared<FakeV4l2Camera>();
        camera_->formats = {{kFourCcYuyv, 640, 480}, {kFourCcYuyv, 1280, 720}};
    }
    std::unique_ptr<V4l2CaptureDevice> Device() {
        DeviceError error = DeviceError::kFailed;
        auto device =
            V4l2CaptureDevice::OnNode(FakeInfo(), std::make_unique<FakeV4l2Node>(camera_), &error);
        EXPECT_EQ(error, DeviceError::kNone);
        return device;
    }
    std::shared_ptr<FakeV4l2Camera> camera_;
};

TEST_F(V4l2DeviceTest, ListsSizesAndStreamsPushedFrames) {
    auto device = Device();
    ASSERT_TRUE(device);
    EXPECT_EQ(device->Formats(), camera_->formats);
    Received got;
    ASSERT_TRUE(device->Start({kFourCcYuyv, 640, 480}, got.Sink(), got.Lost()));
    EXPECT_TRUE(device->IsStreaming());
    for (uint8_t level : {40, 120, 200}) camera_->PushFrame(GreyFrame(640, 480, level));
    ASSERT_TRUE(WaitFor([&] { return got.Count() == 3; }));
    device->Stop();
    EXPECT_FALSE(device->IsStreaming());
    std::lock_guard l(got.lock);
    EXPECT_EQ(got.sizes, (std::vector<std::pair<int, int>>(3, {640, 480})));
    ASSERT_EQ(got.levels.size(), 3u);
    EXPECT_NEAR(got.levels[0], 40, 3);
    EXPECT_NEAR(got.levels[2], 200, 3);
    EXPECT_EQ(got.lost, 0);
}

TEST_F(V4l2DeviceTest, ReportsAndStreamsTheSizeTheDriverSet) {
    camera_->formats = {{kFourCcYuyv, 1920, 1080}};
    camera_->driverSize = std::pair{1920, 1088};
    auto device = Device();
    LogCapture log("orbisk.camera");
    CaptureFormat applied;
    ASSERT_EQ(device->SetFormat({kFourCcYuyv, 1920, 1080}, applied), DeviceError::kNone);
    EXPECT_EQ(applied, (CaptureFormat{kFourCcYuyv, 1920, 1088}));
    EXPECT_TRUE(log.Has({"/dev/video7", "1920x1088", "1920x1080"}));

    Received got;
    ASSERT_TRUE(device->Start({kFourCcYuyv, 1920, 1080}, got.Sink(), got.Lost()));
    EXPECT_EQ(device->StreamFormat(), applied);
    camera_->PushFrame(GreyFrame(1920, 1088, 90));
    ASSERT_TRUE(WaitFor([&] { return got.Count() == 1; }));
    device->Stop();
    EXPECT_EQ(got.sizes.front(), (std::pair{1920, 1088}));
}

TEST_F(V4l2DeviceTest, UnplugEioThenEnodevEndsTheStreamAndIsReportedOnce) {
    auto device = Device();
    Received got;
    ASSERT_TRUE(device->Start({kFourCcYuyv, 640, 480}, got.Sink(), got.Lost()));
    camera_->PushFrame(GreyFrame(640, 480, 60));
    ASSERT_TRUE(WaitFor([&] { return got.Count() == 1; }));

    LogCapture log("orbisk.camera");
    camera_->Unplug();  // DQBUF answers EIO, then every call ENODEV
    ASSERT_TRUE(WaitFor([&] { return got.lost == 1; }));
    EXPECT_FALSE(device->IsStreaming());
    EXPECT_TRUE(log.Has({"/dev/video7", "lost", "Input/output error"}));
    device->Stop();  // STREAMOFF and freeing the buffers fail with ENODEV
    EXPECT_EQ(got.lost, 1);
    EXPECT_EQ(got.Count(), 1u);

    CaptureFormat applied;
    EXPECT_EQ(device->SetFormat({kFourCcYuyv, 640, 480}, applied), DeviceError::kNotFound);
    EXPECT_FALSE(device->Start({kFourCcYuyv, 640, 480}, got.Sink(), got.Lost()));
    EXPECT_EQ(got.lost, 1);
}

TEST_F(V4l2DeviceTest, AStreamWithoutFramesForTheTimeoutIsLost) {
    EXPECT_EQ(V4l2CaptureDevice::kFrameTimeout, 3s);
    auto device = Device();
    device->SetFrameTimeout(1s);
    LogCapture log("orbisk.camera");
    Received got;
    ASSERT_TRUE(device->Start({kFourCcYuyv, 640, 480}, got.Sink(), got.Lost()));
    // Frames coming faster than the timeout keep the stream alive: each
    // follows as soon as the one before has arrived.
    for (size_t i = 0; i < 12; ++i) {
        camera_->PushFrame(GreyFrame(640, 480, 50));
        ASSERT_TRUE(WaitFor([&] { return got.Count() == i + 1; }));
    }
    EXPECT_EQ(got.lost, 0);
    EXPECT_TRUE(device->IsStreaming());
    // Then the camera goes quiet without an error.
    ASSERT_TRUE(WaitFor([&] { return got.lost == 1; }));
    EXPECT_FALSE(device->IsStreaming());
    EXPECT_TRUE(log.Has({"/dev/video7", "lost", "no frame for 1000 ms"}));
    EXPECT_EQ(got.Count(), 12u);
}

TEST_F(V4l2DeviceTest, AnExceptionWhileDeliveringDropsThatFrameOnly) {
    auto device = Device();
    LogCapture log("orbisk.camera");
    std::atomic<int> calls{0}, kept{0};
    ASSERT_TRUE(device->Start(
        {kFourCcYuyv, 640, 480},
        [&](const FrameSample&) {
            if (++calls == 1) throw std::runtime_error("hostile frame");
            ++kept;
        },
        nullptr));
    camera_->PushFrame(GreyFrame(640, 480, 10));
    camera_->PushFrame(GreyFrame(640, 480, 20));
    ASSERT_TRUE(WaitFor([&] { return kept == 1; }));
    EXPECT_TRUE(device->IsStreaming());
    device->Stop();
    EXPECT_TRUE(log.Has({"/dev/video7", "frame dropped", "hostile frame"}));
}

TEST_F(V4l2DeviceTest, ABrokenFrameIsDroppedWithALineAndTheStreamGoesOn) {
    auto device = Device();
    LogCapture log("orbisk.camera");
    Received got;
    ASSERT_TRUE(device->Start({kFourCcYuyv, 640, 480}, got.Sink(), got.Lost()));
    camera_->PushFrame(std::vector<uint8_t>(100, 0x80));  // a few bytes of a frame
    camera_->PushFrame(GreyFrame(640, 480, 70));
    ASSERT_TRUE(WaitFor([&] { return got.Count() == 1; }));
    device->Stop();
    EXPECT_TRUE(log.Has({"/dev/video7", "frame dropped", "YUYV 640x480", "100 bytes"}));
    EXPECT_EQ(got.lost, 0);
}

TEST_F(V4l2DeviceTest, ACameraBusyInAnotherProgramIsRefusedWithItsReason) {
    auto device = Device();
    LogCapture log("orbisk.camera");
    camera_->setFormatError = EBUSY;
    CaptureFormat applied;
    EXPECT_EQ(device->SetFormat({kFourCcYuyv, 640, 480}, applied), DeviceError::kBusy);
    EXPECT_TRUE(log.Has({"/dev/video7", "busy"}));
    Received got;
    EXPECT_FALSE(device->Start({kFourCcYuyv, 640, 480}, got.Sink(), got.Lost()));

    // Some drivers take the format and refuse only the buffers.
    camera_->setFormatError = 0;
    camera_->requestBuffersError = EBUSY;
    EXPECT_FALSE(device->Start({kFourCcYuyv, 640, 480}, got.Sink(), got.Lost()));
    EXPECT_TRUE(log.Has({"/dev/video7", "can't stream", "busy", "VIDIOC_REQBUFS"}));
    EXPECT_FALSE(device->IsStreaming());
}

struct RefusalCase {
    const char* name;
    int openError;
    int queryCapError;
    uint32_t caps;
    DeviceError expected;
    const char* logged;
};

class V4l2OpenRefusal : public testing::TestWithParam<RefusalCase> {
  protected:
    void TearDown() override { SetV4l2NodeOpenerForTesting(nullptr); }
};

TEST_P(V4l2OpenRefusal, SaysWhichDeviceAndWhy) {
    const auto& c = GetParam();
    auto camera = std::make_shared<FakeV4l2Camera>();
    camera->queryCapError = c.queryCapError;
    camera->deviceCaps = c.caps;
    SetV4l2NodeOpenerForTesting([&](const std::string&, int& error) -> std::unique_ptr<V4l2Node> {
        error = c.openError;
        if (c.openError) return nullptr;
        return std::make_unique<FakeV4l2Node>(camera);
    });
    LogCapture log("orbisk.camera");
    DeviceError error = DeviceError::kNone;
    EXPECT_FALSE(V4l2CaptureDevice::Open(FakeInfo(), &error));
    EXPECT_EQ(error, c.expected);
    EXPECT_TRUE(log.Has({"/dev/video7 (046d:085e, Fake Document Camera) refused", c.logged}))
        << (log.Lines().empty() ? "no line" : log.Lines().front());
}

constexpr uint32_t kCapture = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;

INSTANTIATE_TEST_SUITE_P(
    Cases, V4l2OpenRefusal,
    testing::Values(
        RefusalCase{"NoPermission", EACCES, 0, kCapture, DeviceError::kNoAccess,
                    "no permission to open it (Permission denied); the user needs read and write"},
        RefusalCase{"Gone", ENOENT, 0, kCapture, DeviceError::kNotFound, "the device is gone"},
        RefusalCase{"BusyAtOpen", EBUSY, 0, kCapture, DeviceError::kBusy, "busy"},
        RefusalCase{"QueryFails", 0, EIO, kCapture, DeviceError::kFailed, "VIDIOC_QUERYCAP"},
        RefusalCase{"MetadataNode", 0, 0, V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING,
                    DeviceError::kNotCapture, "no video capture"},
        RefusalCase{"NoStreaming", 0, 0, V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_READWRITE,
                    DeviceError::kNotCapture, "no streaming I/O"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(V4l2DeviceOpen, ANodelessDeviceIsRefused) {
    LogCapture log("orbisk.camera");
    DeviceError error = DeviceError::kNone;
    EXPECT_FALSE(V4l2CaptureDevice::Open(VideoDeviceInfo{}, &error));
    EXPECT_EQ(error, DeviceError::kNotFound);
    EXPECT_TRUE(log.Has({"refused", "no device node"}));
}

}  // namespace
}  // namespace orbisk::platform
