#pragma once

// The orientation thread's tests: a stub detector, and the main window on the simulated
// camera pair with page orientation on.

#include "app/main_dlg/orbisk_dlg.h"
#include "app/main_dlg/orientation_thread.h"
#include "platform/simulated_camera.h"
#include "platform/simulated_camera_id.h"
#include "tests/support/main_window/main_window_test.h"

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
class OrientationWindowTest : public MainWindowTest {
  protected:
    std::unique_ptr<COrbiskDlg> Start(const QString& ini, OrientationDetectorFactory detector,
                                      const QString& templatePath = QString(),
                                      QSize frame = {640, 480}) {
        UseSimulatedCamera();
        env_.orientationDetector = std::move(detector);
        env_.orientationTemplate = templatePath;
        auto dlg = StartWindow(ini + QStringLiteral("[IMAGE]\nDOCCHECK=TRUE\nDocCamWidth=%1\n"
                                                    "DocCamHeight=%2\n")
                                         .arg(frame.width())
                                         .arg(frame.height()));
        EXPECT_TRUE(completed_);
        return dlg;
    }

    std::shared_ptr<StubDetector::Shared> stub_ = std::make_shared<StubDetector::Shared>();
};

}  // namespace orbisk::test
