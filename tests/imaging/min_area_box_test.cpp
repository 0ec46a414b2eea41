#include "imaging/min_area_box.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include "imaging/mask_border.h"

namespace orbisk {
namespace {

std::vector<cv::Point> RectanglePoints(cv::Point2f centre, cv::Size2f size, float angle) {
    cv::Point2f corners[4];
    cv::RotatedRect(centre, size, angle).points(corners);
    std::vector<cv::Point> points;
    for (const cv::Point2f& c : corners) points.emplace_back(cvRound(c.x), cvRound(c.y));
    return points;
}

TEST(MinAreaBox, UprightRectangleHasAngleZeroAndWidthAlongX) {
    const RotatedBox box = MinAreaBox({{10, 20}, {110, 20}, {110, 70}, {10, 70}});
    EXPECT_FLOAT_EQ(box.angle, 0.0f);
    EXPECT_FLOAT_EQ(box.width, 100.0f);
    EXPECT_FLOAT_EQ(box.height, 50.0f);
    EXPECT_FLOAT_EQ(box.cx, 60.0f);
    EXPECT_FLOAT_EQ(box.cy, 45.0f);
}

TEST(MinAreaBox, TurnedRectangleGivesAngleInMinusNinetyToZero) {
    for (float angle : {5.0f, 30.0f, 60.0f, -20.0f, -70.0f}) {
        const RotatedBox box = MinAreaBox(RectanglePoints({500, 400}, {300, 120}, angle));
        EXPECT_GE(box.angle, -90.0f) << angle;
        EXPECT_LT(box.angle, 0.01f) << angle;
        // Same rectangle: the side along the box angle is the long one exactly
        // when the angle differs from the drawn one by a multiple of 180.
        const float turn = std::fmod(box.angle - angle + 360.0f, 180.0f);
        const bool same = std::fabs(turn) < 1.0f || std::fabs(turn - 180.0f) < 1.0f;
        EXPECT_NEAR(same ? box.width : box.height, 300.0f, 2.0f) << angle;
        EXPECT_NEAR(same ? box.height : box.width, 120.0f, 2.0f) << angle;
        EXPECT_NEAR(box.cx, 500.0f, 1.0f);
        EXPECT_NEAR(box.cy, 400.0f, 1.0f);
    }
}

TEST(ToRotatedBox, MapsEveryOpenCvAngleRangeOntoTheSameRectangle) {
    // OpenCV 4.6 reports an upright rectangle as 90 degrees with swapped sides;
    // older versions as -90 or 0.
    const cv::RotatedRect variants[] = {
        {{5, 6}, {50, 100}, 90.0f}, {{5, 6}, {100, 50}, 0.0f}, {{5, 6}, {50, 100}, -90.0f}};
    for (const cv::RotatedRect& rect : variants) {
        const RotatedBox box = ToRotatedBox(rect);
        EXPECT_FLOAT_EQ(box.angle, 0.0f);
        EXPECT_FLOAT_EQ(box.width, 100.0f);
        EXPECT_FLOAT_EQ(box.height, 50.0f);
    }
    const RotatedBox turned = ToRotatedBox(cv::RotatedRect({0, 0}, {40, 80}, 30.0f));
    EXPECT_FLOAT_EQ(turned.angle, -60.0f);
    EXPECT_FLOAT_EQ(turned.width, 80.0f);
    EXPECT_FLOAT_EQ(turned.height, 40.0f);
}

TEST(ZeroMaskBorder, ClearsOnlyTheOuterRing) {
    cv::Mat mask(6, 8, CV_8U, cv::Scalar(255));
    ZeroMaskBorder(mask);
    EXPECT_EQ(cv::countNonZero(mask), 4 * 6);
    EXPECT_EQ(cv::countNonZero(mask(cv::Rect(1, 1, 6, 4))), 24);
    cv::Mat empty;
    ZeroMaskBorder(empty);  // must not throw
    EXPECT_TRUE(empty.empty());
}

}  // namespace
}  // namespace orbisk
