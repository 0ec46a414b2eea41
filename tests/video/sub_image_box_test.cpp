#include "video/sub_image_box.h"

#include "tests/video/preview_frames.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace orbisk {
namespace {

constexpr double kPi = std::numbers::pi;
using test::CoordinateFrame;

// The picture's rows bottom-up, as a frame store holds them.
std::vector<uint8_t> BottomUp(const cv::Mat& picture) {
    cv::Mat flipped;
    cv::flip(picture, flipped, 0);
    return {flipped.data, flipped.data + flipped.total() * 3};
}

CSubImageBox BoxWith(const cv::Mat& picture, const IntRect& rect) {
    CSubImageBox box;
    box.SetRect(rect.left, rect.top, rect.right, rect.bottom, false);
    const std::vector<uint8_t> rows = BottomUp(picture);
    EXPECT_TRUE(box.SetImage(rows.data(), picture.cols, picture.rows));
    return box;
}

TEST(SubImageBox, FirstPictureGivesANewBoxItsSizeAndTurnsRowsTopDown) {
    CSubImageBox box;
    EXPECT_EQ(box.LastDrawScale(), 1);  // set before any drawing
    const cv::Mat picture = CoordinateFrame(320, 240);
    const std::vector<uint8_t> rows = BottomUp(picture);
    ASSERT_TRUE(box.SetImage(rows.data(), 320, 240));
    EXPECT_EQ(box.GetRect(), (IntRect{0, 0, 320, 240}));
    EXPECT_TRUE(test::SameImage(box.Picture(), picture));
    // A later picture keeps the box where it is.
    box.SetRect(10, 20, 110, 95, false);
    const cv::Mat other = CoordinateFrame(64, 48, 9);
    const std::vector<uint8_t> more = BottomUp(other);
    ASSERT_TRUE(box.SetImage(more.data(), 64, 48));
    EXPECT_EQ(box.GetRect(), (IntRect{10, 20, 110, 95}));
    EXPECT_TRUE(test::SameImage(box.Picture(), other));
    EXPECT_FALSE(box.SetImage(nullptr, 64, 48));
    EXPECT_FALSE(box.SetImage(more.data(), 0, 48));
    EXPECT_FALSE(box.SetImage(more.data(), 64, -1));
    EXPECT_TRUE(test::SameImage(box.Picture(), other));
}

struct FoldCase {
    double angle;
    double folded;
};

class Folding : public testing::TestWithParam<FoldCase> {};

TEST_P(Folding, TurnsOnceTowardZero) {
    EXPECT_NEAR(FoldQuarterTurn(GetParam().angle), GetParam().folded, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(SubImageBox, Folding,
                         testing::Values(FoldCase{1.2, 1.2 - kPi / 2},
                                         FoldCase{-1.2, -1.2 + kPi / 2}, FoldCase{0.5, 0.5},
                                         FoldCase{-0.5, -0.5}, FoldCase{kPi / 4, -kPi / 4},
                                         FoldCase{-kPi / 4, kPi / 4}, FoldCase{3.0, 3.0 - kPi / 2},
                                         FoldCase{0, 0}),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(SubImageBox, DrawStretchesThePictureIntoTheZoomedBox) {
    const cv::Mat picture = CoordinateFrame(40, 30);
    CSubImageBox box = BoxWith(picture, {100, 100, 180, 160});  // twice the picture
    cv::Mat view(100, 100, CV_8UC3, cv::Scalar::all(7));
    // Scale 2, the view showing zoomed (150, 150) onwards: the box is at
    // zoomed (200, 200) - (360, 320), four times the picture, nearest pixels.
    box.Draw(view, {150, 150, 250, 250}, 2);
    EXPECT_EQ(box.LastDrawScale(), 2);
    cv::Mat expected;
    cv::resize(picture, expected, {160, 120}, 0, 0, cv::INTER_NEAREST);
    EXPECT_TRUE(test::SameImage(view(cv::Rect(50, 50, 50, 50)), expected(cv::Rect(0, 0, 50, 50))));
    EXPECT_EQ(view.at<cv::Vec3b>(49, 49), cv::Vec3b(7, 7, 7));
    // Reduced: the box at half its size averages.
    cv::Mat small(100, 100, CV_8UC3, cv::Scalar::all(7));
    box.Draw(small, {0, 0, 100, 100}, 0.5f);
    EXPECT_EQ(small.at<cv::Vec3b>(49, 49), cv::Vec3b(7, 7, 7));
    EXPECT_NE(small.at<cv::Vec3b>(50, 50), cv::Vec3b(7, 7, 7));
    EXPECT_EQ(small.at<cv::Vec3b>(80, 90), cv::Vec3b(7, 7, 7));
}

TEST(SubImageBox, StretchIntoAHugeBoxComputesOnlyWhatShows) {
    const cv::Mat picture = CoordinateFrame(40, 30);
    cv::Mat view(50, 50, CV_8UC3, cv::Scalar::all(7));
    // A box of 40000 x 30000 pixels: a full enlargement would take 3.6 GB.
    StretchInto(picture, {-20000, -15000, 20000, 15000}, view, true);
    // The view shows the middle of the picture's pixel (20, 15), blurred at
    // most by its neighbours.
    EXPECT_LE(cv::norm(view.at<cv::Vec3b>(25, 25), picture.at<cv::Vec3b>(15, 20), cv::NORM_INF), 1);
    StretchInto(picture, {60, 60, 100, 100}, view, false);  // outside: nothing
    StretchInto(cv::Mat(), {0, 0, 10, 10}, view, false);
}

TEST(SubImageBox, MarkerIsTheBoxTurnedByTheFoldedAngle) {
    const cv::Mat picture(100, 100, CV_8UC3, cv::Scalar::all(0));
    CSubImageBox box = BoxWith(picture, {50, 50, 150, 150});
    box.SetAngleMarker(true, 1.2);
    cv::Mat view(200, 200, CV_8UC3, cv::Scalar::all(0));
    box.Draw(view, {0, 0, 200, 200}, 1);
    const double a = 1.2 - kPi / 2;
    // The top-left corner (50, 50) turned about (100, 100).
    const cv::Point corner(static_cast<int>(-50 * std::cos(a) + 50 * std::sin(a) + 100),
                           static_cast<int>(-50 * std::sin(a) - 50 * std::cos(a) + 100));
    EXPECT_EQ(view.at<cv::Vec3b>(corner), cv::Vec3b(0, 255, 0));
    // Not the box itself: its untouched corner stays black.
    EXPECT_EQ(view.at<cv::Vec3b>(52, 148), cv::Vec3b(0, 0, 0));
    // Off, with the box selected: a one-pixel blue outline.
    box.SetAngleMarker(false, 0);
    box.Select(true);
    view.setTo(cv::Scalar::all(0));
    box.Draw(view, {0, 0, 200, 200}, 1);
    EXPECT_EQ(view.at<cv::Vec3b>(50, 100), cv::Vec3b(255, 0, 0));
    EXPECT_EQ(view.at<cv::Vec3b>(149, 100), cv::Vec3b(255, 0, 0));
    EXPECT_EQ(cv::countNonZero(view.reshape(1)), 396);
}

TEST(SubImageBox, BurnInStretchesIntoTheBoxOrPlacesThePictureTurnedOnIt) {
    const cv::Mat picture = CoordinateFrame(40, 20);
    CSubImageBox box = BoxWith(picture, {100, 100, 200, 200});
    cv::Mat frame(300, 300, CV_8UC3, cv::Scalar::all(9));
    box.BurnIn(frame);
    cv::Mat expected(100, 100, CV_8UC3);
    cv::resize(picture, expected, {100, 100}, 0, 0, cv::INTER_LINEAR);
    EXPECT_LE(cv::norm(frame(cv::Rect(100, 100, 100, 100)), expected, cv::NORM_INF), 32);
    EXPECT_EQ(frame.at<cv::Vec3b>(99, 99), cv::Vec3b(9, 9, 9));
    // The marker on with no tilt: the picture at its own size, centred.
    box.SetAngleMarker(true, 0);
    frame.setTo(cv::Scalar::all(9));
    box.BurnIn(frame);
    EXPECT_TRUE(test::SameImage(frame(cv::Rect(130, 140, 40, 20)), picture));
    EXPECT_EQ(frame.at<cv::Vec3b>(139, 150), cv::Vec3b(9, 9, 9));
    // Tilted and partly off the frame: what lies on it, nothing beyond.
    box.SetRect(-30, -30, 10, 10, false);
    box.SetAngleMarker(true, 0.3);
    frame.setTo(cv::Scalar::all(9));
    box.BurnIn(frame);
    EXPECT_GT(cv::countNonZero(frame(cv::Rect(0, 0, 30, 30)).reshape(1) != 9), 0);
    EXPECT_EQ(cv::countNonZero(frame(cv::Rect(40, 40, 260, 260)).reshape(1) != 9), 0);
}

TEST(SubImageBox, PressInsideSelectsAndDraggingMovesIt) {
    CSubImageBox box = BoxWith(CoordinateFrame(40, 30), {100, 100, 180, 160});
    EXPECT_FALSE(box.OnLButtonDown({10, 10}, 0.5f));
    box.OnLButtonUp({10, 10}, 0.5f);
    ASSERT_TRUE(box.OnLButtonDown({60, 60}, 0.5f));  // frame (120, 120)
    box.OnLButtonUp({60, 60}, 0.5f);
    box.OnMouseMove({60, 60}, 0.5f);
    EXPECT_EQ(box.HandleUnderCursor(), kInsideBox);
    EXPECT_TRUE(box.OnSetCursor({60, 60}, 0.5f));
    box.OnLButtonDown({60, 60}, 0.5f);
    box.OnMouseMove({70, 55}, 0.5f);
    box.OnLButtonUp({70, 55}, 0.5f);
    EXPECT_EQ(box.GetRect(), (IntRect{120, 90, 200, 150}));
}

}  // namespace
}  // namespace orbisk
