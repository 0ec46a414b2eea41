#include "imaging/frame_statistics.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "imaging/document_detection.h"
#include "tests/imaging/box_testing.h"
#include "tests/support/case_name.h"
#include "tests/support/scene_generator.h"
#include "tests/support/text_page.h"

namespace orbisk {
namespace {

using namespace test;

// What the inspection thread passes.
constexpr float kFraction = 0.05f;
constexpr int kDifference = 50;
constexpr double kPresentRatio = 0.04;

cv::Mat Grey(int rows, int cols, int value, int type = CV_8UC1) {
    return cv::Mat(rows, cols, type, cv::Scalar::all(value));
}

TEST(FrameUnchanged, FramesOfAnotherShapeOrUnusableAreNeverUnchanged) {
    const cv::Mat frame = Grey(200, 200, 90);
    EXPECT_FALSE(IsFrameUnchanged(frame, Grey(200, 201, 90), kFraction, kDifference));
    EXPECT_FALSE(IsFrameUnchanged(frame, Grey(201, 200, 90), kFraction, kDifference));
    EXPECT_FALSE(IsFrameUnchanged(frame, Grey(200, 200, 90, CV_8UC3), kFraction, kDifference));
    EXPECT_FALSE(IsFrameUnchanged(cv::Mat(), frame, kFraction, kDifference));
    EXPECT_FALSE(IsFrameUnchanged(frame, cv::Mat(), kFraction, kDifference));
    EXPECT_FALSE(IsFrameUnchanged(cv::Mat(), cv::Mat(), kFraction, kDifference));
    EXPECT_FALSE(IsFrameUnchanged(Grey(200, 200, 90, CV_16UC1), Grey(200, 200, 90, CV_16UC1),
                                  kFraction, kDifference));
    EXPECT_TRUE(IsFrameUnchanged(frame, frame.clone(), kFraction, kDifference));
}

struct ChangeCase {
    std::string name;
    int channels;
    int side;        // a changed square of side x side pixels in a 200 x 200 frame
    int shift;       // how much one channel of it moves
    bool unchanged;  // limit 200 * 200 * 0.05 = 2000
};

class FrameChange : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(FrameChange, CountsTheAreaOfPixelsThatMovedByMoreThanTheDifference) {
    const ChangeCase c = GetParam();
    const int type = CV_8UC(c.channels);
    const cv::Mat before = Grey(200, 200, 100, type);
    cv::Mat after = before.clone();
    // Only the last channel moves: any channel counts.
    cv::Mat square = after(cv::Rect(30, 60, c.side, c.side));
    std::vector<cv::Mat> planes;
    cv::split(square, planes);
    planes.back() += c.shift;
    cv::merge(planes, square);

