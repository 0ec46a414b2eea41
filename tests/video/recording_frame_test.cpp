#include "video/recording_frame.h"

#include "tests/support/case_name.h"
#include "tests/video/preview_frames.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

namespace orbisk {
namespace {

struct FitCase {
    int imageWidth, imageHeight;
    IntRect expected;  // in a 1280 x 960 frame
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.imageWidth << "x" << c.imageHeight; }

class Letterbox : public testing::TestWithParam<FitCase> {};

TEST_P(Letterbox, FitsCentredWithBlackBars) {
    const FitCase& c = GetParam();
    EXPECT_EQ(FitRectangle(1280, 960, c.imageWidth, c.imageHeight), c.expected);

    // A picture without black pixels shows where it went: everything
    // outside the rectangle is black, everything inside is the picture.
    const cv::Scalar colour(40, 120, 200);
    cv::Mat picture(c.imageHeight, c.imageWidth, CV_8UC3, colour);
    cv::Mat sample(960, 1280, CV_8UC3, cv::Scalar::all(77));  // an earlier frame's leftovers
    ASSERT_TRUE(ScaleIntoSample(picture, sample));
    const cv::Rect inside(c.expected.left, c.expected.top, c.expected.Width(), c.expected.Height());
    cv::Mat mask = cv::Mat::zeros(sample.size(), CV_8U);
    mask(inside).setTo(255);
    cv::Mat difference;
    cv::absdiff(sample(inside), colour, difference);
    EXPECT_EQ(cv::countNonZero(difference.reshape(1)), 0);
    cv::Mat outside;
    sample.copyTo(outside, ~mask);
    EXPECT_EQ(cv::countNonZero(outside.reshape(1)), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, Letterbox,
    testing::Values(FitCase{1600, 1200, {0, 0, 1280, 960}},    // same shape: fills
                    FitCase{1280, 960, {0, 0, 1280, 960}},     // same size
                    FitCase{1920, 1080, {0, 120, 1280, 840}},  // wide: bars above and below
                    FitCase{960, 1280, {280, 0, 1000, 960}},   // tall: bars left and right
                    FitCase{640, 360, {0, 120, 1280, 840}}),   // small pictures grow
    [](const auto& info) {
        return test::CaseName(info.param.imageWidth, "x", info.param.imageHeight);
    });

TEST(ScaleIntoSample, KeepsThePictureInOrderAndTakesGreyAndAlpha) {
    // At the same size the picture lands unchanged.
    const cv::Mat picture = test::CoordinateFrame(320, 240);
    cv::Mat sample(240, 320, CV_8UC3, cv::Scalar::all(0));
    ASSERT_TRUE(ScaleIntoSample(picture, sample));
    EXPECT_TRUE(test::SameImage(sample, picture));

    cv::Mat grey(240, 320, CV_8UC1, cv::Scalar(90)), bgra;
    ASSERT_TRUE(ScaleIntoSample(grey, sample));
    EXPECT_EQ(sample.at<cv::Vec3b>(10, 10), cv::Vec3b(90, 90, 90));
    cv::cvtColor(picture, bgra, cv::COLOR_BGR2BGRA);
    ASSERT_TRUE(ScaleIntoSample(bgra, sample));
    EXPECT_TRUE(test::SameImage(sample, picture));
}

TEST(ScaleIntoSample, LeavesTheSampleAloneForWhatItCannotDraw) {
    cv::Mat sample(96, 128, CV_8UC3, cv::Scalar::all(5));
    const cv::Mat before = sample.clone();
    EXPECT_FALSE(ScaleIntoSample(cv::Mat(), sample));
    EXPECT_FALSE(ScaleIntoSample(cv::Mat(10, 10, CV_16UC3, cv::Scalar::all(1)), sample));
    EXPECT_TRUE(test::SameImage(sample, before));
    EXPECT_EQ(FitRectangle(1280, 960, 0, 10), IntRect{});
}

}  // namespace
}  // namespace orbisk
