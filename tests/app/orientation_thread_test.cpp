// The page-orientation thread: its loop with a stub detector, and the main window that
// starts it, applies its results and stops it, on the simulated camera.

#include "app/main_dlg/orientation_thread.h"
#include "app/main_dlg/orbisk_dlg.h"
#include "platform/window_messages.h"
#include "recognition/doc_ocr.h"
#include "tests/app/orientation_fixture.h"
#include "tests/support/main_window/fake_camera.h"
#include "tests/support/message_log.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFile>
#include <opencv2/imgproc.hpp>

#include <future>
#include <string>
#include <vector>

namespace orbisk {
namespace {

using namespace std::chrono_literals;
using Posted = test::MessageLog::Posted;
using test::EventLog;
using test::OrientationWindowTest;
using test::StubDetector;
using test::StubFactory;

// The loop on a thread of its own, with a fake camera and a window that records.
class OrientationLoopTest : public testing::Test {
  protected:
    OrientationLoopTest() {
        cameras_.frame = [this] {
            log_.Add("frame");
            return cv::Mat(48, 64, CV_8UC3, cv::Scalar(200, 200, 200));
        };
        camera_ = cameras_.Factory()(false, 0);
        stub_->log = &log_;
    }
    ~OrientationLoopTest() override { thread_.Stop(); }

    void Start(CameraPort* camera, OrientationDetectorFactory detector,
               std::chrono::milliseconds period = 1ms, const std::string& path = "unused") {
        shared_ = std::make_shared<OrientationCamera>(camera);
        thread_.Start([shared = shared_, detector, path, period,
                       window = &window_](platform::WorkerThread::Context& c) {
            RunOrientation(c, *shared, detector, path, window, period);
        });
    }
    bool Ended() {
        return test::WaitUntil([&] { return !thread_.Running(); }) && !window_.posted.empty();
    }

