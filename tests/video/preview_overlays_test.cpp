// The watermark box and the sub-image box on the canvas and through the
// preview interface.

#include "platform/window_messages.h"
#include "tests/support/fake_picture_server.h"
#include "tests/support/input_events.h"
#include "tests/support/scene_generator.h"
#include "tests/support/wait_until.h"
#include "tests/video/preview_frames.h"
#include "video/grab_filter.h"
#include "video/object_container.h"
#include "video/show_video_impl.h"
#include "video/show_video_thread.h"
#include "video/tcp_remote_data.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <QImage>
#include <QWidget>

#include <chrono>
#include <cmath>
#include <future>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace orbisk {
namespace {

using test::CoordinateFrame;
using test::WaitUntil;

const cv::Vec3b kRedBgr(0, 0, 255);

WaterMarkSettings RedText(int cx, int cy) {
    WaterMarkSettings s;
    s.mode = kWaterMarkText;
    s.text = "Orbisk";
    s.colour = 0x0000FF;
    s.transparency = 0;
    s.fontHeight = 40;
    s.left = cx - 10;
    s.top = cy - 10;
    s.right = cx + 10;
    s.bottom = cy + 10;
    return s;
}

std::vector<uint8_t> BottomUp(const cv::Mat& picture) {
    cv::Mat flipped;
    cv::flip(picture, flipped, 0);
    return {flipped.data, flipped.data + flipped.total() * 3};
}

int CountColour(const cv::Mat& picture, const cv::Vec3b& colour) {
    cv::Mat hits;
    cv::inRange(picture, cv::Scalar(colour[0], colour[1], colour[2]),
                cv::Scalar(colour[0], colour[1], colour[2]), hits);
    return cv::countNonZero(hits);
}

// ---- The canvas ---------------------------------------------------------------

class OverlayCanvas : public testing::Test {
  protected:
    void SetUp() override {
        canvas_.resize(640, 480);
        canvas_.show();
        canvas_.ShowFrame(frame_);
    }
    // Gives the sub-image box a picture the way WM_CANVAS_SHOW_IMAGE does.
    void ShowSubImage(const cv::Mat& picture) {
        const std::vector<uint8_t> rows = BottomUp(picture);
        EXPECT_EQ(canvas_.HandleMessage(platform::WM_CANVAS_SHOW_IMAGE,
                                        reinterpret_cast<qintptr>(rows.data()),
                                        picture.cols + picture.rows * 65536),
                  0);
    }

