#include "imaging/binarization.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include "tests/support/case_name.h"
#include "tests/support/scene_generator.h"

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
