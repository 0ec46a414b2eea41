#include "platform/simulated_camera.h"

#include "platform/simulated_camera_id.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace orbisk::platform {
namespace {

using test::WaitUntil;

class SimulatedCameraTest : public testing::Test {
  protected:
    void SetUp() override {
        SimulatedCamera::Reset();
        SimulatedCamera::SetFrameRate(100);
        const auto list = SimulatedCamera::Registry().CaptureDevices();
        ASSERT_TRUE(list);
        ASSERT_EQ(list->size(), 2u);
        info_ = list->front();
    }
    void TearDown() override { SimulatedCamera::Reset(); }
    VideoDeviceInfo info_;
};

TEST_F(SimulatedCameraTest, ListsBothIdentities) {
    const auto list = SimulatedCamera::Registry().CaptureDevices();
    EXPECT_EQ((*list)[0].vendorId, kSimulatedVendorId);
    EXPECT_EQ((*list)[0].productId, kSimulatedDocumentProductId);
    EXPECT_EQ((*list)[1].productId, kSimulatedPortraitProductId);
    const auto formats = SimulatedCamera::DefaultDocumentFormats();
    EXPECT_EQ(formats.front(), (CaptureFormat{kFourCcYuyv, 640, 480}));
    EXPECT_EQ(formats.back(), (CaptureFormat{kFourCcMjpg, 3264, 2448}));
}

// Streams `format` until the first frame arrives; an empty matrix when none
// comes.
cv::Mat FirstFrame(CaptureDevice& device, const CaptureFormat& format) {
    std::mutex lock;
    cv::Mat first;
    const bool started = device.Start(
        format,
        [&](const FrameSample& s) {
            std::lock_guard l(lock);
            if (first.empty()) {
                first = cv::Mat(-s.height, s.width, CV_8UC3, const_cast<uint8_t*>(s.data), s.stride)
                            .clone();
            }
        },
        nullptr);
    if (started) {
        WaitUntil([&] {
            std::lock_guard l(lock);
            return !first.empty();
        });
    }
    device.Stop();
    return first;
}

TEST_F(SimulatedCameraTest, QueuedFramesArriveThroughBothFormats) {
    for (uint32_t fourcc : {kFourCcYuyv, kFourCcMjpg}) {
        auto device = SimulatedCamera::OpenDevice(info_);
        ASSERT_TRUE(device);
        cv::Mat red(480, 640, CV_8UC3, cv::Scalar(0, 0, 220));
        SimulatedCamera::QueueFrames(kSimulatedDocumentProductId, {red});
        const cv::Mat first = FirstFrame(*device, {fourcc, 640, 480});
        ASSERT_FALSE(first.empty()) << fourcc;
        EXPECT_LT(cv::norm(first, red, cv::NORM_INF), 12) << fourcc;
    }
}

TEST_F(SimulatedCameraTest, ShowsThePicturesOfTheImageFolder) {
    test::TempDir dir;
    const cv::Mat page(60, 80, CV_8UC3, cv::Scalar(200, 30, 30));
    ASSERT_TRUE(cv::imwrite(dir.File("page.png").toStdString(), page));
    qputenv("ORBISK_CAMERA_IMAGES", dir.Path().toLocal8Bit());
    auto device = SimulatedCamera::OpenDevice(info_);
    const cv::Mat first = FirstFrame(*device, {kFourCcYuyv, 640, 480});
    qunsetenv("ORBISK_CAMERA_IMAGES");
    ASSERT_FALSE(first.empty());
    // The page fills the frame (same aspect ratio) instead of the desk scene.
    EXPECT_LT(cv::norm(first.at<cv::Vec3b>(240, 320), cv::Vec3b(200, 30, 30), cv::NORM_INF), 12);
    EXPECT_LT(cv::norm(first.at<cv::Vec3b>(5, 5), cv::Vec3b(200, 30, 30), cv::NORM_INF), 12);
}

TEST_F(SimulatedCameraTest, ThePagesOfTheImageFolderFollowThePageClock) {
    test::TempDir dir;
    const cv::Vec3b colours[] = {{200, 30, 30}, {30, 200, 30}};
    for (int i = 0; i < 2; ++i) {
        const cv::Mat page(60, 80, CV_8UC3, cv::Scalar(colours[i]));
        ASSERT_TRUE(cv::imwrite(dir.File(QString("page%1.png").arg(i)).toStdString(), page));
    }
    std::atomic<std::chrono::steady_clock::rep> now{0};
    SimulatedCamera::SetPageClock([&] {
        return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(now));
    });
    qputenv("ORBISK_CAMERA_IMAGES", dir.Path().toLocal8Bit());
    auto device = SimulatedCamera::OpenDevice(info_);
    std::mutex lock;
    cv::Mat last;
    ASSERT_TRUE(device->Start(
        {kFourCcYuyv, 640, 480},
        [&](const FrameSample& s) {
            std::lock_guard l(lock);
            cv::Mat(-s.height, s.width, CV_8UC3, const_cast<uint8_t*>(s.data), s.stride)
                .copyTo(last);
        },
        nullptr));
    auto centre = [&] {
        std::lock_guard l(lock);
        return last.empty() ? cv::Vec3b() : last.at<cv::Vec3b>(240, 320);
    };
    auto shows = [&](const cv::Vec3b& colour) {
        return WaitUntil([&] { return cv::norm(centre(), colour, cv::NORM_INF) < 12; });
    };
    EXPECT_TRUE(shows(colours[0]));
    now += std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::seconds(3))
               .count();
    EXPECT_TRUE(shows(colours[1]));
    now += std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::seconds(3))
               .count();
    EXPECT_TRUE(shows(colours[0]));
    device->Stop();
    qunsetenv("ORBISK_CAMERA_IMAGES");
    SimulatedCamera::SetPageClock(nullptr);
}

