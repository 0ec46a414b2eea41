#include "imaging/binarization.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include "tests/support/case_name.h"
#include "tests/support/scene_generator.h"

#include <string>
#include <tuple>

namespace orbisk {
namespace {

// The capture's values: element 21, block parameter 301, factor 0.4 or 0.5.
struct ShadedCase {
    double factor;
    bool colour;
};

class ShadedPage : public ::testing::TestWithParam<ShadedCase> {};

TEST_P(ShadedPage, AgreesWithTheDrawnInkAlmostEverywhere) {
    const ShadedCase c = GetParam();
    const test::Scene scene = test::MakeShadedPage({1600, 1200});
    cv::Mat input = scene.image;
    if (!c.colour) cv::cvtColor(scene.image, input, cv::COLOR_BGR2GRAY);
    const cv::Mat before = input.clone();

    const cv::Mat bw = BinarizeDocument(input, 21, 301, c.factor);
    ASSERT_EQ(bw.type(), CV_8UC1);
    ASSERT_EQ(bw.size(), input.size());
    EXPECT_EQ(cv::countNonZero((bw != 0) & (bw != 255)), 0) << "only black and white";
    EXPECT_EQ(cv::norm(input, before, cv::NORM_INF), 0.0) << "input changed";

    // Ink is black, paper white.
    const cv::Mat truth = 255 - scene.ink;
    const double right = 1.0 - cv::countNonZero(bw != truth) / static_cast<double>(bw.total());
    EXPECT_GE(right, 0.99);
    // Not by calling everything paper: most of the ink is found too.
    const int ink = cv::countNonZero(scene.ink);
    const int found = cv::countNonZero(scene.ink & (bw == 0));
    EXPECT_GE(found, ink * 95 / 100);
}

INSTANTIATE_TEST_SUITE_P(Factors, ShadedPage,
                         ::testing::Values(ShadedCase{0.4, true}, ShadedCase{0.5, true},
                                           ShadedCase{0.4, false}),
                         [](const auto& info) {
                             return test::CaseName("factor", info.param.factor,
                                                   info.param.colour ? "colour" : "grey");
                         });

// A sheet without ink: paper of grey 225, optionally lit from one corner
// (235 down to 205), with Gaussian sensor noise.
cv::Mat BlankSheet(cv::Size size, double sigma, bool gradient) {
    cv::Mat paper(size, CV_32F, cv::Scalar(225));
    if (gradient) {
        for (int y = 0; y < size.height; ++y) {
            for (int x = 0; x < size.width; ++x) {
                paper.at<float>(y, x) = 235 - 30.0f * (x + y) / (size.width + size.height);
            }
        }
    }
    cv::Mat noise(size, CV_32F);
    cv::RNG(3).fill(noise, cv::RNG::NORMAL, 0, sigma);
    paper += noise;
    cv::Mat grey;
    paper.convertTo(grey, CV_8U);
    cv::Mat colour;
    cv::cvtColor(grey, colour, cv::COLOR_GRAY2BGR);
    return colour;
}

class BlankSheetTest : public ::testing::TestWithParam<std::tuple<double, bool, double>> {};

// Noise and light alone are no ink: a blank sheet must not come out grey with
// black specks.
TEST_P(BlankSheetTest, ComesOutWhite) {
    const auto [sigma, gradient, factor] = GetParam();
    const cv::Mat bw = BinarizeDocument(BlankSheet({1600, 1200}, sigma, gradient), 21, 301, factor);
    ASSERT_EQ(bw.type(), CV_8UC1);
    EXPECT_GE(cv::countNonZero(bw) / static_cast<double>(bw.total()), 0.99);
}

INSTANTIATE_TEST_SUITE_P(NoiseAndLight, BlankSheetTest,
                         ::testing::Combine(::testing::Values(0.0, 0.5, 1.0, 2.0, 3.0, 4.0),
                                            ::testing::Bool(), ::testing::Values(0.4, 0.5)),
                         [](const auto& info) {
                             const double sigma = std::get<0>(info.param);
                             const bool gradient = std::get<1>(info.param);
                             const double factor = std::get<2>(info.param);
                             return "sigma_" + std::to_string(static_cast<int>(sigma * 10)) +
                                    (gradient ? "_lit_from_a_corner" : "_even_light") + "_factor_" +
                                    std::to_string(static_cast<int>(factor * 10));
                         });

// With ink on it, the page keeps its paper white exactly as before: the
// minimum levels lie far below what text gives.
TEST(BinarizeDocument, PaperAwayFromTextStaysWhite) {
    for (const unsigned seed : {11u, 12u}) {
        const test::Scene scene = test::MakeShadedPage({1600, 1200}, seed);
        const cv::Mat bw = BinarizeDocument(scene.image, 21, 301, 0.4);
        cv::Mat nearInk;
        cv::dilate(scene.ink, nearInk, cv::Mat(), cv::Point(-1, -1), 3);
        EXPECT_EQ(cv::countNonZero((bw == 0) & (nearInk == 0)), 0) << seed;
    }
}

TEST(AdaptiveBinarize, FindsTheInkOfAShadedPage) {
    const test::Scene scene = test::MakeShadedPage({800, 600});
    cv::Mat bw;
    AdaptiveBinarize(scene.image, 15, 10, bw);
    ASSERT_EQ(bw.type(), CV_8UC1);
    ASSERT_EQ(bw.size(), scene.image.size());
    // Small blocks see the edges of the ink, not the inside of wide bars;
    // paper away from ink stays white.
    cv::Mat nearInk;
    cv::dilate(scene.ink, nearInk, cv::Mat(), cv::Point(-1, -1), 8);
    const cv::Mat black = bw == 0;
    EXPECT_LT(cv::countNonZero(black & (nearInk == 0)), cv::countNonZero(nearInk == 0) / 1000);
    EXPECT_GT(cv::countNonZero(black & scene.ink), cv::countNonZero(scene.ink) / 4);
}

}  // namespace
}  // namespace orbisk
