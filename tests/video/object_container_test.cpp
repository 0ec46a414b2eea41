#include "video/object_container.h"

#include "platform/window_messages.h"
#include "tests/support/case_name.h"
#include "tests/video/canvas_test_util.h"
#include "video/canvas_geometry.h"
#include "video/canvas_render.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QImage>
#include <opencv2/core.hpp>

#include <string>
#include <vector>

namespace orbisk {
namespace {

using test::Drag;
using test::MakeCanvas;
using test::Move;
using test::PatternFrame;
using test::Rgb;

// ---- The zoom ladder --------------------------------------------------------

struct LadderCase {
    const char* name;
    cv::Size frame;
    cv::Size client;
    float fit;
    std::vector<float> up;    // scales after each zoom in, until it stops
    std::vector<float> down;  // then after each zoom out, until it stops
};

class ZoomLadder : public testing::TestWithParam<LadderCase> {};

TEST_P(ZoomLadder, ClimbsFromFitToEightAndBackToFit) {
    const LadderCase& c = GetParam();
    auto canvas = MakeCanvas(c.client.width, c.client.height,
                             cv::Mat(c.frame, CV_8UC3, cv::Scalar(90, 90, 90)));
    EXPECT_FLOAT_EQ(canvas->Scale(), c.fit);
    EXPECT_TRUE(canvas->IsFitMode());
    const cv::Point centre(c.frame.width / 2, c.frame.height / 2);

    for (float expected : c.up) {
        canvas->ZoomIn();
        ASSERT_FLOAT_EQ(canvas->Scale(), expected);
        EXPECT_FALSE(canvas->IsFitMode());
        // Zooming about the client centre keeps the frame's centre there.
        const cv::Point shown = CenterPoint(canvas->VisibleRect());
        EXPECT_NEAR(shown.x / expected, centre.x, 1 / expected + 1) << expected;
        EXPECT_NEAR(shown.y / expected, centre.y, 1 / expected + 1) << expected;
    }
    canvas->ZoomIn();
    EXPECT_FLOAT_EQ(canvas->Scale(), 8) << "no level above 8";

    for (float expected : c.down) {
        canvas->ZoomOut();
        ASSERT_FLOAT_EQ(canvas->Scale(), expected);
    }
    EXPECT_TRUE(canvas->IsFitMode());
    const IntRect fitted = canvas->DestinationRect();
    canvas->ZoomOut();
    EXPECT_FLOAT_EQ(canvas->Scale(), c.fit) << "zoom out in fit mode does nothing";
    EXPECT_EQ(canvas->DestinationRect(), fitted);
}

const std::vector<float> kFromOne = {2, 3, 4, 5, 6, 7, 8};
const std::vector<float> kDownToOne = {7, 6, 5, 4, 3, 2, 1};

std::vector<float> Join(std::vector<float> a, const std::vector<float>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Canvas, ZoomLadder,
    testing::Values(LadderCase{"Fit04",
                               {1600, 1200},
                               {640, 480},
                               0.4f,
                               Join({0.5f, 1}, kFromOne),
                               Join(kDownToOne, {0.5f, 0.4f})},
                    // Fits below the smallest level: from 1/8 the way down is the fit.
                    LadderCase{"FitBelowEighth",
                               {8000, 6000},
                               {640, 480},
                               0.08f,
                               Join({0.125f, 0.25f, 0.5f, 1}, kFromOne),
                               Join(kDownToOne, {0.5f, 0.25f, 0.125f, 0.08f})},
                    LadderCase{"Fit4608In400",
                               {4608, 3456},
                               {400, 300},
                               300.f / 3456,
                               Join({0.125f, 0.25f, 0.5f, 1}, kFromOne),
                               Join(kDownToOne, {0.5f, 0.25f, 0.125f, 300.f / 3456})},
                    // A small frame is never enlarged to fit; zooming out below 1 returns
                    // to the fit at 1.
                    LadderCase{
                        "SmallFrame", {320, 240}, {640, 480}, 1, kFromOne, Join(kDownToOne, {1})}),
    [](const testing::TestParamInfo<LadderCase>& info) { return info.param.name; });

TEST(ObjectContainer, FitCentresTheFrame) {
    struct Case {
        cv::Size frame;
        IntRect destination;
    };
    for (const Case& c :
         {Case{{1600, 1200}, {0, 0, 640, 480}}, Case{{320, 240}, {160, 120, 480, 360}},
          Case{{1600, 400}, {0, 160, 640, 320}}, Case{{400, 1600}, {260, 0, 380, 480}}}) {
        auto canvas = MakeCanvas(640, 480, cv::Mat(c.frame, CV_8UC3, cv::Scalar(1, 2, 3)));
        EXPECT_EQ(canvas->DestinationRect(), c.destination) << c.frame;
        EXPECT_EQ(canvas->VisibleRect(),
                  (IntRect{0, 0, c.destination.Width(), c.destination.Height()}));
    }
    // Around a small frame, shown pixel for pixel, lies the canvas's grey.
    const cv::Mat small = PatternFrame(320, 240);
    auto canvas = MakeCanvas(640, 480, small);
    const QImage shown = canvas->grab().toImage();
    EXPECT_EQ(shown.pixel(159, 119), qRgb(243, 243, 243));
    EXPECT_EQ(shown.pixel(480, 360), qRgb(243, 243, 243));
    EXPECT_EQ(shown.pixel(160, 120), Rgb(small.at<cv::Vec3b>(0, 0)));
    EXPECT_EQ(shown.pixel(479, 359), Rgb(small.at<cv::Vec3b>(239, 319)));
}

TEST(ObjectContainer, FramesOfTheSameSizeKeepTheZoomAndOtherSizesRefit) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(1600, 1200));
    canvas->ZoomIn();
    canvas->ZoomIn();
    const IntRect visible = canvas->VisibleRect();
    canvas->ShowFrame(PatternFrame(1600, 1200));
    EXPECT_FLOAT_EQ(canvas->Scale(), 1);
    EXPECT_EQ(canvas->VisibleRect(), visible);