TEST_F(SimulatedCameraTest, RefusesAFormatItDoesNotOffer) {
    auto device = SimulatedCamera::OpenDevice(info_);
    EXPECT_FALSE(device->Start(
        {kFourCcYuyv, 641, 480}, [](const FrameSample&) {}, nullptr));
}

TEST_F(SimulatedCameraTest, UnplugEndsTheStreamAndIsReported) {
    auto device = SimulatedCamera::OpenDevice(info_);
    std::atomic<int> frames{0}, lost{0};
    ASSERT_TRUE(device->Start(
        {kFourCcYuyv, 640, 480}, [&](const FrameSample&) { ++frames; }, [&] { ++lost; }));
    ASSERT_TRUE(WaitUntil([&] { return frames > 2; }));
    SimulatedCamera::Unplug(kSimulatedDocumentProductId);
    ASSERT_TRUE(WaitUntil([&] { return lost == 1; }));
    EXPECT_FALSE(device->IsStreaming());
    device->Stop();
    EXPECT_EQ(SimulatedCamera::Registry().CaptureDevices()->size(), 1u);
    EXPECT_FALSE(SimulatedCamera::OpenDevice(info_));

    SimulatedCamera::Plug(kSimulatedDocumentProductId);
    auto again = SimulatedCamera::OpenDevice(info_);
    ASSERT_TRUE(again);
    frames = 0;
    ASSERT_TRUE(again->Start(
        {kFourCcMjpg, 640, 480}, [&](const FrameSample&) { ++frames; }, nullptr));
    EXPECT_TRUE(WaitUntil([&] { return frames > 0; }));
    again->Stop();
    EXPECT_EQ(lost, 1);
}

TEST_F(SimulatedCameraTest, ButtonPressesReachTheWatcher) {
    auto device = SimulatedCamera::OpenDevice(info_);
    std::atomic<int> presses{0};
    ASSERT_TRUE(device->WatchButton([&] { ++presses; }));
    SimulatedCamera::PressButton(kSimulatedDocumentProductId);
    SimulatedCamera::PressButton(kSimulatedDocumentProductId);
    EXPECT_TRUE(WaitUntil([&] { return presses == 2; }));
    EXPECT_TRUE(SimulatedCamera::ButtonWatched(kSimulatedDocumentProductId));
    // Unwatching joins the reader: the old handler can't run any more, and
    // a press has nowhere to go.
    device->UnwatchButton();
    EXPECT_FALSE(SimulatedCamera::ButtonWatched(kSimulatedDocumentProductId));
    SimulatedCamera::PressButton(kSimulatedDocumentProductId);
    EXPECT_EQ(presses, 2);
}

}  // namespace
}  // namespace orbisk::platform
