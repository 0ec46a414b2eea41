#include "platform/window_messages.h"
#include "tests/support/message_log.h"
#include "tests/support/scene_generator.h"
#include "tests/support/wait_until.h"
#include "tests/video/preview_frames.h"
#include "video/grab_filter.h"
#include "video/object_container.h"
#include "video/show_video_impl.h"
#include "video/show_video_thread.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <QCoreApplication>
#include <QWidget>

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace orbisk {
namespace {

using platform::WM_FRAME_READY;
using test::WaitUntil;

using test::CoordinateFrame;
using test::Turned;
bool Same(const cv::Mat& a, const cv::Mat& b) { return test::SameImage(a, b); }

enum class Variant { kThread, kImpl };

void PrintTo(Variant v, std::ostream* os) { *os << (v == Variant::kThread ? "Thread" : "Impl"); }

std::unique_ptr<CShowVideoPro> MakePreview(Variant v) {
    if (v == Variant::kThread) return std::make_unique<CShowVideoThread>();
    return std::make_unique<CShowVideoImpl>();
}

// A preview of either kind in a parent window, fed by a real grab filter
// with pictures the test chooses.
class ShowVideoTest : public testing::TestWithParam<Variant> {
  protected:
    void SetUp() override {
        parent_.resize(640, 480);
        preview_ = MakePreview(GetParam());
        ASSERT_TRUE(preview_->Create(&parent_, 0, 0, 640, 480));
        preview_->SetPrimaryFrameSource(&grab_);
        grab_.SetNotify(preview_->GetHWnd(), WM_FRAME_READY);
    }
    void TearDown() override {
        grab_.SetNotify(nullptr, 0);
        preview_.reset();
    }

    // Hands a top-down picture to the grab filter, as the capture thread does.
    void Feed(const cv::Mat& picture) { ASSERT_TRUE(grab_.Receive(test::TopDownSample(picture))); }
    // Feeds a picture and waits until the canvas has shown it.
    bool FeedAndShow(const cv::Mat& picture) {
        const long shown = preview_->FramesShown();
        Feed(picture);
        return WaitUntil([&] { return preview_->FramesShown() > shown; });
    }
    CObjectContainer* Canvas() {
        QWidget* w = preview_->GetHWnd();
        if (auto* c = dynamic_cast<CObjectContainer*>(w)) return c;
        return w ? w->findChild<CObjectContainer*>() : nullptr;
    }

    QWidget parent_;
    CGrabDataFilter grab_;
    std::unique_ptr<CShowVideoPro> preview_;
};

std::string VariantName(const testing::TestParamInfo<Variant>& info) {
    return info.param == Variant::kThread ? "Thread" : "Impl";
}

TEST_P(ShowVideoTest, GetFrameIsTheTrimmedAndTurnedPictureAndEmptyBeforeTheFirstFrame) {
    cv::Mat frame;
    EXPECT_TRUE(preview_->GetFrame(frame).empty());
    ASSERT_NE(Canvas(), nullptr);

    const cv::Mat picture = CoordinateFrame(320, 240);
    struct Step {
        int margins[4];
        int rotation;
    };
    for (const Step& s : {Step{{0, 0, 0, 0}, 0}, Step{{4, 8, 12, 16}, 0}, Step{{4, 8, 12, 16}, 90},
                          Step{{8, 0, 0, 4}, 180}, Step{{0, 4, 8, 0}, -90}}) {
        SCOPED_TRACE(testing::Message() << "rotation " << s.rotation << " left " << s.margins[0]);
        ASSERT_TRUE(preview_->SetMargins(s.margins[0], s.margins[1], s.margins[2], s.margins[3]));
        ASSERT_TRUE(preview_->SetRotation(s.rotation));
        Feed(picture);
        const cv::Rect part(s.margins[0], s.margins[1], 320 - s.margins[0] - s.margins[2],
                            240 - s.margins[1] - s.margins[3]);
        const cv::Mat expected = Turned(picture(part), (s.rotation + 360) % 360);
        // A wrong picture never matches: the wait then fails.
        EXPECT_TRUE(WaitUntil([&] { return Same(preview_->GetFrame(frame), expected); }));
        EXPECT_TRUE(WaitUntil([&] { return Same(Canvas()->FramePicture(), expected); }));
        // Another frame message without a new frame neither trims again nor
        // changes what a capture gets.
        const long processed = preview_->FramesProcessed();
        platform::PostWindowMessage(preview_->GetHWnd(), WM_FRAME_READY);
        ASSERT_TRUE(WaitUntil([&] { return preview_->FramesProcessed() > processed; }));
        EXPECT_TRUE(Same(preview_->GetFrame(frame), expected));
    }
}

TEST_P(ShowVideoTest, NoFrameIsProcessedWithoutOne) {
    // The frame message arrives but the source has nothing yet.
    const long passes = preview_->FramePasses();
    platform::PostWindowMessage(preview_->GetHWnd(), WM_FRAME_READY);
    ASSERT_TRUE(WaitUntil([&] { return preview_->FramePasses() > passes; }));
    EXPECT_EQ(preview_->FramesProcessed(), 0);
    cv::Mat frame;
    EXPECT_TRUE(preview_->GetFrame(frame).empty());
    std::vector<cv::Mat> cut;
    EXPECT_TRUE(preview_->GetCroppedImages(cut).empty());
}

TEST_P(ShowVideoTest, MarginsRoundToFourAndUnsetOnesChangeNothing) {
    EXPECT_TRUE(preview_->SetMargins(1, 2, 5, 6));
    EXPECT_EQ(preview_->Margins(), (TrimMargins{0, 4, 4, 8}));
    IntRect r{0, 0, 100, 80};
    preview_->ApplyMargins(r);
    EXPECT_EQ(r, (IntRect{0, 4, 96, 72}));
    EXPECT_TRUE(preview_->SetMargins(-1, 8, 8, 8));
    r = {0, 0, 100, 80};
    preview_->ApplyMargins(r);
    EXPECT_EQ(r, (IntRect{0, 0, 100, 80}));
}

TEST_P(ShowVideoTest, RotationTurnsTheCanvasOnceAndRefusesOddAngles) {
    const cv::Mat picture = CoordinateFrame(320, 240);
    ASSERT_TRUE(FeedAndShow(picture));
    CObjectContainer* canvas = Canvas();
    ASSERT_NE(canvas, nullptr);

    EXPECT_TRUE(preview_->SetRotation(450));
    EXPECT_EQ(preview_->Rotation(), 90);
    EXPECT_TRUE(Same(canvas->FramePicture(), Turned(picture, 90)));  // one right turn

    EXPECT_FALSE(preview_->SetRotation(45));
    EXPECT_EQ(preview_->Rotation(), 90);
    EXPECT_TRUE(preview_->SetRotation(90));  // the same angle turns nothing
    EXPECT_TRUE(Same(canvas->FramePicture(), Turned(picture, 90)));

    EXPECT_TRUE(preview_->SetRotation(-90));
    EXPECT_EQ(preview_->Rotation(), 270);
    EXPECT_TRUE(Same(canvas->FramePicture(), Turned(picture, 270)));  // a half turn on
}

TEST_P(ShowVideoTest, CropBoxAndDetectionSwitchEachOtherOff) {
    CObjectContainer* canvas = Canvas();
    ASSERT_NE(canvas, nullptr);
    preview_->SetAutoDetect(true, false, 0.05f);
    EXPECT_TRUE(preview_->IsAutoDetect());
    preview_->EnableCustomCropBox(true);
    EXPECT_FALSE(preview_->IsAutoDetect());
    EXPECT_NE(canvas->CropBox(), nullptr);
    preview_->SetAutoDetect(true, true, 0.05f);
    EXPECT_EQ(canvas->CropBox(), nullptr);
    IntRect r;
    EXPECT_FALSE(preview_->GetCustomCropRect(r));
}

TEST_P(ShowVideoTest, CropBoxCutOutIsClippedToTheFrame) {
    ASSERT_TRUE(FeedAndShow(CoordinateFrame(320, 240)));
    cv::Mat frame;
    preview_->GetFrame(frame);
    ASSERT_TRUE(preview_->SetCustomCropRect(200, 100, 1000, 1000, false));
    IntRect r;
    ASSERT_TRUE(preview_->GetCustomCropRect(r));
    EXPECT_EQ(r, (IntRect{200, 100, 1000, 1000}));
    std::vector<cv::Mat> cut;
    ASSERT_EQ(preview_->GetCroppedImages(cut).size(), 1u);
    EXPECT_TRUE(Same(cut[0], frame(cv::Rect(200, 100, 120, 140))));

    // A box drawn on a larger picture, before the camera's size dropped.
    ASSERT_TRUE(preview_->SetCustomCropRect(800, 600, 1200, 900, false));
    ASSERT_EQ(preview_->GetCroppedImages(cut).size(), 1u);
    EXPECT_TRUE(Same(cut[0], frame));
}

TEST_P(ShowVideoTest, CutOutsStayTheCapturesOwnWhileFramesGoOn) {
    const cv::Mat first = CoordinateFrame(320, 240);
    ASSERT_TRUE(FeedAndShow(first));
    std::vector<cv::Mat> kept, changed;
    ASSERT_EQ(preview_->GetCroppedImages(kept).size(), 1u);
    ASSERT_EQ(preview_->GetCroppedImages(changed).size(), 1u);
    EXPECT_TRUE(Same(kept[0], first));
    // A caller that draws on its cut-out changes neither the preview's frame
    // nor another capture's cut-out.
    changed[0].setTo(cv::Scalar::all(0));
    cv::Mat frame;
    EXPECT_TRUE(Same(preview_->GetFrame(frame), first));
    EXPECT_TRUE(Same(kept[0], first));
    // Frames that follow are written into the preview's own buffers, never
    // into a cut-out still held.
    cv::Mat second;
    cv::bitwise_not(first, second);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(FeedAndShow(i % 2 == 0 ? second : first));
    }
    EXPECT_TRUE(Same(kept[0], first));
    EXPECT_EQ(cv::countNonZero(changed[0].reshape(1)), 0);
}

// A frame source whose copies can be held up, like a slow one on a busy core.
class HeldSource : public IGrabData {
  public:
    explicit HeldSource(cv::Mat picture) : picture_(std::move(picture)) {}
    bool GetFrame(CBasePR* target) override {
        std::unique_lock lock(lock_);
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !held_; });
        cv::Mat stored;
        cv::flip(picture_, stored, 0);
        return target->SetData(stored.data, stored.cols, stored.rows, 0);
    }
    cv::Mat& GetFrameMat(cv::Mat& image) override { return image = picture_.clone(); }
    void Hold(bool held) {
        std::lock_guard lock(lock_);
        held_ = held;
        changed_.notify_all();
    }
    bool WaitEntered() {
        std::unique_lock lock(lock_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [this] { return entered_; });
    }

  private:
    cv::Mat picture_;
    std::mutex lock_;
    std::condition_variable changed_;
    bool held_ = false;
    bool entered_ = false;
};