    cv::Mat grey(600, 800, CV_8UC1, cv::Scalar(77));
    canvas->ShowFrame(grey);
    EXPECT_TRUE(canvas->IsFitMode());
    EXPECT_FLOAT_EQ(canvas->Scale(), 0.8f);
    ASSERT_EQ(canvas->FramePicture().type(), CV_8UC3);
    EXPECT_EQ(canvas->FramePicture().at<cv::Vec3b>(10, 10), cv::Vec3b(77, 77, 77));

    // Frames the canvas can't show are ignored.
    canvas->ShowFrame(cv::Mat());
    canvas->ShowFrame(cv::Mat(100, 100, CV_16UC3, cv::Scalar(1)));
    EXPECT_EQ(canvas->FramePicture().size(), cv::Size(800, 600));
}

TEST(ObjectContainer, ResizingRefitsInFitModeAndKeepsTheCornerWhenZoomed) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(1600, 1200));
    canvas->resize(320, 240);
    EXPECT_FLOAT_EQ(canvas->Scale(), 0.2f);
    EXPECT_EQ(canvas->DestinationRect(), (IntRect{0, 0, 320, 240}));

    canvas->resize(640, 480);
    canvas->ZoomIn();
    canvas->ZoomIn();  // scale 1
    const IntRect before = canvas->VisibleRect();
    canvas->resize(800, 500);
    EXPECT_EQ(canvas->VisibleRect(),
              (IntRect{before.left, before.top, before.left + 800, before.top + 500}));
    EXPECT_EQ(canvas->DestinationRect(), (IntRect{0, 0, 800, 500}));
}

// ---- What the canvas shows --------------------------------------------------

QRgb ShownAt(CObjectContainer& canvas, QPoint point) {
    return canvas.grab().toImage().pixel(point);
}

// The frame pixel that a client point shows at a whole zoom factor.
cv::Vec3b FramePixelAt(const CObjectContainer& canvas, QPoint point) {
    const cv::Point zoomed = canvas.ClientToZoomed({point.x(), point.y()});
    const int factor = static_cast<int>(canvas.Scale());
    return canvas.FramePicture().at<cv::Vec3b>(zoomed.y / factor, zoomed.x / factor);
}