    const cv::Mat frame_ = cv::Mat(480, 640, CV_8UC3, cv::Scalar::all(128));
    CObjectContainer canvas_;
};

TEST_F(OverlayCanvas, BurnsTheSubImageAndTheWatermarkButNeverTheCropBox) {
    EXPECT_FALSE(canvas_.BurnsOverlays());
    ASSERT_TRUE(canvas_.SetSubImageBox(10, 10, 90, 70));
    EXPECT_FALSE(canvas_.BurnsOverlays());  // no picture yet
    const cv::Mat second = CoordinateFrame(40, 30);
    ShowSubImage(second);
    ASSERT_TRUE(canvas_.SubImageBox());
    EXPECT_TRUE(test::SameImage(canvas_.SubImageBox()->Picture(), second));
    ASSERT_TRUE(canvas_.SetWaterMark(RedText(400, 300)));
    canvas_.SetCropRect(300, 200, 500, 400, false);
    canvas_.WaterMarkBox()->Select(true);
    EXPECT_TRUE(canvas_.BurnsOverlays());

    cv::Mat picture = frame_.clone();
    EXPECT_EQ(canvas_.OnBurnOverlays(&picture), 0);
    // The sub-image, twice its size.
    cv::Mat expected;
    cv::resize(second, expected, {80, 60}, 0, 0, cv::INTER_LINEAR);
    EXPECT_LE(cv::norm(picture(cv::Rect(10, 10, 80, 60)), expected, cv::NORM_INF), 32);
    // The caption in full red, without the selection's outline.
    const IntRect box = canvas_.WaterMarkBox()->GetRect();
    const cv::Rect caption(box.left, box.top, box.Width(), box.Height());
    EXPECT_GT(CountColour(picture(caption), kRedBgr), 20);
    EXPECT_EQ(CountColour(picture, cv::Vec3b(255, 0, 0)), 0);
    EXPECT_TRUE(canvas_.WaterMarkBox()->IsSelected());  // restored afterwards
    // Nothing else: no crop-box wash.
    cv::Mat rest = picture.clone();
    rest(cv::Rect(10, 10, 80, 60)).setTo(cv::Scalar::all(128));
    rest(caption).setTo(cv::Scalar::all(128));
    EXPECT_EQ(cv::norm(rest, frame_, cv::NORM_INF), 0);

    IntRect rect;
    ASSERT_TRUE(canvas_.GetObjectGeometry(1, rect));
    EXPECT_EQ(rect, (IntRect{10, 10, 90, 70}));
    WaterMarkSettings got;
    ASSERT_TRUE(canvas_.GetWaterMark(got));
    EXPECT_EQ((IntRect{got.left, got.top, got.right, got.bottom}), box);
    EXPECT_EQ(got.text, "Orbisk");
    EXPECT_FALSE(canvas_.GetObjectGeometry(2, rect));

    canvas_.RemoveSubImageBox();
    canvas_.RemoveWaterMark();
    EXPECT_FALSE(canvas_.BurnsOverlays());
    EXPECT_FALSE(canvas_.GetObjectGeometry(1, rect));
    EXPECT_FALSE(canvas_.GetWaterMark(got));
    picture = frame_.clone();
    canvas_.OnBurnOverlays(&picture);
    EXPECT_EQ(cv::norm(picture, frame_, cv::NORM_INF), 0);
}

TEST_F(OverlayCanvas, SecondSetCallsKeepTheSameBoxes) {
    canvas_.SetSubImageBox(10, 10, 90, 70);
    CSubImageBox* sub = canvas_.SubImageBox();
    canvas_.SetSubImageBox(20, 20, 60, 60);
    EXPECT_EQ(canvas_.SubImageBox(), sub);
    EXPECT_EQ(sub->GetRect(), (IntRect{20, 20, 60, 60}));
    canvas_.SetWaterMark(RedText(100, 100));
    CWaterMarkObject* mark = canvas_.WaterMarkBox();
    canvas_.SetWaterMark(RedText(300, 300));
    EXPECT_EQ(canvas_.WaterMarkBox(), mark);
    // Turning the view turns only the crop box.
    canvas_.SetCropRect(100, 100, 200, 200, false);
    const IntRect before = mark->GetRect();
    canvas_.RotateRight();
    EXPECT_EQ(mark->GetRect(), before);
    EXPECT_EQ(sub->GetRect(), (IntRect{20, 20, 60, 60}));
    EXPECT_NE(canvas_.CropBox()->GetRect(), (IntRect{100, 100, 200, 200}));
}

TEST_F(OverlayCanvas, PaintShowsTheOverlaysInOrder) {
    canvas_.SetSubImageBox(100, 100, 300, 250);
    ShowSubImage(cv::Mat(30, 40, CV_8UC3, cv::Scalar(0, 255, 255)));
    canvas_.SetWaterMark(RedText(200, 175));  // over the sub-image
    const QImage shown = canvas_.grab().toImage();
    // Scale 1, centred: frame pixels are client pixels.
    EXPECT_EQ(shown.pixel(110, 110), qRgb(255, 255, 0));
    int red = 0;
    for (int y = 100; y < 250; ++y) {
        for (int x = 100; x < 300; ++x) red += shown.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
    }
    EXPECT_GT(red, 20);
    EXPECT_EQ(shown.pixel(50, 50), qRgb(128, 128, 128));
}

TEST_F(OverlayCanvas, ClickOnTheWatermarkTakesItFromTheCropBox) {
    canvas_.SetCropRect(350, 250, 600, 450, false);
    canvas_.SetWaterMark(RedText(400, 300));  // inside the crop box
    test::Drag(canvas_, {500, 400}, {});
    ASSERT_TRUE(canvas_.CropBox()->IsSelected());
    // The watermark lies over the crop box and is tried first.
    test::Drag(canvas_, {400, 300}, {});
    EXPECT_TRUE(canvas_.WaterMarkBox()->IsSelected());
    EXPECT_FALSE(canvas_.CropBox()->IsSelected());
    EXPECT_EQ(canvas_.ActiveObject(), canvas_.WaterMarkBox());
    // Selected, it moves with a drag; the crop box stays.
    const IntRect before = canvas_.WaterMarkBox()->GetRect();
    test::Drag(canvas_, {400, 300}, {{420, 310}});
    const IntRect after = canvas_.WaterMarkBox()->GetRect();
    EXPECT_EQ(after.left - before.left, 20);
    EXPECT_EQ(after.top - before.top, 10);
    EXPECT_EQ(canvas_.CropBox()->GetRect(), (IntRect{350, 250, 600, 450}));
    // Removing the active object leaves none behind.
    canvas_.RemoveWaterMark();
    EXPECT_EQ(canvas_.ActiveObject(), nullptr);
    test::Drag(canvas_, {400, 300}, {{420, 310}});
}

// ---- Through the preview --------------------------------------------------

enum class Variant { kThread, kImpl };

class PreviewOverlays : public testing::TestWithParam<Variant> {
  protected:
    void SetUp() override {
        parent_.resize(640, 480);
        if (GetParam() == Variant::kThread) {
            preview_ = std::make_unique<CShowVideoThread>();
        } else {
            preview_ = std::make_unique<CShowVideoImpl>();
        }
        ASSERT_TRUE(preview_->Create(&parent_, 0, 0, 640, 480));
        preview_->SetPrimaryFrameSource(&grab_);
        grab_.SetNotify(preview_->GetHWnd(), platform::WM_FRAME_READY);
    }
    void TearDown() override {
        grab_.SetNotify(nullptr, 0);
        second_.SetNotify(nullptr, 0);
        preview_.reset();
    }
    bool FeedAndShow(const cv::Mat& picture) {
        const long shown = preview_->FramesShown();
        EXPECT_TRUE(grab_.Receive(test::TopDownSample(picture)));
        return WaitUntil([&] { return preview_->FramesShown() > shown; });
    }
    CObjectContainer* Canvas() {
        QWidget* w = preview_->GetHWnd();
        if (auto* c = dynamic_cast<CObjectContainer*>(w)) return c;
        return w ? w->findChild<CObjectContainer*>() : nullptr;
    }

