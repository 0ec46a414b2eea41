#pragma once

// The orientation thread's tests: a stub detector, and the main window on the simulated
// camera pair with page orientation on.

#include "app/main_dlg/orbisk_dlg.h"
#include "app/main_dlg/orientation_thread.h"
#include "core/branding_writer.h"
#include "platform/simulated_camera.h"
#include "platform/simulated_camera_id.h"
#include "tests/app/fake_camera.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace orbisk::test {

// What the thread did, in order: "frame" for each frame taken, "detect" for each detection.
class EventLog {
  public:
    void Add(const std::string& e) {
        std::lock_guard lock(mutex_);
        events_.push_back(e);
    }
    std::vector<std::string> Events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    long Count(const std::string& e) const {
        const auto all = Events();
        return std::count(all.begin(), all.end(), e);
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
};

// A detector that answers from a list (the last answer repeats; -1: no decision), and can
// hold a detection until it is let go.
struct StubDetector : IOrientationDetector {
    struct Shared {
        bool initializes = true;
        std::vector<int> answers{-1};
        EventLog* log = nullptr;
        std::vector<cv::Mat> pages;  // what it was given
        std::mutex mutex;
        std::condition_variable cv;
        bool hold = false;
        bool inside = false;
        long detections = 0;
    };
    explicit StubDetector(std::shared_ptr<Shared> s) : s_(std::move(s)) {}
    bool Initialize(const std::string&) override { return s_->initializes; }
    bool Detect(const cv::Mat& page, int* angle) override {
        std::unique_lock lock(s_->mutex);
        if (s_->log) s_->log->Add("detect");
        s_->inside = true;
        s_->cv.notify_all();
        s_->cv.wait(lock, [&] { return !s_->hold; });
        s_->inside = false;
        s_->pages.push_back(page.clone());
        const size_t i = std::min(static_cast<size_t>(s_->detections), s_->answers.size() - 1);
        ++s_->detections;
        *angle = s_->answers[i];
        return *angle >= 0;
    }
    std::shared_ptr<Shared> s_;
};

inline OrientationDetectorFactory StubFactory(std::shared_ptr<StubDetector::Shared> shared) {
    return [shared] { return std::make_unique<StubDetector>(shared); };
}

// The main window on the simulated camera pair, its orientation thread on a stub detector.
class OrientationWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        qputenv("ORBISK_CAMERA", "simulated");
        platform::SimulatedCamera::Reset();
        BrandingContents branding;
        branding.logo = QImage(20, 10, QImage::Format_RGB888);
        branding.logo.fill(Qt::darkBlue);
        branding.deviceEntries = {QString::fromLatin1(platform::kSimulatedDeviceEntry)};
        ASSERT_TRUE(WriteBytes(dir_.File("data.dat"), EncodeBrandingFile(branding)));
    }
    void TearDown() override {
        qunsetenv("ORBISK_CAMERA");
        qunsetenv("ORBISK_CAMERA_IMAGES");
        platform::SimulatedCamera::Reset();
    }

    std::unique_ptr<COrbiskDlg> Start(const QString& ini, OrientationDetectorFactory detector,
                                      const QString& templatePath = QString(),
                                      QSize frame = {640, 480}) {
        WriteBytes(dir_.File("Sys.ini"),
                   (ini + QStringLiteral("[IMAGE]\nDOCCHECK=TRUE\nDocCamWidth=%2\n"
                                         "DocCamHeight=%3\n[FILE]\nFOLDPATH=%1/images\n")
                              .arg(dir_.Path())
                              .arg(frame.width())
                              .arg(frame.height()))
                       .toUtf8());
        StartupEnvironment env = StartupEnvironment::Program();
        env.brandingPath = dir_.File("data.dat");
        env.settingsPath = dir_.File("Sys.ini");
        env.messages = [](const QString&, QMessageBox::Icon) {};
        env.splashMilliseconds = 0;
        env.playSound = [](const QString&) {};
        env.orientationDetector = std::move(detector);
        env.orientationTemplate = templatePath;
        bool completed = false;
        auto dlg = StartMainWindow(std::move(env), completed);
        EXPECT_TRUE(completed);
        return dlg;
    }

    TempDir dir_;
    std::shared_ptr<StubDetector::Shared> stub_ = std::make_shared<StubDetector::Shared>();
};

}  // namespace orbisk::test