TEST(ObjectContainer, EnlargedPixelsAreWholeSquaresOnTheZoomedGrid) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(1600, 1200));
    for (int i = 0; i < 4; ++i) {
        canvas->ZoomIn();  // 1/2, 1, 2, 3
    }
    ASSERT_FLOAT_EQ(canvas->Scale(), 3);
    const QImage shown = canvas->grab().toImage();
    for (QPoint p :
         {QPoint(0, 0), QPoint(1, 1), QPoint(2, 2), QPoint(317, 203), QPoint(639, 479)}) {
        EXPECT_EQ(shown.pixel(p), Rgb(FramePixelAt(*canvas, p))) << p.x() << "," << p.y();
    }
}

TEST(ObjectContainer, WheelZoomKeepsThePixelUnderTheCursor) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(1600, 1200));
    canvas->ZoomIn();
    canvas->ZoomIn();
    canvas->ZoomIn();
    ASSERT_FLOAT_EQ(canvas->Scale(), 2);
    for (QPoint cursor : {QPoint(200, 150), QPoint(450, 333), QPoint(320, 240)}) {
        // Put the cursor on the top-left quarter of an enlarged pixel, so the
        // pixel under it is exact rather than rounded to a neighbour.
        const cv::Point zoomed = canvas->ClientToZoomed({cursor.x(), cursor.y()});
        cursor += QPoint(zoomed.x & 1, zoomed.y & 1);
        const float scale = canvas->Scale();
        const QRgb before = ShownAt(*canvas, cursor);
        ASSERT_EQ(before, Rgb(FramePixelAt(*canvas, cursor)));

        Move(*canvas, cursor);
        test::Wheel(*canvas, cursor, 60);  // half a notch: a touchpad
        EXPECT_FLOAT_EQ(canvas->Scale(), scale);
        test::Wheel(*canvas, cursor, 60);
        EXPECT_FLOAT_EQ(canvas->Scale(), scale + 1);
        EXPECT_EQ(ShownAt(*canvas, cursor), before);
        EXPECT_EQ(Rgb(FramePixelAt(*canvas, cursor)), before);

        test::Wheel(*canvas, cursor, -120);
        EXPECT_FLOAT_EQ(canvas->Scale(), scale);
        EXPECT_EQ(ShownAt(*canvas, cursor), before);
    }
}

TEST(ObjectContainer, WheelTurnedBackAfterAPartNotchZoomsAtOnce) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(1600, 1200));
    canvas->ZoomIn();
    canvas->ZoomIn();  // 1
    Move(*canvas, {320, 240});
    test::Wheel(*canvas, {320, 240}, 90);
    test::Wheel(*canvas, {320, 240}, -120);
    EXPECT_FLOAT_EQ(canvas->Scale(), 0.5f);
    test::Wheel(*canvas, {320, 240}, 240);  // two notches at once
    EXPECT_FLOAT_EQ(canvas->Scale(), 2);
}

TEST(ObjectContainer, WheelOutsideThePictureZoomsAboutTheFrameCentre) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(320, 240));  // shown at 160..480
    Move(*canvas, {20, 20});
    test::Wheel(*canvas, {20, 20}, 120);
    EXPECT_FLOAT_EQ(canvas->Scale(), 2);
    EXPECT_EQ(canvas->VisibleRect(), (IntRect{0, 0, 640, 480}));
}

class Panning : public testing::TestWithParam<int> {};

