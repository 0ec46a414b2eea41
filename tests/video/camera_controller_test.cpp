#include "video/camera_controller.h"

#include "platform/simulated_camera.h"
#include "platform/simulated_camera_id.h"
#include "platform/video_registry.h"
#include "platform/window_messages.h"
#include "tests/support/message_log.h"
#include "tests/support/null_preview.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"
#include "tests/video/asf_probe.h"
#include "video/asf_recorder.h"
#include "video/grab_filter.h"
#include "video/show_video_pro.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace orbisk {
namespace {

using Log = std::vector<std::string>;

// A video source that writes down what it is asked.
class FakeSource : public CVideoBaseClass {
  public:
    FakeSource(Log& log, const int& openResult, IGrabData* grab)
        : log_(log), openResult_(openResult), grab_(grab) {}
    ~FakeSource() override { log_.push_back("source.delete"); }
    HResult Open(const QString&, const QString&, const QString&, QObject*, bool, int) override {
        log_.push_back("source.Open");
        opened_ = openResult_ == 0;
        return openResult_;
    }
    void SetNotify(QObject* window, int message) override {
        log_.push_back(window ? "source.SetNotify(preview " + std::to_string(message) + ")"
                              : "source.SetNotify(none)");
    }
    IGrabData* GetGrabData() override { return opened_ ? grab_ : nullptr; }
    bool Run() override {
        log_.push_back("source.Run");
        return true;
    }
    bool Stop() override {
        log_.push_back("source.Stop");
        return true;
    }
    HResult SetResolution(int, int) override {
        log_.push_back("source.SetResolution");
        return kSOk;
    }

  private:
    Log& log_;
    const int& openResult_;  // read at each open
    IGrabData* grab_;
    bool opened_ = false;
};

// A preview that writes down what it is asked, numbered in creation order.
class FakePreview : public test::NullPreview {
  public:
    FakePreview(Log& log, int number, IGrabData* grab)
        : log_(log), name_("preview" + std::to_string(number)), grab_(grab) {
        Note("new");
    }
    ~FakePreview() override { Note("delete"); }
    QWidget* GetHWnd() override { return &window_; }
    bool Create(QWidget*, int, int, int, int) override {
        Note("Create");
        return createResult;
    }
    bool SetRotation(int degrees) override {
        Note("SetRotation(" + std::to_string(degrees) + ")");
        return true;
    }
    bool SetMargins(int l, int t, int r, int b) override {
        Note("SetMargins(" + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) +
             "," + std::to_string(b) + ")");
        return true;
    }
    void SetAutoDetect(bool on, bool multi, float threshold) override {
        Note("SetAutoDetect(" + std::to_string(on) + "," + std::to_string(multi) + "," +
             std::to_string(threshold).substr(0, 4) + ")");
    }
    void EnableCustomCropBox(bool on) override {
        Note("EnableCustomCropBox(" + std::to_string(on) + ")");
    }
    void RemoveSubImageBox() override { Note("RemoveSubImageBox"); }
    void SetPrimaryFrameSource(IGrabData* source) override {
        Note(source == nullptr ? "SetPrimary(none)" : source == grab_ ? "SetPrimary(grab)" : "?");
    }
    void SetBurnIn(bool on) override { Note("SetBurnIn(" + std::to_string(on) + ")"); }

    bool createResult = true;

  private:
    void Note(const std::string& what) { log_.push_back(name_ + "." + what); }
    Log& log_;
    std::string name_;
    IGrabData* grab_;
    QWidget window_;
};

class FakeRecorder : public IVideoRecorder {
  public:
    FakeRecorder(Log& log, int startResult) : log_(log), startResult_(startResult) {}
    ~FakeRecorder() override { log_.push_back("recorder.delete"); }
    HResult Start(IShowHWnd* preview, const QString&, int, int, int, int) override {
        log_.push_back(preview ? "recorder.Start" : "recorder.Start(none)");
        built_ = true;  // a failing start leaves what it made for Stop
        return startResult_;
    }
    HResult Stop() override {
        log_.push_back("recorder.Stop");
        const bool was = built_;
        built_ = false;
        return was ? kSOk : kSFalse;
    }
    bool IsBuilt() const override { return built_; }

  private:
    Log& log_;
    int startResult_;
    bool built_ = false;
};

