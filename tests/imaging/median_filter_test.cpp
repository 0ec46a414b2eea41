#include "imaging/median_filter.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include "tests/support/scene_generator.h"

namespace orbisk {
namespace {

struct MedianCase {
    const char* name;
    cv::Size size;
    int aperture;
    bool smooth;  // a reduced scene instead of random values
};

class MedianBlurTable : public ::testing::TestWithParam<MedianCase> {};

TEST_P(MedianBlurTable, EqualsOpenCv) {
    const MedianCase& c = GetParam();
    cv::Mat image(c.size, CV_8UC1);
    if (c.smooth) {
        const test::Scene scene =
            test::MakeScene({.size = {c.size.width * 5, c.size.height * 5},
                             .pages = {{.centre = {c.size.width * 2.5f, c.size.height * 2.5f},
                                        .size = {c.size.width * 3.0f, c.size.height * 2.0f},
                                        .angle = 11}}});
        cv::Mat small;
        cv::resize(scene.image, small, c.size, 0, 0, cv::INTER_LINEAR);
        cv::extractChannel(small, image, 1);
    } else {
        cv::RNG rng(3);
        rng.fill(image, cv::RNG::UNIFORM, 0, 256);
    }
    cv::Mat expected;
    cv::medianBlur(image, expected, c.aperture);
    cv::Mat mine = image.clone();
    MedianBlur(mine, mine, c.aperture);  // in place, as detection calls it
    ASSERT_EQ(mine.size(), expected.size());
    EXPECT_EQ(cv::norm(mine, expected, cv::NORM_INF), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Cases, MedianBlurTable,
                         ::testing::Values(MedianCase{"random_9", {97, 61}, 9, false},
                                           MedianCase{"random_7", {64, 48}, 7, false},
                                           MedianCase{"random_31", {120, 90}, 31, false},
                                           MedianCase{"scene_9", {384, 216}, 9, true},
                                           // Smaller than the window: the border is replicated.
                                           MedianCase{"narrow_9", {3, 40}, 9, false},
                                           MedianCase{"one_pixel_9", {1, 1}, 9, false},
                                           // Left to OpenCV.
                                           MedianCase{"random_5", {50, 40}, 5, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MedianBlur, ApertureOpenCvRejectsStillThrows) {
    cv::Mat image(20, 20, CV_8UC1, cv::Scalar(3));
    cv::Mat out;
    EXPECT_THROW(MedianBlur(image, out, 8), cv::Exception);
}

}  // namespace
}  // namespace orbisk