TEST_P(Panning, EqualsAFreshRenderOfTheMovedView) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(1600, 1200));
    for (int i = 0; i < GetParam(); ++i) {
        canvas->ZoomIn();
    }
    const float scale = canvas->Scale();
    const IntRect start = canvas->VisibleRect();
    // Right and down, then left, then far up-left into the frame's corner.
    Drag(*canvas, {300, 200}, {{340, 230}, {330, 235}, {250, 260}});
    EXPECT_EQ(canvas->VisibleRect(), Offset(start, 50, -60)) << "dragging right shows the left";
    Drag(*canvas, {300, 200}, {{5300, 4200}});
    EXPECT_EQ(canvas->VisibleRect().left, 0);
    EXPECT_EQ(canvas->VisibleRect().top, 0);
    Drag(*canvas, {300, 200}, {{290, 170}, {200, 195}});

    const IntRect visible = canvas->VisibleRect();
    cv::Mat fresh(canvas->CleanPicture().size(), CV_8UC3, cv::Scalar(0, 0, 0));
    ASSERT_TRUE(RenderRegion(canvas->FramePicture(), scale, visible, {0, 0}, fresh));
    const cv::Rect shown(0, 0, visible.Width(), visible.Height());
    EXPECT_EQ(cv::norm(canvas->CleanPicture()(shown), fresh(shown), cv::NORM_INF), 0) << scale;
}

// Zoom steps from the fit: 1/2, 1, 2 and 3.
INSTANTIATE_TEST_SUITE_P(Canvas, Panning, testing::Values(1, 2, 3, 4),
                         [](const auto& info) { return test::CaseName("zoom_steps", info.param); });

TEST(ObjectContainer, DraggingInFitModeDoesNotPan) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(1600, 1200));
    Drag(*canvas, {300, 200}, {{100, 50}});
    EXPECT_EQ(canvas->VisibleRect(), (IntRect{0, 0, 640, 480}));
    EXPECT_TRUE(canvas->IsFitMode());
}

// ---- Turning ----------------------------------------------------------------

TEST(ObjectContainer, RightTurnLaysOutTheTurnedFrameAndTurnsTheCropBox) {
    const cv::Mat frame = PatternFrame(1600, 1200);
    auto canvas = MakeCanvas(640, 480, frame);
    canvas->SetCropRect(100, 200, 500, 600, false);
    canvas->RotateRight();

    EXPECT_EQ(canvas->FramePicture().size(), cv::Size(1200, 1600));
    EXPECT_FLOAT_EQ(canvas->Scale(), 0.3f);
    EXPECT_EQ(canvas->DestinationRect(), (IntRect{140, 0, 500, 480}));
    IntRect box;
    ASSERT_TRUE(canvas->GetObjectGeometry(0, box));
    EXPECT_EQ(box, (IntRect{599, 100, 999, 500}));
    // The box's corners lie on the same document pixels as before the turn.
    const cv::Mat& turned = canvas->FramePicture();
    EXPECT_EQ(turned.at<cv::Vec3b>(100, 999), frame.at<cv::Vec3b>(200, 100));
    EXPECT_EQ(turned.at<cv::Vec3b>(500, 599), frame.at<cv::Vec3b>(600, 500));
}

TEST(ObjectContainer, ZoomedTurnKeepsTheCentrePixel) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(1600, 1200));
    for (int i = 0; i < 3; ++i) {
        canvas->ZoomIn();  // 2
    }
    const QRgb centre = ShownAt(*canvas, {320, 240});
    canvas->RotateRight();
    EXPECT_FLOAT_EQ(canvas->Scale(), 2);
    EXPECT_FALSE(canvas->IsFitMode());
    // The turned centre pixel is shown within one enlarged pixel of the centre.
    const QImage shown = canvas->grab().toImage();
    bool found = false;
    for (int dy = -2; dy <= 2 && !found; ++dy) {
        for (int dx = -2; dx <= 2 && !found; ++dx) {
            found = shown.pixel(320 + dx, 240 + dy) == centre;
        }
    }
    EXPECT_TRUE(found);
}

enum Turn { R, L, H };

class TurnsToIdentity : public testing::TestWithParam<std::vector<Turn>> {};

TEST_P(TurnsToIdentity, RestoreTheFrameAndTheCropBox) {
    const cv::Mat frame = PatternFrame(400, 300);
    auto canvas = MakeCanvas(640, 480, frame);
    canvas->SetCropRect(30, 40, 250, 170, false);
    for (Turn turn : GetParam()) {
        switch (turn) {
            case R:
                canvas->RotateRight();
                break;
            case L:
                canvas->RotateLeft();
                break;
            case H:
                canvas->Rotate180();
                break;
        }
    }
    EXPECT_EQ(cv::norm(canvas->FramePicture(), frame, cv::NORM_INF), 0);
    IntRect box;
    ASSERT_TRUE(canvas->GetObjectGeometry(0, box));
    EXPECT_EQ(box, (IntRect{30, 40, 250, 170}));
    EXPECT_EQ(canvas->DestinationRect(), (IntRect{120, 90, 520, 390}));
}