TEST_P(ShowVideoTest, CutOutsDoNotWaitForAFrameBeingCopiedIn) {
    const cv::Mat first = CoordinateFrame(320, 240);
    ASSERT_TRUE(FeedAndShow(first));
    cv::Mat second;
    cv::bitwise_not(first, second);
    HeldSource slow(second);
    slow.Hold(true);
    preview_->SetPrimaryFrameSource(&slow);
    platform::PostWindowMessage(preview_->GetHWnd(), WM_FRAME_READY);
    QCoreApplication::sendPostedEvents();
    ASSERT_TRUE(slow.WaitEntered());

    auto cut = std::async(std::launch::async, [&] {
        std::vector<cv::Mat> images;
        return preview_->GetCroppedImages(images);
    });
    const bool prompt = cut.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    const long processed = preview_->FramesProcessed();
    slow.Hold(false);
    const std::vector<cv::Mat> images = cut.get();
    EXPECT_TRUE(prompt) << "the capture waited for the frame thread's copy";
    ASSERT_EQ(images.size(), 1u);
    EXPECT_TRUE(Same(images[0], first)) << "the last processed frame, not the one on its way";
    EXPECT_TRUE(WaitUntil([&] { return preview_->FramesProcessed() > processed; }));
    preview_->SetPrimaryFrameSource(&grab_);
}

