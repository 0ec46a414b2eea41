// Smart continuous shooting on the simulated document camera while it shows
// a folder of pages in turn, each for three seconds.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <atomic>
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

// The owner of the dialog: its messages, and what the camera shows as each
// shot request arrives.
class RequestLog : public test::MessageLog {
  public:
    explicit RequestLog(StreamedCamera& camera) : camera_(camera) {}
    bool event(QEvent* e) override {
        const bool handled = test::MessageLog::event(e);
        if (e->type() == platform::WindowMessageEvent::Type() && !posted.empty() &&
            posted.back() == Posted{platform::WM_SHOOT_REQUEST, 0, 0}) {
            shown.push_back(camera_.CurrentFrame());
        }
        return handled;
    }
    std::vector<cv::Mat> shown;

  private:
    StreamedCamera& camera_;
};

// Small grey copies of two pictures differ by more than noise.
bool Differ(const cv::Mat& a, const cv::Mat& b) {
    cv::Mat sa, sb;
    cv::resize(a, sa, {64, 48}, 0, 0, cv::INTER_AREA);
    cv::resize(b, sb, {64, 48}, 0, 0, cv::INTER_AREA);
    return cv::norm(sa, sb, cv::NORM_L1) / static_cast<double>(sa.total()) > 10;
}

TEST(SimulatedCameraShooting, EachPageOfTheFolderIsRequestedOnce) {
    constexpr int kPages = 3;
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
    // The next page is laid down once the last one has its request.
    const auto origin = std::chrono::steady_clock::now();
    auto shownPage = std::make_shared<std::atomic<int>>(0);
    SimulatedCamera::SetPageClock([origin, shownPage] { return origin + shownPage->load() * 3s; });
    qputenv("ORBISK_CAMERA_IMAGES", folder.Path().toLocal8Bit());
    const auto devices = SimulatedCamera::Registry().CaptureDevices();
    ASSERT_TRUE(devices && !devices->empty());
    auto device = SimulatedCamera::OpenDevice(devices->front());
    ASSERT_TRUE(device);
    StreamedCamera camera;
    ASSERT_TRUE(camera.Start(*device, {platform::kFourCcYuyv, size.width, size.height}));
    // The stream reads the folder before its first frame.
    const bool streaming = test::WaitUntil([&] { return !camera.CurrentFrame().empty(); });
    qunsetenv("ORBISK_CAMERA_IMAGES");
    ASSERT_TRUE(streaming);

    RequestLog owner(camera);
    CContinuousShootDlg dialog(&owner, 5.0f, 2);
    dialog.SetCamera(&camera);
    // Shorter cycles than the usual 800 ms keep the test short.
    dialog.SetInspectionPeriod(200ms);
    dialog.OnStart();
    const bool requested = test::WaitUntil(
        [&] {
            const int requests = static_cast<int>(owner.Count(platform::WM_SHOOT_REQUEST));
            shownPage->store(std::min(requests, kPages - 1));
            return requests >= kPages;
        },
        5min);
    dialog.OnStop();
    device->Stop();
    SimulatedCamera::Reset();
    QCoreApplication::processEvents();

    EXPECT_TRUE(requested);
    std::vector<Posted> expected(kPages, {platform::WM_SHOOT_REQUEST, 0, 0});
    expected.push_back({platform::WM_SHOOT_REQUEST, 1, 0});
    EXPECT_EQ(owner.posted, expected);
    EXPECT_EQ(dialog.ShotCount(), kPages);
    // Each request was for another page: none twice.
    ASSERT_EQ(owner.shown.size(), static_cast<std::size_t>(kPages));
    for (int i = 0; i < kPages; ++i) {
        for (int j = i + 1; j < kPages; ++j) {
            EXPECT_TRUE(Differ(owner.shown[std::size_t(i)], owner.shown[std::size_t(j)]))
                << "requests " << i << " and " << j << " show the same page";
        }
    }
}

}  // namespace
}  // namespace orbisk