INSTANTIATE_TEST_SUITE_P(Canvas, TurnsToIdentity,
                         testing::Values(std::vector<Turn>{R, R, R, R},
                                         std::vector<Turn>{L, L, L, L}, std::vector<Turn>{R, L},
                                         std::vector<Turn>{H, H}, std::vector<Turn>{R, R, H},
                                         std::vector<Turn>{L, H, L}),
                         [](const testing::TestParamInfo<std::vector<Turn>>& info) {
                             std::string name;
                             for (Turn turn : info.param) {
                                 name += "RLH"[turn];
                             }
                             return name;
                         });

// ---- Messages ---------------------------------------------------------------

class MessageLog : public QWidget {
  public:
    std::vector<std::array<qintptr, 3>> messages;

  protected:
    bool event(QEvent* event) override {
        if (event->type() == platform::WindowMessageEvent::Type()) {
            const auto* m = static_cast<platform::WindowMessageEvent*>(event);
            messages.push_back({m->Message(), m->WParam(), m->LParam()});
            return true;
        }
        return QWidget::event(event);
    }
};

TEST(ObjectContainer, DoubleClickDeselectsTheCropBoxAndTellsTheParent) {
    MessageLog parent;
    parent.resize(640, 480);
    parent.show();
    auto canvas = MakeCanvas(640, 480, PatternFrame(640, 480), &parent);
    canvas->SetCropRect(100, 100, 300, 300, false);
    Drag(*canvas, {200, 200}, {});
    ASSERT_TRUE(canvas->CropBox()->IsSelected());

    test::SendMouse(*canvas, QEvent::MouseButtonDblClick, {200, 200}, Qt::LeftButton,
                    Qt::LeftButton);
    EXPECT_FALSE(canvas->CropBox()->IsSelected());
    QCoreApplication::sendPostedEvents(&parent);
    ASSERT_EQ(parent.messages.size(), 1u);
    EXPECT_EQ(parent.messages[0], (std::array<qintptr, 3>{platform::WM_PREVIEW_DBLCLK, 0, 0}));
}

TEST(ObjectContainer, BurningOverlaysNeverBurnsTheCropBox) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(640, 480));
    canvas->SetCropRect(100, 100, 300, 300, false);
    cv::Mat picture = PatternFrame(640, 480);
    cv::Mat empty;
    EXPECT_EQ(canvas->OnBurnOverlays(&picture), 0);
    EXPECT_EQ(cv::norm(picture, PatternFrame(640, 480), cv::NORM_INF), 0);
    EXPECT_EQ(canvas->OnBurnOverlays(&empty), 1);
    EXPECT_EQ(canvas->OnBurnOverlays(nullptr), 1);
    EXPECT_EQ(canvas->HandleMessage(platform::WM_PREVIEW_GET_IMAGE, 4,
                                    reinterpret_cast<qintptr>(&picture)),
              0);
}

TEST(ObjectContainer, ShowImageMessageShowsTheMatrix) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(640, 480));
    const cv::Mat frame = PatternFrame(320, 200);
    EXPECT_EQ(canvas->HandleMessage(platform::WM_CANVAS_SHOW_IMAGE, 0, 0), 1);
    platform::PostWindowMessage(canvas.get(), platform::WM_CANVAS_SHOW_IMAGE,
                                reinterpret_cast<qintptr>(&frame), 0);
    QCoreApplication::sendPostedEvents(canvas.get());
    EXPECT_EQ(canvas->FramePicture().size(), cv::Size(320, 200));
    EXPECT_EQ(canvas->HandleMessage(platform::WM_SECOND_FRAME_READY, 0, 0), 1);
}

}  // namespace
}  // namespace orbisk
