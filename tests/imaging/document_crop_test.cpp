#include "imaging/document_crop.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <limits>

#include "imaging/min_area_box.h"
#include "tests/imaging/box_testing.h"
#include "tests/support/case_name.h"
#include "tests/support/scene_generator.h"

namespace orbisk {
namespace {

using namespace test;  // scenes, box helpers and the callers' values

bool SameImage(const cv::Mat& a, const cv::Mat& b) {
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

// The angle of the longest dark bar in a cut-out page, in (-45, 45].
float LongestBarAngle(const cv::Mat& page) {
    cv::Mat grey;
    cv::cvtColor(page, grey, cv::COLOR_BGR2GRAY);
    cv::Mat dark = grey < 110;
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(dark, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
    size_t longest = 0;
    for (size_t i = 1; i < contours.size(); ++i) {
        if (contours[i].size() > contours[longest].size()) longest = i;
    }
    return contours.empty() ? 999.0f : Normalised(MinAreaBox(contours[longest])).angle;
}

// A white rectangle drawn turned on black, and the box around it: cutting out
// a slightly smaller box must give nothing but white, whichever way OpenCV
// names the sides. The cut-out is upright with the long side across when the
// rectangle is wider than tall after turning it back by less than 45 degrees.
struct TurnedRectangleCase {
    float drawnAngle;  // as cv::RotatedRect takes it
    int rows;          // of the cut-out of the shrunk box
    int cols;
};

class WarpTurnedRectangle : public ::testing::TestWithParam<TurnedRectangleCase> {};

TEST_P(WarpTurnedRectangle, CutsTheContentOutUpright) {
    const TurnedRectangleCase c = GetParam();
    cv::Mat image = cv::Mat::zeros(500, 600, CV_8UC3);
    const cv::RotatedRect drawn({300, 250}, {220, 90}, c.drawnAngle);
    cv::Point2f corners[4];
    drawn.points(corners);
    std::vector<cv::Point> polygon;
    for (const cv::Point2f& p : corners) polygon.emplace_back(cvRound(p.x), cvRound(p.y));
    cv::fillConvexPoly(image, polygon, cv::Scalar::all(255));

    RotatedBox box = ToRotatedBox(drawn);
    box.width -= 8;
    box.height -= 8;
    const cv::Mat cut = WarpRotatedBox(box, image);
    ASSERT_EQ(cut.rows, c.rows);
    ASSERT_EQ(cut.cols, c.cols);
    cv::Mat grey;
    cv::cvtColor(cut, grey, cv::COLOR_BGR2GRAY);
    EXPECT_GE(cv::countNonZero(grey > 200), cut.total() * 995 / 1000) << box;

    // The same box grown reaches the black surroundings on every side.
    box.width += 24;
    box.height += 24;
    const cv::Mat wide = WarpRotatedBox(box, image);
    cv::cvtColor(wide, grey, cv::COLOR_BGR2GRAY);
    for (const cv::Mat& edge :
         {grey.row(2), grey.row(grey.rows - 3), grey.col(2), grey.col(grey.cols - 3)}) {
        EXPECT_LT(cv::mean(edge)[0], 60.0) << box;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Angles, WarpTurnedRectangle,
    ::testing::Values(TurnedRectangleCase{0, 82, 212},
                      // Lying within 45 degrees of level: the long side across.
                      TurnedRectangleCase{12, 82, 212}, TurnedRectangleCase{-30, 82, 212},
                      // Box angle -60: turned back by +30 degrees.
                      TurnedRectangleCase{30, 82, 212},
                      // Standing: the box angle is 0 or below -45, and the
                      // long side runs down the rows.
                      TurnedRectangleCase{90, 212, 82}, TurnedRectangleCase{60, 212, 82},
                      TurnedRectangleCase{-80, 212, 82}),
    [](const auto& info) { return test::CaseName("angle", info.param.drawnAngle); });

TEST(WarpRotatedBox, OutsideOfThePictureIsWhite) {
    const cv::Mat image(100, 200, CV_8UC1, cv::Scalar(100));
    // Centred on the right edge: the right half of the cut-out lies outside.
    const cv::Mat cut = WarpRotatedBox({200, 50, 60, 40, 0}, image);
    ASSERT_EQ(cut.size(), cv::Size(60, 40));
    EXPECT_EQ(cv::countNonZero(cut(cv::Rect(0, 0, 29, 40)) != 100), 0);
    EXPECT_EQ(cv::countNonZero(cut(cv::Rect(31, 0, 29, 40)) != 255), 0);
}

TEST(WarpRotatedBox, SidesBelowOnePixelOrUnrepresentableGiveEmpty) {
    const cv::Mat image(100, 200, CV_8UC3, cv::Scalar::all(90));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const RotatedBox boxes[] = {{50, 50, 0.5f, 20, 0},  {50, 50, 20, 0.99f, 0},
                                {50, 50, -30, 20, -10}, {50, 50, 20, -1, -70},
                                {50, 50, nan, 20, 0},   {50, 50, 20, inf, 0},
                                {50, 50, 3e9f, 3e9f, 0}};
    for (const RotatedBox& box : boxes) {
        EXPECT_TRUE(WarpRotatedBox(box, image).empty()) << box;
        EXPECT_TRUE(ExtractRotatedBox(image, box).empty()) << box;
    }
    EXPECT_EQ(ExtractRotatedBox(image, {50, 50, 1, 1, 0}).size(), cv::Size(1, 1));
}

TEST(RotateBoxCorner, TurnsAboutTheCentreByTheBoxAngle) {
    const cv::Point2f p = RotateBoxCorner({10, 20, 0, 0, 90}, {15, 20});
    EXPECT_NEAR(p.x, 10.0f, 1e-4f);
    EXPECT_NEAR(p.y, 25.0f, 1e-4f);  // rows run downwards: clockwise on screen
}

class TiltedPage : public ::testing::TestWithParam<float> {};

TEST_P(TiltedPage, IsCutOutUprightWithItsTextLevel) {
    const float angle = GetParam();
    const Scene scene =
        MakeScene({.pages = {{.centre = {950, 540}, .size = {880, 620}, .angle = angle}}});
    const cv::Mat before = scene.image.clone();
    cv::Mat page;
    ASSERT_TRUE(CropDocument(scene.image, kCropDetection, 0, page));
    EXPECT_TRUE(SameImage(scene.image, before)) << "input changed";
    ASSERT_EQ(page.type(), CV_8UC3);
    EXPECT_NEAR(page.cols, 880, 12);
    EXPECT_NEAR(page.rows, 620, 12);
    EXPECT_NEAR(LongestBarAngle(page), 0.0f, 1.0f);
    // Nothing of the dark desk beyond the page's own edge: the strips three to
    // nine pixels in lie on the paper.
    cv::Mat grey;
    cv::cvtColor(page, grey, cv::COLOR_BGR2GRAY);
    const cv::Mat inner = grey(cv::Rect(3, 3, page.cols - 6, page.rows - 6));
    for (const cv::Mat& strip :
         {inner.rowRange(0, 6), inner.rowRange(inner.rows - 6, inner.rows), inner.colRange(0, 6),
          inner.colRange(inner.cols - 6, inner.cols)}) {
        EXPECT_GT(cv::mean(strip)[0], 160.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Angles, TiltedPage, ::testing::Values(0.0f, 9.0f, -25.0f, 40.0f),
                         [](const auto& info) { return test::CaseName("angle", info.param); });

TEST(CropDocument, MarginCutsAfterwardsOrGrowsTheBoxBefore) {
    const Scene scene =
        MakeScene({.pages = {{.centre = {900, 520}, .size = {900, 640}, .angle = 6}}});
    cv::Mat whole;
    ASSERT_TRUE(CropDocument(scene.image, kCropDetection, 0, whole));

    // A positive margin is the inner part of the whole cut-out.
    cv::Mat inner;
    ASSERT_TRUE(CropDocument(scene.image, kCropDetection, 10, inner));
    EXPECT_TRUE(SameImage(inner, whole(cv::Rect(10, 10, whole.cols - 20, whole.rows - 20))));

    // A negative margin grows the box by twice its size before the cut.
    cv::Mat grown;
    ASSERT_TRUE(CropDocument(scene.image, kCropDetection, -5, grown));
    EXPECT_NEAR(grown.cols - whole.cols, 10, 1);
    EXPECT_NEAR(grown.rows - whole.rows, 10, 1);

    // A margin that leaves nothing: true, result untouched.
    const cv::Mat sentinel(3, 3, CV_8UC1, cv::Scalar(7));
    cv::Mat result = sentinel;
    const int tooLarge = whole.rows / 2 + 1;
    ASSERT_LT(2 * tooLarge, whole.cols);
    EXPECT_TRUE(CropDocument(scene.image, kCropDetection, tooLarge, result));
    EXPECT_EQ(result.data, sentinel.data);
    EXPECT_TRUE(CropDocument(scene.image, kCropDetection, std::numeric_limits<int>::max(), result));
    EXPECT_EQ(result.data, sentinel.data);

    // CropDocuments appends an empty page in that case.
    std::vector<cv::Mat> pages;
    EXPECT_TRUE(CropDocuments(scene.image, pages, kCropDetection, tooLarge));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages[0].empty());
}

TEST(CropDocuments, CutsEachSeparatePageUpright) {
    const std::vector<Page> pages = {{.centre = {450, 540}, .size = {560, 760}, .angle = 5},
                                     {.centre = {1400, 520}, .size = {700, 480}, .angle = -10}};
    const Scene scene = MakeScene({.pages = pages});
    std::vector<cv::Mat> results{cv::Mat(2, 2, CV_8UC1)};
    ASSERT_TRUE(CropDocuments(scene.image, results, kCropDetection, 0));
    ASSERT_EQ(results.size(), 2u);
    for (const Page& page : pages) {
        int matched = 0;
        for (const cv::Mat& r : results) {
            matched +=
                std::abs(r.cols - page.size.width) < 14 && std::abs(r.rows - page.size.height) < 14;
        }
        EXPECT_EQ(matched, 1) << page.size;
    }
    for (const cv::Mat& r : results) EXPECT_NEAR(LongestBarAngle(r), 0.0f, 1.0f);
}

struct CropRectCase {
    const char* name;
    cv::Rect asked;
    bool ok;
    cv::Rect copied;
};

class CropRectTable : public ::testing::TestWithParam<CropRectCase> {};

TEST_P(CropRectTable, CopiesThePartInsideThePicture) {
    const CropRectCase& c = GetParam();
    cv::Mat image(60, 80, CV_8UC3);
    cv::randu(image, 0, 256);
    std::vector<cv::Mat> results{cv::Mat()};
    EXPECT_EQ(CropRect(image, results, c.asked.x, c.asked.y, c.asked.width, c.asked.height), c.ok);
    ASSERT_EQ(results.size(), c.ok ? 2u : 1u);
    if (c.ok) {
        EXPECT_TRUE(SameImage(results[1], image(c.copied)));
        EXPECT_NE(results[1].data, image.data) << "must be a copy";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rects, CropRectTable,
    ::testing::Values(CropRectCase{"inside", {10, 5, 30, 20}, true, {10, 5, 30, 20}},
                      // The right edge comes from the unclamped x: -10 + 100 = 90, cut to 80.
                      CropRectCase{"left_of_the_picture", {-10, 0, 100, 60}, true, {0, 0, 80, 60}},
                      CropRectCase{"partly_outside", {-10, -5, 40, 25}, true, {0, 0, 30, 20}},
                      CropRectCase{"wholly_right", {90, 0, 20, 20}, false, {}},
                      CropRectCase{"wholly_above", {0, -30, 20, 30}, false, {}},
                      CropRectCase{"empty", {10, 10, 0, 5}, false, {}},
                      CropRectCase{
                          "huge", {std::numeric_limits<int>::max() - 5, 0, 100, 10}, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orbisk