// A controller over the fakes; each Open's result is chosen per test.
class ControllerSteps : public testing::Test {
  protected:
    std::unique_ptr<CCameraController> Make() {
        CCameraController::Factories f;
        f.source = [this](int) { return std::make_unique<FakeSource>(log, openResult, &grab); };
        f.preview = [this](bool) { return std::make_unique<FakePreview>(log, ++previews, &grab); };
        f.recorder = [this] { return std::make_unique<FakeRecorder>(log, startResult); };
        return std::make_unique<CCameraController>(1, 0, std::move(f));
    }
    int Open(CCameraController& c) {
        return c.Open(nullptr, "1d6b", "0c01", "", 0, 0, 64, 48, false, 0);
    }

    Log log;
    CGrabDataFilter grab;
    int openResult = 0;
    int startResult = 0;
    int previews = 0;
};

struct OpenCase {
    std::string name;
    int result;
    bool previewBefore;
    Log steps;
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

class ControllerOpen : public ControllerSteps, public testing::WithParamInterface<OpenCase> {};

const std::string kNotify =
    "source.SetNotify(preview " + std::to_string(platform::WM_FRAME_READY) + ")";

TEST_P(ControllerOpen, TakesItsStepsInOrder) {
    const auto& c = GetParam();
    auto controller = Make();
    if (c.previewBefore) {
        ASSERT_EQ(Open(*controller), 0);
    }
    log.clear();
    openResult = c.result;
    // A fresh source for the open under test.
    if (c.previewBefore) {
        controller->SetAutoDetect(true, 0, 0.03f);
        log.clear();
    }
    EXPECT_EQ(Open(*controller), c.result);
    EXPECT_EQ(log, c.steps);
    // A new preview starts without detection; a failed open keeps the old one.
    EXPECT_EQ(controller->IsAutoDetectOn(), c.result < 0);
    EXPECT_EQ(controller->Source() == nullptr, c.result < 0);
}

INSTANTIATE_TEST_SUITE_P(
    Results, ControllerOpen,
    testing::Values(OpenCase{"FirstOpened",
                             0,
                             false,
                             {"source.Open", "source.SetNotify(none)", "preview1.new",
                              "preview1.Create", "preview1.SetPrimary(grab)", kNotify}},
                    OpenCase{"ReopenedReplacesThePreview",
                             0,
                             true,
                             {"source.Stop", "preview1.SetPrimary(none)", "source.Open",
                              "source.SetNotify(none)", "preview1.delete", "preview2.new",
                              "preview2.Create", "preview2.SetPrimary(grab)", kNotify}},
                    OpenCase{"NoDeviceStillGivesAPreviewWithoutFrames",
                             1,
                             true,
                             {"source.Stop", "preview1.SetPrimary(none)", "source.Open",
                              "source.SetNotify(none)", "preview1.delete", "preview2.new",
                              "preview2.Create", "preview2.SetPrimary(none)", kNotify}},
                    OpenCase{"FailedDeletesTheSourceAndKeepsThePreview",
                             static_cast<int>(kEFail),
                             true,
                             {"source.Stop", "preview1.SetPrimary(none)", "source.Open",
                              "source.delete"}}),
    [](const auto& info) { return info.param.name; });

TEST_F(ControllerSteps, RecordingStartAndStop) {
    auto controller = Make();
    EXPECT_EQ(controller->StartRecording("a.asf", 1280, 960, 10, 462500), kEPointer);
    EXPECT_EQ(controller->StopRecording(), kEPointer);
    EXPECT_TRUE(log.empty());  // no preview: no recorder was made

    ASSERT_EQ(Open(*controller), 0);
    log.clear();
    EXPECT_EQ(controller->StartRecording("a.asf", 1280, 960, 10, 462500), kSOk);
    EXPECT_EQ(log, (Log{"preview1.SetBurnIn(1)", "recorder.Start"}));
    log.clear();
    EXPECT_EQ(controller->StopRecording(), kSOk);
    // Burn-in ends before the recording stops.
    EXPECT_EQ(log, (Log{"preview1.SetBurnIn(0)", "recorder.Stop", "recorder.delete"}));
    EXPECT_FALSE(controller->IsRecording());
}

TEST_F(ControllerSteps, FailedRecordingStartLeavesNothingBehind) {
    auto controller = Make();
    ASSERT_EQ(Open(*controller), 0);
    log.clear();
    startResult = -7;
    EXPECT_EQ(controller->StartRecording("a.asf", 1280, 960, 10, 462500), -7);
    EXPECT_EQ(log, (Log{"preview1.SetBurnIn(1)", "recorder.Start", "preview1.SetBurnIn(0)",
                        "recorder.Stop", "recorder.delete"}));
    EXPECT_FALSE(controller->IsRecording());
    EXPECT_EQ(controller->StopRecording(), kEPointer);
}

TEST_F(ControllerSteps, OpenAndDestructionEndARunningRecording) {
    auto controller = Make();
    ASSERT_EQ(Open(*controller), 0);
    ASSERT_EQ(controller->StartRecording("a.asf", 1280, 960, 10, 462500), kSOk);
    log.clear();
    controller.reset();
    EXPECT_EQ(log, (Log{"preview1.SetBurnIn(0)", "recorder.Stop", "recorder.delete",
                        "preview1.RemoveSubImageBox", "source.Stop", "source.SetNotify(none)",
                        "preview1.SetPrimary(none)", "source.delete", "preview1.delete"}));
}

TEST_F(ControllerSteps, RotationMarginsDetectionAndCropBox) {
    auto controller = Make();
    IntRect r{1, 2, 3, 4};
    EXPECT_FALSE(controller->GetCustomCropRect(r));
    EXPECT_EQ(r, IntRect{});
    controller->SetRotation(90);  // no preview: nothing
    ASSERT_EQ(Open(*controller), 0);
    log.clear();

    controller->SetRotation(45);
    controller->SetRotation(450);
    controller->SetRotation(-90);
    EXPECT_EQ(log, (Log{"preview1.SetRotation(90)", "preview1.SetRotation(270)"}));
    log.clear();

    EXPECT_FALSE(controller->SetCropMargins(4, -1, 4, 4));
    EXPECT_TRUE(controller->SetCropMargins(1, 2, 5, 6));
    EXPECT_EQ(log, (Log{"preview1.SetMargins(1,2,5,6)"}));
    log.clear();

    controller->SetAutoDetect(true, 1, 0.05f);
    EXPECT_TRUE(controller->IsAutoDetectOn());
    controller->EnableCustomCropBox(true);
    EXPECT_FALSE(controller->IsAutoDetectOn());
    controller->SetAutoDetect(false, 0, 0.05f);
    EXPECT_EQ(log, (Log{"preview1.SetAutoDetect(1,1,0.05)", "preview1.EnableCustomCropBox(0)",
                        "preview1.SetAutoDetect(0,0,0.03)", "preview1.EnableCustomCropBox(1)",
                        "preview1.SetAutoDetect(0,0,0.05)"}));
}

TEST_F(ControllerSteps, ResolutionChangeLetsGoOfTheGrabFilterMeanwhile) {
    auto controller = Make();
    ASSERT_EQ(Open(*controller), 0);
    log.clear();
    EXPECT_EQ(controller->SetResolution(1280, 720), kSOk);
    EXPECT_EQ(log, (Log{"preview1.SetPrimary(none)", "source.SetResolution",
                        "preview1.SetPrimary(grab)"}));
}

TEST_F(ControllerSteps, PreviewThatCannotBeMadeFailsTheOpen) {
    CCameraController::Factories f;
    f.source = [this](int) { return std::make_unique<FakeSource>(log, openResult, &grab); };
    f.preview = [this](bool) {
        auto p = std::make_unique<FakePreview>(log, ++previews, &grab);
        p->createResult = false;
        return p;
    };
    CCameraController controller(1, 0, std::move(f));
    EXPECT_EQ(Open(controller), kEFail);
    EXPECT_EQ(controller.Preview(), nullptr);
    EXPECT_TRUE(controller.GetFrame().empty());
}

// The controller on the simulated camera, with either preview.
class ControllerOnCamera : public testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        platform::SimulatedCamera::Reset();
        platform::SimulatedCamera::SetFrameRate(60);
        platform::SetVideoRegistryForTesting(std::shared_ptr<platform::VideoRegistry>(
            &platform::SimulatedCamera::Registry(), [](platform::VideoRegistry*) {}));
        parent_.resize(640, 480);
    }
    void TearDown() override {
        platform::SetVideoRegistryForTesting(nullptr);
        platform::SimulatedCamera::Reset();
    }
    int Open(CCameraController& c) {
        return c.Open(&parent_, platform::kSimulatedVendorId, platform::kSimulatedDocumentProductId,
                      "", 0, 0, 640, 480, false, 0);
    }

    QWidget parent_;
};