    EXPECT_EQ(IsFrameUnchanged(before, after, kFraction, kDifference), c.unchanged);
    EXPECT_EQ(IsFrameUnchanged(after, before, kFraction, kDifference), c.unchanged);
}

INSTANTIATE_TEST_SUITE_P(Squares, FrameChange,
                         ::testing::Values(
                             // Contour area 39 x 39 = 1521.
                             ChangeCase{"grey_40_square", 1, 40, 120, true},
                             // Contour area 49 x 49 = 2401.
                             ChangeCase{"grey_50_square", 1, 50, 120, false},
                             ChangeCase{"colour_40_square", 3, 40, 120, true},
                             ChangeCase{"colour_50_square", 3, 50, 120, false},
                             // 45 x 45: area 1936, just under the limit; 46 x 46: 2025, over.
                             ChangeCase{"grey_45_square", 1, 45, 120, true},
                             ChangeCase{"grey_46_square", 1, 46, 120, false},
                             // The difference must exceed 50.
                             ChangeCase{"moved_by_exactly_50", 3, 100, 50, true},
                             ChangeCase{"moved_by_51", 3, 100, 51, false},
                             ChangeCase{"grey_moved_by_exactly_50", 1, 100, 50, true},
                             ChangeCase{"grey_moved_by_51", 1, 100, 51, false}),
                         [](const auto& info) { return info.param.name; });

TEST(FrameUnchanged, ScatteredSinglePixelsAddNoArea) {
    const cv::Mat before = Grey(200, 200, 0);
    cv::Mat after = before.clone();
    // 2500 isolated changed pixels, more than the limit of 2000 pixels.
    for (int y = 0; y < 200; y += 4)
        for (int x = 0; x < 200; x += 4) after.at<uchar>(y, x) = 255;
    EXPECT_TRUE(IsFrameUnchanged(before, after, kFraction, kDifference));
}

// --- The stroke test beside it ----------------------------------------------

// What the inspection passes: a quarter of a percent, 30 grey levels.
constexpr float kStrokeFraction = 0.0025f;
constexpr int kStrokeDifference = 30;

// The inspection's averaged reduction of a camera frame.
cv::Mat Averaged(const cv::Mat& frame) {
    cv::Mat reduced;
    cv::resize(frame, reduced, cv::Size(), 0.2, 0.2, cv::INTER_AREA);
    return reduced;
}

cv::Mat Moved(const cv::Mat& picture, double dx, double dy, double degrees = 0) {
    cv::Mat turn = cv::getRotationMatrix2D({800, 600}, degrees, 1.0);
    turn.at<double>(0, 2) += dx;
    turn.at<double>(1, 2) += dy;
    cv::Mat moved;
    cv::warpAffine(picture, moved, turn, picture.size(), cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    return moved;
}

cv::Mat Blurred(const cv::Mat& picture, double sigma) {
    cv::Mat blurred;
    cv::GaussianBlur(picture, blurred, {0, 0}, sigma);
    return blurred;
}

// Horizontal bands of light, as a rolling shutter under mains light shows.
cv::Mat Banded(const cv::Mat& picture, double depth) {
    cv::Mat lit;
    picture.convertTo(lit, CV_32FC3);
    for (int y = 0; y < lit.rows; ++y) lit.row(y) *= 1 + depth * std::sin(y / 40.0);
    cv::Mat banded;
    lit.convertTo(banded, CV_8UC3);
    return banded;
}

// The first frame shows page 1; the second is made from pages 1 and 2.
struct StrokeCase {
    const char* name;
    std::function<cv::Mat(const cv::Mat& page, const cv::Mat& other)> after;
    bool changed;
};

const StrokeCase kStrokeCases[] = {
    {"same_page_under_sensor_noise", [](auto& page, auto&) { return CameraFrame(page, 2); }, false},
    {"same_page_under_high_gain_noise", [](auto& page, auto&) { return CameraFrame(page, 2, 14); },
     false},
    {"same_page_light_down_15_percent",
     [](auto& page, auto&) { return CameraFrame(page, 2, 3, 0.85); }, false},
    {"same_page_light_up_15_percent",
     [](auto& page, auto&) { return CameraFrame(page, 2, 3, 1.15); }, false},
    {"same_page_light_bands", [](auto& page, auto&) { return CameraFrame(Banded(page, 0.06), 2); },
     false},
    {"same_page_shaken_by_two_pixels",
     [](auto& page, auto&) { return CameraFrame(Moved(page, 2, 1), 2); }, false},
    {"same_page_refocused", [](auto& page, auto&) { return CameraFrame(Blurred(page, 1.5), 2); },
     false},
    {"another_page_in_the_same_place", [](auto&, auto& other) { return CameraFrame(other, 2); },
     true},
    {"another_page_under_flicker", [](auto&, auto& other) { return CameraFrame(other, 2, 3, 0.9); },
     true},
};

class StrokeChange : public ::testing::TestWithParam<StrokeCase> {};

TEST_P(StrokeChange, SeesAnotherPageAndNotTheLightOrTheNoise) {
    const StrokeCase& c = GetParam();
    const cv::Mat page = TextPage(1), other = TextPage(2);
    const cv::Mat before = Averaged(CameraFrame(page, 1)), after = Averaged(c.after(page, other));
    EXPECT_EQ(HaveStrokesChanged(before, after, kStrokeFraction, kStrokeDifference), c.changed);
    EXPECT_EQ(HaveStrokesChanged(after, before, kStrokeFraction, kStrokeDifference), c.changed);
}

INSTANTIATE_TEST_SUITE_P(Pages, StrokeChange, ::testing::ValuesIn(kStrokeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StrokeChange, SeesAnotherPageAtEightMegapixels) {
    // The sheet fills the same part of a larger frame, its words larger; the
    // noise is left out, as the reduction averages it away.
    const cv::Mat page = TextPage(1, {3264, 2448});
    const cv::Mat before = Averaged(CameraFrame(page, 1, 0));
    const cv::Mat after = Averaged(CameraFrame(TextPage(2, {3264, 2448}), 2, 0));
    EXPECT_TRUE(HaveStrokesChanged(before, after, kStrokeFraction, kStrokeDifference));
    const cv::Mat still = Averaged(CameraFrame(page, 3, 0, 0.9));
    EXPECT_FALSE(HaveStrokesChanged(before, still, kStrokeFraction, kStrokeDifference));
}

TEST(StrokeChange, TheChangeTestAloneMissesAnotherPageInTheSamePlace) {
    // Why the stroke test is there: the pixels of thin strokes enclose
    // little area, far below the change test's limit.
    cv::Mat before, after;
    cv::resize(CameraFrame(TextPage(1), 1), before, cv::Size(), 0.2, 0.2, cv::INTER_LINEAR);
    cv::resize(CameraFrame(TextPage(2), 2), after, cv::Size(), 0.2, 0.2, cv::INTER_LINEAR);
    EXPECT_TRUE(IsFrameUnchanged(before, after, kFraction, kDifference));
}

TEST(StrokeChange, UnusableOrMismatchedFramesShowNoChange) {
    const cv::Mat page = Averaged(TextPage(1));
    const cv::Mat other = Averaged(TextPage(2));
    EXPECT_TRUE(HaveStrokesChanged(page, other, kStrokeFraction, kStrokeDifference));
    cv::Mat grey;
    cv::cvtColor(other, grey, cv::COLOR_BGR2GRAY);
    EXPECT_FALSE(HaveStrokesChanged(page, grey, kStrokeFraction, kStrokeDifference));
    EXPECT_FALSE(HaveStrokesChanged(page, other(cv::Rect(0, 0, 100, 100)).clone(), kStrokeFraction,
                                    kStrokeDifference));
    EXPECT_FALSE(HaveStrokesChanged(cv::Mat(), other, kStrokeFraction, kStrokeDifference));
    EXPECT_FALSE(HaveStrokesChanged(page, cv::Mat(), kStrokeFraction, kStrokeDifference));
    // Black frames: no light to even out.
    const cv::Mat black(240, 320, CV_8UC3, cv::Scalar::all(0));
    EXPECT_FALSE(HaveStrokesChanged(black, black.clone(), kStrokeFraction, kStrokeDifference));
}

TEST(DocumentPresent, APageOfAThirdOfTheFrameIsPresentAndAnEmptyDeskIsNot) {
    // 480 x 360 on 960 x 540 (the inspection's reduced 5 MP frame is 518 x 389):
    // 33 % of the frame.
    SceneOptions options;
    options.size = {960, 540};
    options.pages = {{.centre = {470, 280}, .size = {480, 324}, .angle = 8}};
    const Scene scene = MakeScene(options);
    EXPECT_TRUE(IsDocumentPresent(scene.image, kPresentRatio, kPageDetection));

    for (EmptyDesk desk :
         {EmptyDesk::PlainDark, EmptyDesk::Wood, EmptyDesk::StripedCloth, EmptyDesk::ShadowEdge,
          EmptyDesk::SensorNoise, EmptyDesk::JpegArtefacts}) {
        EXPECT_FALSE(
            IsDocumentPresent(MakeEmptyDesk(desk, {960, 540}), kPresentRatio, kPageDetection))
            << "desk " << static_cast<int>(desk);
    }
    EXPECT_FALSE(IsDocumentPresent(cv::Mat(), kPresentRatio, kPageDetection));
}

TEST(DocumentPresent, TheBoxMustCoverMoreThanTheRatio) {
    SceneOptions options;
    options.size = {960, 540};
    options.pages = {{.centre = {480, 270}, .size = {300, 200}}};
    const Scene scene = MakeScene(options);
    RotatedBox box;
    ASSERT_TRUE(DetectDocument(box, kMedian, kSobel, 0.2f, 0.03f, scene.image, kFactor));
    const double covered = static_cast<double>(box.width) * box.height / (960.0 * 540.0);

    EXPECT_FALSE(IsDocumentPresent(scene.image, covered, kPageDetection));
    EXPECT_TRUE(IsDocumentPresent(scene.image, covered * 0.999, kPageDetection));
}

TEST(ForegroundBrightness, IsTheFifthFromTheBottomOfTheBrightPixels) {
    // Ten bright pixels (200..245 in steps of 5, in no order) on a dark frame:
    // index 10 / 5 = 2, the third smallest.
    cv::Mat frame = Grey(20, 20, 10);
    const int bright[] = {245, 210, 200, 230, 205, 240, 215, 235, 220, 225};
    for (int i = 0; i < 10; ++i) frame.at<uchar>(3 + i, 7 + i % 3) = static_cast<uchar>(bright[i]);
    EXPECT_EQ(MeasureForegroundBrightness(frame), 210);

    cv::Mat colour;
    cv::cvtColor(frame, colour, cv::COLOR_GRAY2BGR);
    EXPECT_EQ(MeasureForegroundBrightness(colour), 210);
}

TEST(ForegroundBrightness, AUniformFrameGivesItsOwnValueAndAnUnusableOneZero) {
    EXPECT_EQ(MeasureForegroundBrightness(Grey(40, 30, 137)), 137);
    EXPECT_EQ(MeasureForegroundBrightness(Grey(40, 30, 0)), 0);
    EXPECT_EQ(MeasureForegroundBrightness(Grey(40, 30, 255, CV_8UC3)), 255);
    EXPECT_EQ(MeasureForegroundBrightness(cv::Mat()), 0);
    EXPECT_EQ(MeasureForegroundBrightness(Grey(4, 4, 9, CV_32FC1)), 0);
}

}  // namespace
}  // namespace orbisk