    QWidget parent_;
    CGrabDataFilter grab_;
    CGrabDataFilter second_;
    std::unique_ptr<CShowVideoPro> preview_;
};

TEST_P(PreviewOverlays, WatermarkIsSetReadRemovedAndInTheCutOuts) {
    const cv::Mat picture(240, 320, CV_8UC3, cv::Scalar::all(90));
    ASSERT_TRUE(FeedAndShow(picture));
    WaterMarkSettings got;
    EXPECT_FALSE(preview_->GetWaterMark(got));
    ASSERT_TRUE(preview_->SetWaterMark(RedText(160, 120)));
    ASSERT_TRUE(preview_->GetWaterMark(got));
    EXPECT_EQ(got.text, "Orbisk");
    EXPECT_LT(got.left, 160);
    EXPECT_GT(got.right, 160);
    std::vector<cv::Mat> cut;
    ASSERT_EQ(preview_->GetCroppedImages(cut).size(), 1u);
    EXPECT_GT(CountColour(cut[0], kRedBgr), 20);
    // The last frame itself stays clean.
    cv::Mat frame;
    EXPECT_TRUE(test::SameImage(preview_->GetFrame(frame), picture));
    // And the recording's frame carries it too.
    preview_->SetBurnIn(true);
    cv::Mat rendered;
    preview_->RenderFrame(rendered);
    EXPECT_GT(CountColour(rendered, kRedBgr), 20);
    preview_->RemoveWaterMark();
    EXPECT_FALSE(preview_->GetWaterMark(got));
    ASSERT_EQ(preview_->GetCroppedImages(cut).size(), 1u);
    EXPECT_TRUE(test::SameImage(cut[0], picture));
}

TEST_P(PreviewOverlays, CutOutsOnAWorkerCarryTheOverlaysWithoutTheUiThread) {
    ASSERT_TRUE(FeedAndShow(cv::Mat(240, 320, CV_8UC3, cv::Scalar::all(90))));
    ASSERT_TRUE(preview_->SetSubImageBox(0, 0, 40, 30));
    const cv::Mat portrait(30, 40, CV_8UC3, cv::Scalar(255, 255, 0));
    const std::vector<uint8_t> rows = BottomUp(portrait);
    Canvas()->SetSubImage(rows.data(), 40, 30);
    WaterMarkSettings s = RedText(160, 120);
    ASSERT_TRUE(preview_->SetWaterMark(s));
    // Moved afterwards: the worker sees where it is now.
    s.left += 60;
    s.right += 60;
    ASSERT_TRUE(preview_->SetWaterMark(s));
    WaterMarkSettings placed;
    ASSERT_TRUE(preview_->GetWaterMark(placed));
    preview_->SetBurnIn(true);
    // The UI thread handles no events while it waits for the worker.
    auto worker = std::async(std::launch::async, [&] {
        std::vector<cv::Mat> cut;
        cv::Mat rendered;
        preview_->GetCroppedImages(cut);
        preview_->RenderFrame(rendered);
        cut.push_back(rendered);
        return cut;
    });
    ASSERT_EQ(worker.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    const std::vector<cv::Mat> images = worker.get();
    ASSERT_EQ(images.size(), 2u);
    for (const cv::Mat& image : images) {
        EXPECT_EQ(CountColour(image(cv::Rect(0, 0, 40, 30)), cv::Vec3b(255, 255, 0)), 40 * 30);
        const cv::Rect box(placed.left, placed.top, placed.right - placed.left,
                           placed.bottom - placed.top);
        EXPECT_GT(CountColour(image(box), kRedBgr), 20);
        EXPECT_EQ(CountColour(image, kRedBgr), CountColour(image(box), kRedBgr));
    }
    // What the canvas's own thread burns is the same.
    std::vector<cv::Mat> here;
    ASSERT_EQ(preview_->GetCroppedImages(here).size(), 1u);
    EXPECT_EQ(cv::norm(here[0], images[0], cv::NORM_INF), 0);
}

TEST_P(PreviewOverlays, SecondFrameSourceFeedsTheSubImageBox) {
    ASSERT_TRUE(FeedAndShow(CoordinateFrame(320, 240)));
    IntRect rect;
    EXPECT_FALSE(preview_->GetSubImageRect(rect));
    ASSERT_TRUE(preview_->SetSubImageBox(200, 150, 300, 225));
    ASSERT_TRUE(preview_->GetSubImageRect(rect));
    EXPECT_EQ(rect, (IntRect{200, 150, 300, 225}));
    preview_->SetSecondaryFrameSource(&second_);
    second_.SetNotify(preview_->GetHWnd(), platform::WM_SECOND_FRAME_READY);
    const cv::Mat portrait = CoordinateFrame(64, 48, 100);
    ASSERT_TRUE(second_.Receive(test::TopDownSample(portrait)));
    CSubImageBox* box = Canvas()->SubImageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return test::SameImage(box->Picture(), portrait); }));
    std::vector<cv::Mat> cut;
    ASSERT_EQ(preview_->GetCroppedImages(cut).size(), 1u);
    cv::Mat expected;
    cv::resize(portrait, expected, {100, 75}, 0, 0, cv::INTER_AREA);
    EXPECT_LE(cv::norm(cut[0](cv::Rect(200, 150, 100, 75)), expected, cv::NORM_INF), 40);
    preview_->RemoveSubImageBox();
    EXPECT_FALSE(preview_->GetSubImageRect(rect));
    // A second frame without a box to show it changes nothing.
    ASSERT_TRUE(second_.Receive(test::TopDownSample(portrait)));
    EXPECT_TRUE(FeedAndShow(CoordinateFrame(320, 240)));
    preview_->SetSecondaryFrameSource(nullptr);
}