TEST_P(ControllerOnCamera, ShowsTheCameraAndHandsOutItsFrames) {
    CCameraController controller(GetParam(), 0);
    ASSERT_EQ(controller.SetResolution(640, 480), kSOk);
    ASSERT_EQ(Open(controller), 0);
    ASSERT_TRUE(controller.Run());
    EXPECT_TRUE(controller.GetFrame().empty() || controller.GetFrame().cols == 640);
    ASSERT_TRUE(test::WaitUntil([&] { return !controller.GetFrame().empty(); }));
    EXPECT_EQ(controller.GetFrame().size(), cv::Size(640, 480));
    controller.SetRotation(-90);
    ASSERT_TRUE(
        test::WaitUntil([&] { return controller.GetFrame().size() == cv::Size(480, 640); }));
    auto* preview = dynamic_cast<CShowVideoPro*>(controller.Preview());
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->Rotation(), 270);
    ASSERT_TRUE(test::WaitUntil([&] { return preview->FramesShown() > 2; }));
    EXPECT_EQ(controller.GetCroppedImages().size(), 1u);
}

TEST_P(ControllerOnCamera, CreateAndDestroyFiftyTimesWhileFramesFlow) {
    std::unique_ptr<CCameraController> controller;
    std::atomic<bool> done{false};
    std::atomic<long> reads{0};
    CCameraController shared(GetParam(), 0);
    ASSERT_EQ(shared.SetResolution(640, 480), kSOk);
    // A worker asks for frames all along, as continuous shooting does, while
    // the UI thread reopens the shared controller and builds and deletes
    // others.
    std::thread reader([&] {
        while (!done) {
            shared.GetFrame();
            shared.GetCroppedImages();
            ++reads;
        }
    });
    for (int i = 0; i < 50; ++i) {
        SCOPED_TRACE(i);
        auto own = std::make_unique<CCameraController>(GetParam(), 0);
        own->SetResolution(640, 480);
        ASSERT_EQ(Open(*own), 0);
        ASSERT_TRUE(own->Run());
        ASSERT_EQ(Open(shared), 0);
        ASSERT_TRUE(shared.Run());
        if (i % 10 == 0) {
            shared.SetAutoDetect(true, 1, 0.03f);
        }
        ASSERT_TRUE(test::WaitUntil([&] { return !own->GetFrame().empty(); }));
        own.reset();  // frames still in flight
    }
    done = true;
    reader.join();
    EXPECT_GT(reads, 0);
}

