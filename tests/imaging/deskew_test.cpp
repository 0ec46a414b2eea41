#include "imaging/deskew.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include "imaging/document_crop.h"
#include "tests/imaging/box_testing.h"
#include "tests/support/case_name.h"
#include "tests/support/scene_generator.h"

namespace orbisk {
namespace {

using namespace test;  // scenes, box helpers and the callers' values

double DarkFraction(const cv::Mat& image, int below) {
    cv::Mat grey;
    cv::cvtColor(image, grey, cv::COLOR_BGR2GRAY);
    return cv::countNonZero(grey < below) / static_cast<double>(grey.total());
}

// A plain page photographed at a slant (sheared, turned): the plain crop keeps
// desk in two corners, the deskewed page is paper to its edges.
struct SlantCase {
    float angle;
    float shear;
};

class SlantedPage : public ::testing::TestWithParam<SlantCase> {};

TEST_P(SlantedPage, ComesOutAsAnUprightRectangleOfPaper) {
    const SlantCase c = GetParam();
    const Page page{.centre = {960, 540},
                    .size = {900, 620},
                    .angle = c.angle,
                    .shear = c.shear,
                    .textBars = false};
    const Scene scene = MakeScene({.pages = {page}});
    const cv::Mat before = scene.image.clone();

    cv::Mat deskewed;
    ASSERT_TRUE(DeskewDocument(scene.image, deskewed, kPageDetection, 10));
    EXPECT_EQ(cv::norm(scene.image, before, cv::NORM_INF), 0.0) << "input changed";
    EXPECT_LT(DarkFraction(deskewed, 120), 0.002);

    cv::Mat cropped;
    ASSERT_TRUE(CropDocument(scene.image, kCropDetection, 10, cropped));
    EXPECT_GT(DarkFraction(cropped, 120), 0.02) << "the slant should show in a plain crop";
}

INSTANTIATE_TEST_SUITE_P(Slants, SlantedPage,
                         ::testing::Values(SlantCase{0, 0.15f}, SlantCase{10, 0.12f},
                                           SlantCase{-20, -0.1f}),
                         [](const auto& info) {
                             return test::CaseName("angle", info.param.angle, "shear",
                                                   info.param.shear);
                         });

// Text bars start at the page's left margin and end at random lengths, so the
// left part of a page carries more ink than the right: a page turned the wrong
// way round would show it.
class DeskewKeepsTheWayUp : public ::testing::TestWithParam<float> {};

TEST_P(DeskewKeepsTheWayUp, LeftAlignedTextStaysOnTheLeft) {
    const Scene scene =
        MakeScene({.pages = {{.centre = {950, 530}, .size = {880, 640}, .angle = GetParam()}}});
    cv::Mat deskewed;
    ASSERT_TRUE(DeskewDocument(scene.image, deskewed, kPageDetection, 10));
    EXPECT_NEAR(deskewed.cols, 880 - 20, 14);
    EXPECT_NEAR(deskewed.rows, 640 - 20, 14);
    const int quarter = deskewed.cols / 4;
    const double left = DarkFraction(deskewed.colRange(0, quarter), 120);
    const double right =
        DarkFraction(deskewed.colRange(deskewed.cols - quarter, deskewed.cols), 120);
    EXPECT_GT(left, right + 0.1);
}

INSTANTIATE_TEST_SUITE_P(Angles, DeskewKeepsTheWayUp, ::testing::Values(0.0f, 8.0f, -30.0f),
                         [](const auto& info) { return test::CaseName("angle", info.param); });

// DeskewFromOutline with a box and outline given: the margin rule, the quarter
// turn of steep boxes, black outside the picture and the fallback without a
// transform.
cv::Mat Ramp() {
    cv::Mat image(300, 400, CV_8UC3);
    for (int y = 0; y < image.rows; ++y) {
        for (int x = 0; x < image.cols; ++x) {
            image.at<cv::Vec3b>(y, x) = cv::Vec3b(x % 256, y % 256, (x + y) % 200 + 30);
        }
    }
    return image;
}

std::vector<cv::Point> Corners(const RotatedBox& box) {
    cv::Point2f corners[4];
    cv::RotatedRect({box.cx, box.cy}, {box.width, box.height}, box.angle).points(corners);
    std::vector<cv::Point> points;
    for (const cv::Point2f& p : corners) points.emplace_back(cvRound(p.x), cvRound(p.y));
    return points;
}

struct MarginCase {
    int margin;
    cv::Size size;  // of the result, for the 200 x 70 box
};

class DeskewMargin : public ::testing::TestWithParam<MarginCase> {};

TEST_P(DeskewMargin, CutsTheMarginFromEachSide) {
    const MarginCase c = GetParam();
    const cv::Mat image = Ramp();
    const RotatedBox box{200, 150, 200, 70, 0};
    cv::Mat result;
    ASSERT_TRUE(DeskewFromOutline(image, box, Corners(box), c.margin, result));
    ASSERT_EQ(result.size(), c.size);
    // A level box whose outline is its own corners is a plain shift: the
    // result is the picture from the box's top-left corner plus the margin.
    const int g = (200 - c.size.width) / 2;
    const cv::Mat expected = image(cv::Rect(100 + g, 115 + g, c.size.width, c.size.height));
    EXPECT_LE(cv::norm(result, expected, cv::NORM_INF), 1.0);

    // The same box standing (angle below -45, sides swapped) gives the same.
    const RotatedBox standing{200, 150, 70, 200, -90 + 1e-3f};
    cv::Mat turned;
    ASSERT_TRUE(DeskewFromOutline(image, standing, Corners(standing), c.margin, turned));
    EXPECT_EQ(turned.size(), c.size);
}

INSTANTIATE_TEST_SUITE_P(Margins, DeskewMargin,
                         ::testing::Values(MarginCase{0, {200, 70}}, MarginCase{5, {190, 60}},
                                           // Negative means 5.
                                           MarginCase{-3, {190, 60}},
                                           // Twice the margin above a side: 0.
                                           MarginCase{40, {200, 70}}, MarginCase{34, {132, 2}}),
                         [](const auto& info) {
                             return test::CaseName("margin", info.param.margin);
                         });

TEST(DeskewFromOutline, OutsideOfThePictureIsBlack) {
    const cv::Mat image(300, 400, CV_8UC3, cv::Scalar::all(255));
    const RotatedBox box{380, 150, 100, 60, 0};
    cv::Mat result;
    ASSERT_TRUE(DeskewFromOutline(image, box, Corners(box), 0, result));
    ASSERT_EQ(result.size(), cv::Size(100, 60));
    // Columns 0 to 69 sample x = 330 to 399, the rest lies beyond the picture.
    EXPECT_EQ(cv::countNonZero(result.reshape(1).colRange(0, 3 * 69) != 255), 0);
    EXPECT_EQ(cv::countNonZero(result.reshape(1).colRange(3 * 71, 3 * 100)), 0);
}

struct FallbackCase {
    const char* name;
    std::vector<cv::Point> outline;
};

class DeskewFallback : public ::testing::TestWithParam<FallbackCase> {};

TEST_P(DeskewFallback, WithoutATransformCutsTheBoxOutUpright) {
    const cv::Mat image = Ramp();
    const RotatedBox box{200, 150, 120, 80, -10};
    cv::Mat result;
    ASSERT_TRUE(DeskewFromOutline(image, box, GetParam().outline, 10, result));
    const cv::Mat cut = WarpRotatedBox(box, image);
    ASSERT_EQ(cut.size(), cv::Size(120, 80));
    EXPECT_EQ(cv::norm(result, cut(cv::Rect(10, 10, 100, 60)), cv::NORM_INF), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Outlines, DeskewFallback,
                         ::testing::Values(FallbackCase{"none", {}},
                                           FallbackCase{"one_point", {{200, 150}, {200, 150}}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orbisk
