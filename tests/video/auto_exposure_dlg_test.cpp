#include "video/dialogs/auto_exposure_dlg.h"

#include <gtest/gtest.h>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QProgressBar>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace orbisk {
namespace {

// A camera whose picture has the grey value `brightness` gives at each
// exposure; it logs the exposures set.
struct FakeExposureCamera : IAutoExposureCamera {
    int minimum = -13, maximum = -1, value = -5;
    int rangeResult = 0, readResult = 0;
    std::function<int(int)> brightness = [](int) { return 190; };
    std::vector<int> set;
    std::function<void(int)> onSet;

    int GetExposureRange(int& lo, int& hi) override {
        lo = minimum, hi = maximum;
        return rangeResult;
    }
    int GetExposure(int& v) override {
        v = value;
        return readResult;
    }
    int SetExposure(int v) override {
        set.push_back(v);
        value = v;
        if (onSet) onSet(v);
        return 0;
    }
    cv::Mat GetFrame() override {
        const int b = brightness(value);
        if (b < 0) return {};
        return cv::Mat(40, 40, CV_8UC3, cv::Scalar(b, b, b));
    }
};

constexpr CAutoExposureDlg::Timing kInstant{
    std::chrono::milliseconds(0), std::chrono::milliseconds(0), std::chrono::milliseconds(0)};

struct DialogRun {
    int result = -1;
    std::vector<QString> messages;
    int trials = 0;
    int chosen = 0;
    int progressMax = 0;
};

DialogRun RunDialog(std::shared_ptr<FakeExposureCamera>& camera) {
    CAutoExposureDlg dlg(camera, nullptr, kInstant);
    DialogRun run;
    dlg.SetMessageSink([&](const QString& text) { run.messages.push_back(text); });
    // A fault must not hang the test.
    QTimer::singleShot(10000, &dlg, [&] { dlg.done(-2); });
    run.result = dlg.exec();
    run.trials = dlg.Trials();
    run.chosen = dlg.m_nExposure;
    run.progressMax = dlg.Progress()->maximum();
    return run;
}

TEST(AutoExposureDlg, TriesFourStepsUpAndEightDownFromMinusFive) {
    auto camera = std::make_shared<FakeExposureCamera>();
    const DialogRun run = RunDialog(camera);
    EXPECT_EQ(run.result, QDialog::Accepted);
    EXPECT_EQ(run.progressMax, 13);
    EXPECT_EQ(run.trials, 1 + 4 + 8);
    // Every distance equal: each trial becomes the best; the last is -13.
    EXPECT_EQ(camera->set,
              std::vector<int>({-4, -3, -2, -1, -6, -7, -8, -9, -10, -11, -12, -13, -13}));
    EXPECT_EQ(run.chosen, -13);
}

struct StopCase {
    const char* name;
    std::map<int, int> brightness;  // by exposure; 100 elsewhere
    std::vector<int> tried;
    int chosen;
};

class AutoExposureStopRule : public testing::TestWithParam<StopCase> {};

TEST_P(AutoExposureStopRule, StopsAndChooses) {
    const StopCase& c = GetParam();
    auto camera = std::make_shared<FakeExposureCamera>();
    camera->brightness = [&c](int v) {
        const auto it = c.brightness.find(v);
        return it == c.brightness.end() ? 100 : it->second;
    };
    const DialogRun run = RunDialog(camera);
    EXPECT_EQ(run.result, QDialog::Accepted);
    std::vector<int> tried = camera->set;
    ASSERT_FALSE(tried.empty());
    tried.pop_back();  // the best, set at the end
    EXPECT_EQ(tried, c.tried);
    EXPECT_EQ(run.chosen, c.chosen);
    EXPECT_EQ(camera->set.back(), c.chosen);
}

INSTANTIATE_TEST_SUITE_P(Cases, AutoExposureStopRule,
                         testing::Values(
                             // Passing 190 and getting farther ends the upward search; the downward
                             // one ends below 190 and farther.
                             StopCase{"past_the_target_ends_each_direction",
                                      {{-5, 150}, {-4, 170}, {-3, 190}, {-2, 210}, {-6, 130}},
                                      {-4, -3, -2, -6},
                                      -3},
                             // Below 190 and farther does not end the upward search, and becomes
                             // the best with its larger distance.
                             StopCase{"farther_below_the_target_still_becomes_best",
                                      {{-5, 180},
                                       {-4, 170},
                                       {-3, 160},
                                       {-2, 150},
                                       {-1, 140},
                                       {-6, 185},
                                       {-7, 189},
                                       {-8, 170}},
                                      {-4, -3, -2, -1, -6, -7, -8},
                                      -7},
                             // No frame: that trial is skipped, the search goes on.
                             StopCase{"an_empty_frame_is_skipped",
                                      {{-5, 170}, {-4, -1}, {-3, 185}, {-2, 230}, {-6, 120}},
                                      {-4, -3, -2, -6},
                                      -3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AutoExposureDlg, FailuresShowTheMessageAndEndTheDialog) {
    for (const bool rangeFails : {true, false}) {
        auto camera = std::make_shared<FakeExposureCamera>();
        (rangeFails ? camera->rangeResult : camera->readResult) = -1;
        const DialogRun run = RunDialog(camera);
        EXPECT_EQ(run.result, QDialog::Rejected) << rangeFails;
        ASSERT_EQ(run.messages.size(), 1u);
        EXPECT_EQ(run.messages[0], QString::fromUtf8("软件自动控制曝光失败！"));
        EXPECT_TRUE(camera->set.empty());
    }
}

TEST(AutoExposureDlg, EmptyFramesThroughoutKeepTheStartingValue) {
    auto camera = std::make_shared<FakeExposureCamera>();
    camera->brightness = [](int) { return -1; };
    const DialogRun run = RunDialog(camera);
    EXPECT_EQ(run.result, QDialog::Accepted);
    EXPECT_EQ(run.chosen, -5);
}

TEST(AutoExposureDlg, ACameraThatGoesMidRunEndsTheDialog) {
    auto camera = std::make_shared<FakeExposureCamera>();
    std::shared_ptr<FakeExposureCamera> owner = camera;
    // The owner lets go of it (an unplug) while a step settles.
    camera->onSet = [&](int v) {
        if (v == -3) QTimer::singleShot(0, [&] { owner.reset(); });
    };
    std::weak_ptr<IAutoExposureCamera> weak = camera;
    camera.reset();
    CAutoExposureDlg dlg(weak, nullptr, kInstant);
    QTimer::singleShot(10000, &dlg, [&] { dlg.done(-2); });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    EXPECT_EQ(owner, nullptr);
}

// Runs what is still queued for the dialog; every step is a zero-time timer.
void RunPendingSteps() {
    for (int i = 0; i < 100; ++i) QCoreApplication::processEvents();
}

struct WindowCloseCase {
    const char* name;
    std::function<void(CAutoExposureDlg&)> close;
};

std::ostream& operator<<(std::ostream& out, const WindowCloseCase& c) { return out << c.name; }

class AutoExposureWindowClose : public testing::TestWithParam<WindowCloseCase> {};

// The close box and Alt+F4 are the dialog's cancel, which it ignores like
// Esc: the calibration goes on to the best value and ends the dialog itself.
TEST_P(AutoExposureWindowClose, IsIgnoredAndTheCalibrationFinishes) {
    auto camera = std::make_shared<FakeExposureCamera>();
    camera->brightness = [](int v) { return v == -7 ? 190 : 100; };
    CAutoExposureDlg dlg(camera, nullptr, kInstant);
    bool visibleAfterClose = false;
    camera->onSet = [&](int v) {
        if (v != -4) return;
        QTimer::singleShot(0, &dlg, [&] {
            GetParam().close(dlg);
            visibleAfterClose = dlg.isVisible();
        });
    };
    QTimer::singleShot(10000, &dlg, [&] { dlg.done(-2); });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_TRUE(visibleAfterClose);
    RunPendingSteps();
    EXPECT_EQ(camera->set, std::vector<int>({-4, -3, -2, -1, -6, -7, -8, -7}));
    EXPECT_EQ(dlg.m_nExposure, -7);
}

INSTANTIATE_TEST_SUITE_P(Ways, AutoExposureWindowClose,
                         testing::Values(WindowCloseCase{"close",
                                                         [](CAutoExposureDlg& d) { d.close(); }},
                                         WindowCloseCase{"close_event",
                                                         [](CAutoExposureDlg& d) {
                                                             QCloseEvent event;
                                                             QCoreApplication::sendEvent(&d,
                                                                                         &event);
                                                         }},
                                         // As the window manager's close does it.
                                         WindowCloseCase{"window_close",
                                                         [](CAutoExposureDlg& d) {
                                                             ASSERT_NE(d.windowHandle(), nullptr);
                                                             d.windowHandle()->close();
                                                         }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AutoExposureDlg, EndedByItsOwnerItSetsNoFurtherStep) {
    auto camera = std::make_shared<FakeExposureCamera>();
    CAutoExposureDlg dlg(camera, nullptr, kInstant);
    camera->onSet = [&](int v) {
        if (v == -3) QTimer::singleShot(0, &dlg, [&] { dlg.reject(); });
    };
    QTimer::singleShot(10000, &dlg, [&] { dlg.done(-2); });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    RunPendingSteps();
    EXPECT_EQ(camera->set, std::vector<int>({-4, -3}));
}

TEST(AutoExposureDlg, WithoutACameraItCloses) {
    CAutoExposureDlg dlg(std::weak_ptr<IAutoExposureCamera>(), nullptr, kInstant);
    QTimer::singleShot(10000, &dlg, [&] { dlg.done(-2); });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
}

}  // namespace
}  // namespace orbisk
