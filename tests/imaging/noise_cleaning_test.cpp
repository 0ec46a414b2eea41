#include "imaging/noise_cleaning.h"

#include <gtest/gtest.h>
#include <opencv2/core.hpp>

#include "tests/imaging/box_testing.h"
#include "tests/support/case_name.h"

namespace orbisk {
namespace {

struct Dot {
    cv::Point at;
    uchar value;
};

// A dark component drawn on white, and whether RemoveSpeckles whitens its dark
// pixels (values below 125).
struct SpeckCase {
    const char* name;
    std::vector<Dot> dots;
    int minimumSize;
    bool whitened;
};

class Speckles : public ::testing::TestWithParam<SpeckCase> {};

std::vector<Dot> Diagonal(int n, uchar value, cv::Point from = {10, 10}) {
    std::vector<Dot> dots;
    for (int i = 0; i < n; ++i) dots.push_back({from + cv::Point(i, i), value});
    return dots;
}

TEST_P(Speckles, SmallerThanTheMinimumSizeAreWhitened) {
    const SpeckCase& c = GetParam();
    cv::Mat image(40, 50, CV_8UC1, cv::Scalar(255));
    // A large dark block elsewhere always stays.
    image(cv::Rect(30, 25, 10, 10)).setTo(0);
    for (const Dot& d : c.dots) image.at<uchar>(d.at) = d.value;
    cv::Mat expected = image.clone();
    if (c.whitened) {
        for (const Dot& d : c.dots) {
            if (d.value < 125) expected.at<uchar>(d.at) = 255;
        }
    }
    ASSERT_TRUE(RemoveSpeckles(image, c.minimumSize));
    EXPECT_EQ(cv::norm(image, expected, cv::NORM_INF), 0.0);
}

std::vector<Dot> FourAndOneNotDark() {
    std::vector<Dot> dots = Diagonal(4, 0);
    dots.push_back({{14, 14}, 125});
    return dots;
}

INSTANTIATE_TEST_SUITE_P(Components, Speckles,
                         ::testing::Values(
                             // 8-connected: a diagonal line is one component.
                             SpeckCase{"four_below_five", Diagonal(4, 0), 5, true},
                             SpeckCase{"five_at_five_stays", Diagonal(5, 0), 5, false},
                             SpeckCase{"value_124_is_dark", Diagonal(4, 124), 5, true},
                             SpeckCase{"value_125_is_not_dark", FourAndOneNotDark(), 5, true},
                             SpeckCase{"in_the_picture_corner", Diagonal(3, 0, {0, 0}), 4, true},
                             SpeckCase{"on_the_last_row_and_column", Diagonal(2, 0, {48, 38}), 3,
                                       true},
                             SpeckCase{"size_zero_changes_nothing", Diagonal(1, 0), 0, false},
                             SpeckCase{"negative_size_changes_nothing", Diagonal(1, 0), -1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A dark band 80 pixels deep along one edge of a 300 x 400 page, turned to each
// edge in turn: it is whitened within the border band only, which reaches to
// its full depth next to the two neighbouring edges.
class BorderBand : public ::testing::TestWithParam<int> {};

// The border band: x <= 50, x >= columns - 50, y <= 50 or y >= rows - 50.
cv::Mat BandMask(cv::Size size) {
    cv::Mat band(size, CV_8UC1, cv::Scalar(255));
    band(cv::Rect(51, 51, size.width - 101, size.height - 101)).setTo(0);
    return band;
}

TEST_P(BorderBand, IsWhitenedOnlyWithinTheBorderBand) {
    cv::Mat image(300, 400, CV_8UC1, cv::Scalar(255));
    cv::Mat hanging = cv::Mat::zeros(image.size(), CV_8UC1);
    image.rowRange(0, 80).setTo(0);
    hanging.rowRange(0, 80).setTo(255);
    // A dark blob hanging on the bottom edge goes too.
    image(cv::Rect(150, 280, 30, 20)).setTo(60);
    hanging(cv::Rect(150, 280, 30, 20)).setTo(255);
    // Noise that does not touch the edge stays, inside the band or not; so
    // does a border blob that is not dark.
    image(cv::Rect(200, 150, 5, 5)).setTo(0);
    image(cv::Rect(20, 200, 5, 5)).setTo(10);
    image(cv::Rect(399 - 30, 200, 31, 8)).setTo(125);

    image = test::QuarterTurned(image, GetParam());
    hanging = test::QuarterTurned(hanging, GetParam());
    cv::Mat expected = image.clone();
    expected.setTo(255, hanging & BandMask(image.size()));
    ASSERT_TRUE(ClearBorderNoise(image));
    EXPECT_EQ(cv::norm(image, expected, cv::NORM_INF), 0.0);
    // The part beyond the band stays dark.
    EXPECT_GT(cv::countNonZero(hanging & (image == 0)), 25 * 199);
}

INSTANTIATE_TEST_SUITE_P(Turns, BorderBand, ::testing::Values(0, 1, 2, 3), [](const auto& info) {
    return test::CaseName("quarter_turns", info.param);
});

TEST(NoiseCleaning, AllBlackLargePageNeedsNoCallStack) {
    // 12 million dark pixels in one component: a recursive fill would
    // overflow the call stack.
    cv::Mat image = cv::Mat::zeros(3000, 4000, CV_8UC1);
    ASSERT_TRUE(RemoveSpeckles(image, 50));
    EXPECT_EQ(cv::countNonZero(image), 0);

    ASSERT_TRUE(ClearBorderNoise(image));
    const cv::Rect interior(51, 51, 4000 - 101, 3000 - 101);
    EXPECT_EQ(cv::countNonZero(image(interior)), 0);
    EXPECT_EQ(cv::countNonZero(image), 4000 * 3000 - interior.area());
}

TEST(NoiseCleaning, FillsRejectUnusableBuffers) {
    cv::Mat image(20, 20, CV_8UC1, cv::Scalar(0));
    cv::Mat empty;
    EXPECT_FALSE(FloodFillSpeck({1, 1}, image, empty, 5));
    cv::Mat smaller = cv::Mat::zeros(10, 10, CV_8UC1);
    EXPECT_FALSE(FloodFillSpeck({1, 1}, image, smaller, 5));
    cv::Mat visited = cv::Mat::zeros(20, 20, CV_8UC1);
    EXPECT_FALSE(FloodFillSpeck({20, 3}, image, visited, 5));
    FloodFillFromBorder({-1, 0}, image);  // outside: nothing happens
    EXPECT_EQ(cv::countNonZero(image), 0);
}

}  // namespace
}  // namespace orbisk
