#pragma once

#include <gtest/gtest.h>
#include <opencv2/core.hpp>

namespace orbisk::test {

// Where a BGR picture of blue, green and red areas shows each colour.
struct BandPoints {
    cv::Point blue;
    cv::Point green;
    cv::Point red;
};

// Each colour came through a writer and reader: its own channel above
// `strong`, and for blue and red the other's channel below `weak`.
inline void ExpectColourBands(const cv::Mat& pixels, const BandPoints& at, int strong, int weak) {
    ASSERT_FALSE(pixels.empty());
    const cv::Vec3b blue = pixels.at<cv::Vec3b>(at.blue);
    const cv::Vec3b green = pixels.at<cv::Vec3b>(at.green);
    const cv::Vec3b red = pixels.at<cv::Vec3b>(at.red);
    EXPECT_GT(blue[0], strong);
    EXPECT_LT(blue[2], weak);
    EXPECT_GT(green[1], strong);
    EXPECT_GT(red[2], strong);
    EXPECT_LT(red[0], weak);
}

}  // namespace orbisk::test
