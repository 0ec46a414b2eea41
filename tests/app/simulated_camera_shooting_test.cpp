// Smart continuous shooting on the simulated document camera while it shows
// a folder of pages in turn, each for three seconds.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/continuous_shoot/continuous_shoot_dlg.h"
#include "app/continuous_shoot/shoot_camera.h"
#include "platform/capture_device.h"
#include "platform/simulated_camera.h"
#include "platform/simulated_camera_id.h"
#include "tests/support/message_log.h"
#include "tests/support/scene_generator.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

namespace orbisk {
namespace {

using namespace std::chrono_literals;
using platform::SimulatedCamera;
using Posted = test::MessageLog::Posted;

// The last frame of a streaming capture device, as the preview would hold it.
class StreamedCamera : public IShootCamera {
  public:
    bool Start(platform::CaptureDevice& device, const platform::CaptureFormat& format) {
        return device.Start(
            format,
            [this](const platform::FrameSample& s) {
                const cv::Mat rows(std::abs(s.height), s.width, CV_8UC3,
                                   const_cast<uint8_t*>(s.data), s.stride);
                std::lock_guard lock(mutex_);
                if (s.height < 0) {
                    rows.copyTo(last_);
                } else {
                    cv::flip(rows, last_, 0);
                }
            },
            nullptr);
    }
    bool HasCamera() override { return true; }
    cv::Mat CurrentFrame() override {
        std::lock_guard lock(mutex_);
        return last_.clone();
    }

  private:
    std::mutex mutex_;
    cv::Mat last_;
};

TEST(SimulatedCameraShooting, EachPageOfTheFolderIsRequestedOnce) {
    constexpr int kPages = 3;
    constexpr auto kPageTime = 3s;  // the simulated camera's
    const cv::Size size(1600, 1200);
    test::TempDir folder;
    for (int page = 0; page < kPages; ++page) {
        test::SceneOptions options;
        options.size = size;
        options.seed = 40 + page;
        options.pages = {
            {.centre = {700.0f + 100 * page, 600}, .size = {760, 980}, .angle = -4.0f + 4 * page}};
        ASSERT_TRUE(cv::imwrite(folder.File(QString("page%1.png").arg(page)).toStdString(),
                                test::MakeScene(options).image));
    }

    SimulatedCamera::Reset();
    SimulatedCamera::SetFrameRate(10);
    qputenv("ORBISK_CAMERA_IMAGES", folder.Path().toLocal8Bit());
    const auto devices = SimulatedCamera::Registry().CaptureDevices();
    ASSERT_TRUE(devices && !devices->empty());
    auto device = SimulatedCamera::OpenDevice(devices->front());
    ASSERT_TRUE(device);
    StreamedCamera camera;
    const auto streamed = std::chrono::steady_clock::now();
    ASSERT_TRUE(camera.Start(*device, {platform::kFourCcYuyv, size.width, size.height}));
    // The stream reads the folder before its first frame.
    const bool streaming = test::WaitUntil([&] { return !camera.CurrentFrame().empty(); });
    qunsetenv("ORBISK_CAMERA_IMAGES");
    ASSERT_TRUE(streaming);

    test::MessageLog owner;
    CContinuousShootDlg dialog(&owner, 5.0f, 2);
    dialog.SetCamera(&camera);
    // Shorter cycles than the usual 800 ms keep the test short; a page still
    // needs three still frames, which it gets well within its three seconds.
    dialog.SetInspectionPeriod(200ms);
    dialog.OnStart();
    // Stop before the first page comes round again.
    test::WaitUntil([] { return false; },
                    std::chrono::duration_cast<std::chrono::milliseconds>(
                        streamed + kPages * kPageTime - 700ms - std::chrono::steady_clock::now()));
    dialog.OnStop();
    device->Stop();
    SimulatedCamera::Reset();
    QCoreApplication::processEvents();

    std::vector<Posted> expected(kPages, {platform::WM_SHOOT_REQUEST, 0, 0});
    expected.push_back({platform::WM_SHOOT_REQUEST, 1, 0});
    EXPECT_EQ(owner.posted, expected);
    EXPECT_EQ(dialog.ShotCount(), kPages);
}

}  // namespace
}  // namespace orbisk