    test::FakeCameras cameras_;
    std::unique_ptr<CameraPort> camera_;
    EventLog log_;
    std::shared_ptr<StubDetector::Shared> stub_ = std::make_shared<StubDetector::Shared>();
    std::shared_ptr<OrientationCamera> shared_;
    test::MessageLog window_;
    platform::WorkerThread thread_;
};

const Posted kEnded{platform::WM_ORIENTATION_RESULT, 0, 0};

struct TemplateCase {
    const char* name;
    QByteArray contents;  // null: no file
};

class UnusableTemplateTest : public OrientationLoopTest,
                             public testing::WithParamInterface<TemplateCase> {};

TEST_P(UnusableTemplateTest, EndsTheThreadWithItsEndAndLooksAtNoFrame) {
    test::TempDir dir;
    const QString path = dir.File("OCR_RLDA_LN_Gra.tpl");
    if (!GetParam().contents.isNull()) {
        ASSERT_TRUE(test::WriteBytes(path, GetParam().contents));
    }
    Start(camera_.get(), MakeDocOcrDetector, 1ms, QFile::encodeName(path).toStdString());
    ASSERT_TRUE(Ended());
    EXPECT_EQ(window_.posted, std::vector<Posted>{kEnded});
    EXPECT_EQ(log_.Count("frame"), 0);
    EXPECT_TRUE(shared_->endedByItself);
}

// A record: rows, cols, type (little-endian), then the bytes.
QByteArray TextRecord(const QByteArray& text) {
    QByteArray r;
    for (const int v : {1, static_cast<int>(text.size()), 1}) {
        for (int b = 0; b < 4; ++b) r.append(static_cast<char>(v >> (8 * b)));
    }
    return r + text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnusableTemplateTest,
    testing::Values(TemplateCase{"Missing", QByteArray()}, TemplateCase{"Empty", QByteArray("")},
                    TemplateCase{"Garbage", QByteArray("\x13\x37not a template at all", 22)},
                    TemplateCase{"OtherKind", TextRecord("NEW:SOMETHING")},
                    TemplateCase{"ClassWithoutRecords",
                                 TextRecord("NEW:RLDA_PLUS_MQDF") + TextRecord("+ab")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OrientationLoopTest, NoCameraEndsTheThreadWithItsEnd) {
    Start(nullptr, StubFactory(stub_));
    ASSERT_TRUE(Ended());
    EXPECT_EQ(window_.posted, std::vector<Posted>{kEnded});
    EXPECT_EQ(stub_->detections, 0);
}

TEST_F(OrientationLoopTest, ACameraThatGoesEndsTheThreadAndIsNotTouchedAgain) {
    Start(camera_.get(), StubFactory(stub_));
    ASSERT_TRUE(test::WaitUntil([&] { return log_.Count("frame") >= 3; }));
    shared_->Clear();
    const long frames = log_.Count("frame");
    camera_.reset();  // gone, as an unplug deletes its controller
    ASSERT_TRUE(Ended());
    EXPECT_EQ(window_.posted, std::vector<Posted>{kEnded});
    EXPECT_LE(log_.Count("frame"), frames);
}

TEST_F(OrientationLoopTest, PostsEachDecisionAndSkipsTheCycleAfterIt) {
    stub_->answers = {-1, 90, 180, -1, 0};
    Start(camera_.get(), StubFactory(stub_));
    ASSERT_TRUE(test::WaitUntil([&] { return window_.posted.size() >= 3; }));
    thread_.Stop();
    const std::vector<Posted> first(window_.posted.begin(), window_.posted.begin() + 3);
    EXPECT_EQ(first, (std::vector<Posted>{{platform::WM_ORIENTATION_RESULT, 1, 90},
                                          {platform::WM_ORIENTATION_RESULT, 1, 180},
                                          {platform::WM_ORIENTATION_RESULT, 1, 0}}));
    // After a detection that decided, one frame is taken and not examined.
    const auto events = log_.Events();
    for (long n = 0, i = 0; i < static_cast<long>(events.size()); ++i) {
        if (events[i] != "detect") continue;
        const bool decided = stub_->answers[std::min<size_t>(n++, stub_->answers.size() - 1)] >= 0;
        if (!decided || i + 2 >= static_cast<long>(events.size())) continue;
        EXPECT_EQ(events[i + 1], "frame") << "event " << i;
        EXPECT_EQ(events[i + 2], "frame") << "event " << i;
    }
}

TEST_F(OrientationLoopTest, AStopWakesTheWaitAtOnce) {
    Start(camera_.get(), StubFactory(stub_), 1h);
    auto stopped = std::async(std::launch::async, [&] { thread_.Stop(); });
    EXPECT_EQ(stopped.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(window_.posted.empty());
}

TEST_F(OrientationLoopTest, AStopDuringADetectionWaitsForItAndDetectsNoMore) {
    stub_->hold = true;
    Start(camera_.get(), StubFactory(stub_));
    {
        std::unique_lock lock(stub_->mutex);
        ASSERT_TRUE(stub_->cv.wait_for(lock, 5s, [&] { return stub_->inside; }));
    }
    auto stopped = std::async(std::launch::async, [&] { thread_.Stop(); });
    // It cannot end while the detection runs.
    EXPECT_EQ(stopped.wait_for(20ms), std::future_status::timeout);
    {
        std::lock_guard lock(stub_->mutex);
        stub_->hold = false;
    }
    stub_->cv.notify_all();
    EXPECT_EQ(stopped.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(stub_->detections, 1);
    EXPECT_TRUE(window_.posted.empty());
}

TEST(OrientationResultTest, TurnsThePictureBackByTheAngleFound) {
    EXPECT_EQ(RotationAfterOrientation(0, 0), 0);
    EXPECT_EQ(RotationAfterOrientation(0, 90), 270);
    EXPECT_EQ(RotationAfterOrientation(90, 180), 270);
    EXPECT_EQ(RotationAfterOrientation(270, 270), 0);
    EXPECT_EQ(RotationAfterOrientation(0, 45), -1);
    EXPECT_EQ(RotationAfterOrientation(0, -90), -1);
}

// The quarter turn of `from` that looks most like `to`, compared blurred and small.
int TurnBetween(const cv::Mat& from, const cv::Mat& to) {
    auto look = [](const cv::Mat& m) {
        cv::Mat grey, small;
        cv::cvtColor(m, grey, cv::COLOR_BGR2GRAY);
        cv::resize(grey, small, {64, 64}, 0, 0, cv::INTER_AREA);
        cv::GaussianBlur(small, small, {0, 0}, 2.0);
        return small;
    };
    const cv::Mat target = look(to);
    const cv::Mat turns[4] = {from, RotateMat90(from), RotateMat180(from), RotateMat270(from)};
    int best = -1;
    double bestDifference = 0;
    for (int i = 0; i < 4; ++i) {
        const double d = cv::norm(look(turns[i]), target, cv::NORM_L1);
        if (best < 0 || d < bestDifference) {
            best = i;
            bestDifference = d;
        }
    }
    return best * 90;
}

TEST_F(OrientationWindowTest, AnUpsideDownPageTurnsThePreviewOnceAndTheStoredRotationStays) {
    stub_->answers = {180, 0};
    auto dlg = Start(QStringLiteral("[OTHER]\nROTATION=90\n"), StubFactory(stub_));
    ASSERT_TRUE(dlg);
    ASSERT_TRUE(dlg->OrientationRunning());
    ASSERT_TRUE(test::WaitUntil([&] { return dlg->DocRotation() == 270; }));
    // Three more detections, all upright: nothing more turns.
    const long seen = [&] {
        std::lock_guard lock(stub_->mutex);
        return stub_->detections;
    }();
    ASSERT_TRUE(test::WaitUntil([&] {
        std::lock_guard lock(stub_->mutex);
        return stub_->detections >= seen + 3;
    }));
    EXPECT_EQ(dlg->DocRotation(), 270);
    {
        // The pages examined after the result show the first one turned half a turn.
        std::lock_guard lock(stub_->mutex);
        EXPECT_EQ(TurnBetween(stub_->pages.front(), stub_->pages.back()), 180);
    }
    dlg->DestroyWindow();
    EXPECT_FALSE(dlg->OrientationRunning());
    EXPECT_EQ(test::StoredSettings(dir_.File("Sys.ini")).ROTATION, 90);
}

TEST_F(OrientationWindowTest, AnUnusableTemplateClearsTheThreadAndALaterStartWorks) {
    // The first detector cannot load its template; the next one can.
    int made = 0;
    auto dlg = Start(
        QString(),
        [&made, stub = stub_]() -> std::unique_ptr<IOrientationDetector> {
            if (made++ == 0) return MakeDocOcrDetector();
            return std::make_unique<StubDetector>(stub);
        },
        dir_.File("missing.tpl"));
    ASSERT_TRUE(dlg);
    ASSERT_TRUE(
        test::WaitUntil([&] { return !dlg->OrientationRunning() && !dlg->OrientationJoinable(); }));
    EXPECT_EQ(dlg->DocRotation(), 0);
    dlg->StartOrientation();
    EXPECT_TRUE(dlg->OrientationRunning());
    ASSERT_TRUE(test::WaitUntil([&] {
        std::lock_guard lock(stub_->mutex);
        return stub_->detections >= 2;
    }));
    EXPECT_TRUE(dlg->OrientationRunning());
    dlg->DestroyWindow();
}

TEST_F(OrientationWindowTest, AResultAfterTheCameraWentTurnsNothing) {
    auto dlg = Start(QString(), StubFactory(stub_));
    ASSERT_TRUE(dlg);
    // Posted while the camera was still there, delivered after it went.
    platform::PostWindowMessage(dlg.get(), platform::WM_ORIENTATION_RESULT, 1, 90);
    dlg->DestroyWindow();
    ASSERT_EQ(dlg->DocCamera(), nullptr);
    QCoreApplication::processEvents();
    qintptr result = -1;
    EXPECT_TRUE(dlg->OnWindowMessage(platform::WM_ORIENTATION_RESULT, 1, 180, result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dlg->DocRotation(), 0);
}

}  // namespace
}  // namespace orbisk
