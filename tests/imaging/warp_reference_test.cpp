// The cut-outs of WarpRotatedBox, CropDocument and CropDocuments against a
// plain reference: sampling maps of the whole output computed at once, one
// cv::remap over the whole picture, then a per-pixel white fill. The fast path
// must give the same pixels within one grey level per channel.

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "imaging/document_crop.h"
#include "imaging/document_detection.h"
#include "imaging/warp_maps.h"
#include "tests/imaging/box_testing.h"
#include "tests/support/case_name.h"
#include "tests/support/scene_generator.h"

namespace orbisk {
namespace {

using namespace test;  // scenes, box helpers and the callers' values

cv::Mat ReferenceWarp(const RotatedBox& box, const cv::Mat& image) {
    // The cut-out's geometry is shared; the sampling and whitening below are
    // the plain whole-map form the fast path must reproduce.
    const TurnedCut cut = TurnedCutOf(box);
    const int rows = cut.rows, cols = cut.cols;
    const TurnedSampling& t = cut.sampling;
    cv::Mat mapX(rows, cols, CV_32F);
    cv::Mat mapY(rows, cols, CV_32F);
    for (int i = 0; i < rows; ++i) {
        const float di = static_cast<float>(i) - t.halfRows;
        float* xs = mapX.ptr<float>(i);
        float* ys = mapY.ptr<float>(i);
        for (int j = 0; j < cols; ++j) {
            const float dj = static_cast<float>(j) - t.halfCols;
            xs[j] = t.cx + dj * t.cos - di * t.sin;
            ys[j] = t.cy + dj * t.sin + di * t.cos;
        }
    }
    cv::Mat out;
    cv::remap(image, out, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar::all(0));
    const float maxX = static_cast<float>(image.cols - 1);
    const float maxY = static_cast<float>(image.rows - 1);
    const int channels = image.channels();
    for (int i = 0; i < rows; ++i) {
        const float* xs = mapX.ptr<float>(i);
        const float* ys = mapY.ptr<float>(i);
        uchar* pixels = out.ptr<uchar>(i);
        for (int j = 0; j < cols; ++j) {
            if (xs[j] < 0 || xs[j] > maxX || ys[j] < 0 || ys[j] > maxY) {
                for (int k = 0; k < channels; ++k) pixels[j * channels + k] = 255;
            }
        }
    }
    return out;
}

// The margin rule applied to the reference cut-out; empty when the margin
// leaves nothing.
cv::Mat ReferencePage(const cv::Mat& image, RotatedBox box, int margin) {
    if (margin < 0) {
        box.width -= 2.0f * margin;
        box.height -= 2.0f * margin;
    }
    const cv::Mat cut = ReferenceWarp(box, image);
    if (margin <= 0) return cut;
    if (cut.cols <= 2 * margin || cut.rows <= 2 * margin) return cv::Mat();
    return cut(cv::Rect(margin, margin, cut.cols - 2 * margin, cut.rows - 2 * margin)).clone();
}

::testing::AssertionResult WithinOneLevel(const cv::Mat& actual, const cv::Mat& expected) {
    if (actual.size() != expected.size() || actual.type() != expected.type()) {
        return ::testing::AssertionFailure()
               << "size " << actual.size() << " type " << actual.type() << ", expected "
               << expected.size() << " type " << expected.type();
    }
    if (actual.empty()) return ::testing::AssertionSuccess();
    cv::Mat difference;
    cv::absdiff(actual, expected, difference);
    const double worst = cv::norm(difference, cv::NORM_INF);
    if (worst <= 1) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << cv::countNonZero(difference.reshape(1) > 1)
                                         << " values differ by more than 1, by up to " << worst;
}

cv::Mat AsInput(const cv::Mat& colour, bool grey) {
    if (!grey) return colour;
    cv::Mat g;
    cv::cvtColor(colour, g, cv::COLOR_BGR2GRAY);
    return g;
}

std::string Channels(bool grey) { return grey ? "grey" : "colour"; }

// Boxes given directly on a noisy 8-megapixel picture: every sampling
// difference shows up on noise, and coordinates of thousands of pixels are
// where float rounding would first part.
struct BoxCase {
    const char* name;
    RotatedBox box;
};

class WarpGivenBox : public ::testing::TestWithParam<std::tuple<BoxCase, bool>> {
  protected:
    static const cv::Mat& Noise() {
        static const cv::Mat noise = [] {
            cv::Mat image(2448, 3264, CV_8UC3);
            cv::RNG rng(20261210);
            rng.fill(image, cv::RNG::UNIFORM, 0, 256);
            return image;
        }();
        return noise;
    }
};

TEST_P(WarpGivenBox, MatchesTheWholeFrameReference) {
    const auto& [c, grey] = GetParam();
    const cv::Mat image = AsInput(Noise(), grey);
    const cv::Mat before = image.clone();
    const cv::Mat expected = ReferenceWarp(c.box, image);
    EXPECT_TRUE(WithinOneLevel(WarpRotatedBox(c.box, image), expected)) << c.box;
    EXPECT_TRUE(WithinOneLevel(ExtractRotatedBox(image, c.box), expected));
    EXPECT_EQ(cv::norm(image, before, cv::NORM_INF), 0) << "input changed";
}

const float kNan = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Boxes, WarpGivenBox,
    ::testing::Combine(
        ::testing::Values(BoxCase{"level_half_pixel_centre", {1632.5f, 1224.5f, 1501, 1103, 0}},
                          BoxCase{"turned_large", {1640, 1210, 2297.3f, 1697.3f, 8.2f}},
                          BoxCase{"turned_back_a_quarter",
                                  {1638, 1208, 1697.31f, 2297.33f, -82.0f}},
                          BoxCase{"steep_positive", {1500, 1300, 900.7f, 1400.2f, 61.5f}},
                          BoxCase{"exactly_45", {1600, 1200, 1000, 700, 45}},
                          BoxCase{"exactly_minus_45", {1600, 1200, 1000, 700, -45}},
                          BoxCase{"whole_frame", {1632, 1224, 3264, 2448, 0}},
                          BoxCase{"grown_past_every_side", {1632, 1224, 3400, 2600, 3}},
                          BoxCase{"over_the_left_edge", {120, 1200, 800, 600, 17}},
                          BoxCase{"over_the_right_edge", {3200, 900, 700, 500, -12}},
                          BoxCase{"over_the_top_edge", {1500, 40, 600, 400, 30}},
                          BoxCase{"over_the_bottom_left_corner", {60, 2400, 500, 450, -70}},
                          BoxCase{"wholly_outside", {-900, -700, 300, 200, 10}},
                          BoxCase{"one_pixel", {10.3f, 20.7f, 1, 1, 0}},
                          BoxCase{"three_by_two_turned", {3262.6f, 2446.4f, 3.9f, 2.2f, 33}},
                          BoxCase{"one_row", {1700, 1000, 517, 1, 5}},
                          BoxCase{"one_column", {1700, 1000, 1, 389, -5}},
                          BoxCase{"odd_sides", {1111.1f, 777.7f, 1031.9f, 67.3f, -1.5f}},
                          BoxCase{"centre_not_a_number", {kNan, 100, 40, 30, 0}}),
        ::testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + Channels(std::get<1>(info.param));
    });

// Pages found by detection on desk scenes, cut out by the crop operations
// with the margins the callers and the rule's edge cases use.
struct SceneCase {
    const char* name;
    SceneOptions options;
};

class CropScene : public ::testing::TestWithParam<std::tuple<SceneCase, bool>> {};

TEST_P(CropScene, PagesMatchTheWholeFrameReference) {
    const auto& [c, grey] = GetParam();
    const cv::Mat image = AsInput(MakeScene(c.options).image, grey);

    RotatedBox box;
    std::vector<cv::Point> outline;
    ASSERT_TRUE(FindDocumentBox(box, kMedian, kSobel, outline, kScale, kArea, image, kFactor));
    std::vector<RotatedBox> boxes;
    ASSERT_TRUE(FindDocumentBoxes(boxes, kMedian, kSobel, kScale, kArea, image, kFactor));

    for (const int margin : {0, -6, 9}) {
        SCOPED_TRACE("margin " + std::to_string(margin));
        cv::Mat page;
        ASSERT_TRUE(CropDocument(image, kCropDetection, margin, page));
        EXPECT_TRUE(WithinOneLevel(page, ReferencePage(image, box, margin))) << box;

        std::vector<cv::Mat> pages;
        ASSERT_TRUE(CropDocuments(image, pages, kCropDetection, margin));
        ASSERT_EQ(pages.size(), boxes.size());
        for (size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_TRUE(WithinOneLevel(pages[i], ReferencePage(image, boxes[i], margin)))
                << boxes[i];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, CropScene,
    ::testing::Combine(
        ::testing::Values(
            SceneCase{"turned_page",
                      {.pages = {{.centre = {950, 540}, .size = {880, 620}, .angle = 12}}}},
            SceneCase{"standing_page",
                      {.pages = {{.centre = {960, 530}, .size = {520, 760}, .angle = -38}}}},
            SceneCase{"near_the_left_border",
                      {.pages = {{.centre = {330, 540}, .size = {560, 700}, .angle = 3}}}},
            SceneCase{"running_off_the_right_edge",
                      {.pages = {{.centre = {1750, 560}, .size = {700, 820}, .angle = 7}}}},
            SceneCase{"running_off_a_corner",
                      {.pages = {{.centre = {1800, 60}, .size = {900, 700}, .angle = -20}}}},
            SceneCase{"small_page",
                      {.pages = {{.centre = {700, 400}, .size = {220, 160}, .angle = 25}}}},
            SceneCase{"three_pages",
                      {.pages = {{.centre = {330, 520}, .size = {420, 600}, .angle = 4},
                                 {.centre = {960, 560}, .size = {460, 640}, .angle = -9},
                                 {.centre = {1580, 500}, .size = {500, 380}, .angle = 15}}}},
            SceneCase{"eight_megapixels",
                      {.size = {3264, 2448},
                       .pages = {{.centre = {1640, 1210}, .size = {2300, 1700}, .angle = 8}}}}),
        ::testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + Channels(std::get<1>(info.param));
    });

}  // namespace
}  // namespace orbisk