TEST_P(ControllerOnCamera, RecordsWhatThePreviewShows) {
    CVideoRecorder* recorder = nullptr;
    CCameraController::Factories f;
    f.recorder = [&recorder] {
        CVideoRecorder::Seams seams;
        seams.audio = nullptr;
        auto made = std::make_unique<CVideoRecorder>(std::move(seams));
        recorder = made.get();
        return made;
    };
    CCameraController controller(GetParam(), 0, std::move(f));
    ASSERT_EQ(controller.SetResolution(640, 480), kSOk);
    ASSERT_EQ(Open(controller), 0);
    ASSERT_TRUE(controller.Run());
    ASSERT_TRUE(test::WaitUntil([&] { return !controller.GetFrame().empty(); }));

    test::TempDir dir;
    const QString path = dir.File("camera.asf");
    ASSERT_EQ(controller.StartRecording(path, 320, 240, 30, 462500), kSOk);
    EXPECT_EQ(controller.RecordingStatus(), kSOk);
    // The recorder's thread takes the frames; the UI thread only runs.
    ASSERT_TRUE(test::WaitUntil([&] { return recorder->FramesWritten() >= 4; }));
    EXPECT_EQ(controller.StopRecording(), kSOk);
    EXPECT_EQ(controller.RecordingStatus(), kEPointer);

    const test::ReadBack back = test::ReadBackFile(path);
    ASSERT_GE(back.pictureLuma.size(), 4u);
    // The camera's picture from the first frame on: the preview had one.
    EXPECT_GT(back.pictureLuma.front(), 30);
    EXPECT_EQ(test::FfmpegErrors(path), "");
}

INSTANTIATE_TEST_SUITE_P(Previews, ControllerOnCamera, testing::Values(1, 0),
                         [](const auto& info) { return info.param ? "Thread" : "Impl"; });

}  // namespace
}  // namespace orbisk