TEST_P(ShowVideoTest, CutOutsFromAnotherThreadUseTheCropBoxAsLastShown) {
    ASSERT_TRUE(preview_->SetCustomCropRect(10, 20, 110, 120, false));
    ASSERT_TRUE(FeedAndShow(CoordinateFrame(320, 240)));
    auto cut = std::async(std::launch::async, [&] {
                   std::vector<cv::Mat> images;
                   return preview_->GetCroppedImages(images);
               }).get();
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].size(), cv::Size(100, 100));
}

TEST_P(ShowVideoTest, MultiDocumentWithoutADocumentGivesTheWholeFrame) {
    preview_->SetAutoDetect(true, true, 0.03f);
    const cv::Mat blank(240, 320, CV_8UC3, cv::Scalar(60, 60, 60));
    ASSERT_TRUE(FeedAndShow(blank));
    std::vector<cv::Mat> cut;
    ASSERT_EQ(preview_->GetCroppedImages(cut).size(), 1u);
    EXPECT_EQ(cut[0].size(), blank.size());
    EXPECT_LE(cv::norm(cut[0], blank, cv::NORM_INF), 1);
}

TEST_P(ShowVideoTest, TiltedSheetGivesOneUprightCutOut) {
    preview_->SetAutoDetect(true, false, 0.03f);
    const test::Scene scene = test::MakeScene(
        {.size = {640, 480}, .pages = {{.centre = {320, 240}, .size = {300, 380}, .angle = 12}}});
    ASSERT_TRUE(FeedAndShow(scene.image));
    ASSERT_EQ(preview_->Boxes().size(), 1u);
    std::vector<cv::Mat> cut;
    ASSERT_EQ(preview_->GetCroppedImages(cut).size(), 1u);
    const cv::Size got = cut[0].size();
    // Upright: its sides are the page's, not the tilted page's bounding box.
    EXPECT_NEAR(std::min(got.width, got.height), 300, 20);
    EXPECT_NEAR(std::max(got.width, got.height), 380, 20);
    EXPECT_GT(cv::mean(cut[0])[0], 150);  // paper, not desk
    // Captures never carry the outlines the canvas shows.
    cv::Mat frame;
    EXPECT_TRUE(Same(preview_->GetFrame(frame), scene.image));
}

