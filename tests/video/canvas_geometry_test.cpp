#include "video/canvas_geometry.h"

#include "video/canvas_render.h"

#include <gtest/gtest.h>
#include <opencv2/core.hpp>

namespace orbisk {
namespace {

TEST(CanvasGeometry, RoundsHalfAwayFromZero) {
    struct Case {
        double value;
        int expected;
    };
    for (const Case& c : {Case{2.5, 3}, Case{-2.5, -3}, Case{2.49, 2}, Case{-2.49, -2}, Case{0, 0},
                          Case{0.5, 1}, Case{-0.5, -1}}) {
        EXPECT_EQ(RoundHalfAway(c.value), c.expected) << c.value;
    }
}

TEST(CanvasGeometry, FitScaleNeverEnlargesAndNeedsAClientArea) {
    EXPECT_FLOAT_EQ(FitScale({1600, 1200}, {640, 480}), 0.4f);
    EXPECT_FLOAT_EQ(FitScale({1600, 400}, {640, 480}), 0.4f);
    EXPECT_FLOAT_EQ(FitScale({320, 240}, {640, 480}), 1);
    EXPECT_FLOAT_EQ(FitScale({}, {640, 480}), 1);
    EXPECT_FLOAT_EQ(FitScale({1600, 1200}, {0, 480}), 1);
    // No height: a scale of 0 would later be divided by.
    EXPECT_FLOAT_EQ(FitScale({1600, 1200}, {640, 0}), 1);
}

struct LayoutCase {
    const char* name;
    cv::Size frame;
    float scale;
    cv::Point anchor;
    cv::Point imagePoint;
    IntRect visible;
    IntRect destination;
};

class Layout : public testing::TestWithParam<LayoutCase> {};

TEST_P(Layout, PutsTheImagePointAtTheAnchorWithinTheFrame) {
    const LayoutCase& c = GetParam();
    const ViewLayout layout =
        LayoutView(c.frame, c.scale, c.anchor, c.imagePoint, {0, 0, 640, 480});
    EXPECT_EQ(layout.visible, c.visible);
    EXPECT_EQ(layout.destination, c.destination);
}

INSTANTIATE_TEST_SUITE_P(
    Canvas, Layout,
    testing::Values(
        // Both axes larger than the window: image point (1000, 700) at 2 is
        // zoomed (2000, 1400), shown at the anchor.
        LayoutCase{"Large",
                   {1600, 1200},
                   2,
                   {100, 50},
                   {1000, 700},
                   {1900, 1350, 2540, 1830},
                   {0, 0, 640, 480}},
        // Near the frame's edges the clamping moves the point off the anchor.
        LayoutCase{"ClampedLeftTop",
                   {1600, 1200},
                   2,
                   {320, 240},
                   {10, 10},
                   {0, 0, 640, 480},
                   {0, 0, 640, 480}},
        LayoutCase{"ClampedRightBottom",
                   {1600, 1200},
                   2,
                   {320, 240},
                   {1590, 1190},
                   {2560, 1920, 3200, 2400},
                   {0, 0, 640, 480}},
        // Wide: spans the width, centred in height.
        LayoutCase{
            "Wide", {1600, 400}, 1, {320, 240}, {1000, 5}, {680, 0, 1320, 400}, {0, 40, 640, 440}},
        LayoutCase{"WideClamped",
                   {1600, 400},
                   1,
                   {320, 240},
                   {1500, 5},
                   {960, 0, 1600, 400},
                   {0, 40, 640, 440}},
        // Tall: spans the height, centred in width.
        LayoutCase{
            "Tall", {400, 1600}, 1, {320, 240}, {5, 1000}, {0, 760, 400, 1240}, {120, 0, 520, 480}},
        // Small: centred, the points do not matter.
        LayoutCase{
            "Small", {320, 240}, 1, {10, 10}, {0, 0}, {0, 0, 320, 240}, {160, 120, 480, 360}},
        // An anchor outside the window stands for its centre, an image point
        // outside the frame for the frame's centre; a negative scale for 1.
        LayoutCase{"Outside",
                   {1600, 1200},
                   1,
                   {-5, 900},
                   {5000, -1},
                   {480, 360, 1120, 840},
                   {0, 0, 640, 480}},
        LayoutCase{"Unfitted",
                   {1600, 1200},
                   -1,
                   {320, 240},
                   {800, 600},
                   {480, 360, 1120, 840},
                   {0, 0, 640, 480}}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

TEST(CanvasRender, WholeFactorsAverageBlocksAndOtherFactorsKeepAFlatColour) {
    cv::Mat checker(400, 600, CV_8UC3);
    for (int y = 0; y < checker.rows; ++y) {
        for (int x = 0; x < checker.cols; ++x) {
            checker.at<cv::Vec3b>(y, x) =
                (x + y) % 2 ? cv::Vec3b(200, 100, 0) : cv::Vec3b(0, 100, 200);
        }
    }
    cv::Mat half(200, 300, CV_8UC3);
    ReducePicture(checker, half);
    EXPECT_EQ(
        cv::norm(half, cv::Mat(half.size(), CV_8UC3, cv::Scalar(100, 100, 100)), cv::NORM_INF), 0);

    // A fractional factor: every pixel still averages the flat colour.
    const cv::Mat flat(2448, 3264, CV_8UC3, cv::Scalar(30, 60, 90));
    cv::Mat view(800, 1066, CV_8UC3, cv::Scalar(0, 0, 0));
    ReducePicture(flat, view);
    EXPECT_EQ(cv::norm(view, cv::Mat(view.size(), CV_8UC3, cv::Scalar(30, 60, 90)), cv::NORM_INF),
              0);
}

TEST(CanvasRender, RegionsOutsideTheZoomLevelsOrTheFrameDrawNothing) {
    const cv::Mat frame(100, 100, CV_8UC3, cv::Scalar(9, 9, 9));
    cv::Mat view(50, 50, CV_8UC3, cv::Scalar(0, 0, 0));
    EXPECT_FALSE(RenderRegion(frame, 0.4f, {0, 0, 40, 40}, {0, 0}, view));
    // At 2 the zoomed frame is 200 x 200; only its last 10 columns and rows
    // lie in this region, drawn at (0, 0) ... (9, 9) of the view.
    ASSERT_TRUE(RenderRegion(frame, 2, {190, 190, 240, 240}, {0, 0}, view));
    EXPECT_EQ(cv::countNonZero(view.reshape(1)), 10 * 10 * 3);
    EXPECT_EQ(view.at<cv::Vec3b>(9, 9), cv::Vec3b(9, 9, 9));
}

}  // namespace
}  // namespace orbisk