TEST_P(PreviewOverlays, TheTcpSourceServesAsTheSecondSource) {
    const cv::Mat portrait(48, 64, CV_8UC3, cv::Scalar(30, 200, 60));
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(cv::imencode(".jpg", portrait, jpeg));
    test::FakePictureServer server(test::ServeFrames(jpeg));
    ASSERT_TRUE(FeedAndShow(CoordinateFrame(320, 240)));
    ASSERT_TRUE(preview_->SetSubImageBox(0, 0, 64, 48));
    CTcpRemoteData tcp(TcpTimeouts{std::chrono::milliseconds(1000), std::chrono::milliseconds(1000),
                                   std::chrono::milliseconds(1000), std::chrono::milliseconds(10)});
    preview_->SetSecondaryFrameSource(&tcp);
    tcp.SetNotify(preview_->GetHWnd(), platform::WM_SECOND_FRAME_READY);
    ASSERT_EQ(
        tcp.Open(QStringLiteral("127.0.0.1:%1").arg(server.Port()), "0", {}, nullptr, false, 0),
        kSOk);
    ASSERT_TRUE(tcp.Run());
    CSubImageBox* box = Canvas()->SubImageBox();
    EXPECT_TRUE(WaitUntil([&] {
        return box->Picture().size() == portrait.size() &&
               cv::norm(box->Picture(), portrait, cv::NORM_INF) <= 8;
    }));
    tcp.Stop();
    tcp.SetNotify(nullptr, 0);
    preview_->SetSecondaryFrameSource(nullptr);
}

TEST_P(PreviewOverlays, MarkerFollowsTheFirstDetectedPage) {
    ASSERT_TRUE(preview_->SetSubImageBox(0, 0, 160, 120));
    CSubImageBox* box = Canvas()->SubImageBox();
    preview_->SetAutoDetect(true, false, 0.03f);
    const test::Scene scene = test::MakeScene(
        {.size = {640, 480}, .pages = {{.centre = {320, 240}, .size = {300, 380}, .angle = 12}}});
    ASSERT_TRUE(FeedAndShow(scene.image));
    ASSERT_EQ(preview_->Boxes().size(), 1u);
    EXPECT_TRUE(box->AngleMarker());
    EXPECT_NEAR(box->Angle(), -preview_->Boxes()[0].angle * std::numbers::pi / 180, 1e-6);
    preview_->SetAutoDetect(false, false, 0.03f);
    ASSERT_TRUE(FeedAndShow(scene.image));
    EXPECT_FALSE(box->AngleMarker());
    EXPECT_EQ(box->Angle(), 0);
}

INSTANTIATE_TEST_SUITE_P(Variants, PreviewOverlays,
                         testing::Values(Variant::kThread, Variant::kImpl), [](const auto& info) {
                             return info.param == Variant::kThread ? "Thread" : "Impl";
                         });

}  // namespace
}  // namespace orbisk