TEST_P(ShowVideoTest, RenderFrameOnlyWhileBurningIn) {
    const cv::Mat picture = CoordinateFrame(320, 240);
    ASSERT_TRUE(FeedAndShow(picture));
    cv::Mat image(4, 4, CV_8UC3, cv::Scalar(1, 2, 3));
    const cv::Mat before = image.clone();
    preview_->RenderFrame(image);
    EXPECT_TRUE(Same(image, before));
    preview_->SetBurnIn(true);
    preview_->RenderFrame(image);
    EXPECT_TRUE(Same(image, picture));
}

TEST_P(ShowVideoTest, FramesAreDroppedWhileTheUiIsBusyAndTheNewestIsShown) {
    // The pass that attaching the source asked for has found nothing.
    ASSERT_TRUE(WaitUntil([&] { return preview_->FramePasses() >= 1; }));
    // Twelve frames arrive while the UI thread handles no events.
    cv::Mat last;
    for (int i = 0; i < 12; ++i) {
        last = CoordinateFrame(320, 240, i * 16);
        Feed(last);
    }
    ASSERT_TRUE(WaitUntil([&] { return Canvas() && Same(Canvas()->FramePicture(), last); }));
    // One frame message stands for all twelve: the newest frame is
    // processed, not twelve frames one after another.
    EXPECT_EQ(preview_->FramesProcessed(), 1);
    EXPECT_LE(preview_->FramesShown(), preview_->FramesProcessed());
    cv::Mat frame;
    EXPECT_TRUE(Same(preview_->GetFrame(frame), last));
}

TEST_P(ShowVideoTest, GetFrameFromAWorkerNeverWaitsForTheUiThread) {
    ASSERT_TRUE(FeedAndShow(CoordinateFrame(320, 240)));
    // The UI thread waits here, handling no events, for the worker.
    auto worker = std::async(std::launch::async, [&] {
        cv::Mat frame;
        std::vector<cv::Mat> cut;
        return !preview_->GetFrame(frame).empty() && preview_->GetCroppedImages(cut).size() == 1;
    });
    ASSERT_EQ(worker.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(worker.get());
}

INSTANTIATE_TEST_SUITE_P(Variants, ShowVideoTest, testing::Values(Variant::kThread, Variant::kImpl),
                         VariantName);

TEST(ShowVideoCreate, FailsOffTheUiThreadWithTheMessageAndNumber) {
    std::vector<QString> shown;
    SetPreviewMessageHandler([&](const QString& text) { shown.push_back(text); });
    QWidget parent;
    CShowVideoThread preview;
    const bool created =
        std::async(std::launch::async, [&] { return preview.Create(&parent, 0, 0, 64, 48); }).get();
    SetPreviewMessageHandler(nullptr);
    EXPECT_FALSE(created);
    EXPECT_EQ(preview.GetHWnd(), nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], QString::fromUtf8("创建视频预览窗口失败，错误码：2"));
    EXPECT_FALSE(preview.SetRotation(90));  // no canvas to turn
}

TEST(ShowVideoCreate, WindowDeletedWithItsParentStopsThePosts) {
    auto parent = std::make_unique<QWidget>();
    // The source outlives the preview that reads it, as in the controller.
    CGrabDataFilter grab;
    CShowVideoThread preview;
    ASSERT_TRUE(preview.Create(parent.get(), 0, 0, 64, 48));
    preview.SetPrimaryFrameSource(&grab);
    grab.SetNotify(preview.GetHWnd(), WM_FRAME_READY);
    grab.SetNotify(nullptr, 0);
    parent.reset();
    EXPECT_EQ(preview.GetHWnd(), nullptr);
    cv::Mat picture = CoordinateFrame(64, 48);
    ASSERT_TRUE(grab.Receive(test::TopDownSample(picture)));
    EXPECT_TRUE(preview.ProcessFrame());  // processed, posted nowhere
    QCoreApplication::processEvents();
}

}  // namespace
}  // namespace orbisk
