#include "imaging/border_contours.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include "imaging/mask_border.h"

namespace orbisk {
namespace {

// Masks of 100 rows and 200 columns: the 2 % limit is 4 pixels.
constexpr int kRows = 100;
constexpr int kCols = 200;

Contour Bar(cv::Rect r) {
    return {r.tl(), {r.x + r.width - 1, r.y}, r.br() - cv::Point(1, 1), {r.x, r.y + r.height - 1}};
}

// The region the closed lines enclose: the bounding rectangle of the largest
// outer contour, and how much of that rectangle the contour fills.
cv::Rect Enclosed(const cv::Mat& mask, double& filled) {
    cv::Mat work = mask.clone();
    ContourList contours;
    cv::findContours(work, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    filled = 0;
    if (contours.empty()) return {};
    size_t largest = 0;
    for (size_t i = 1; i < contours.size(); ++i) {
        if (cv::contourArea(contours[i]) > cv::contourArea(contours[largest])) largest = i;
    }
    const cv::Rect r = cv::boundingRect(contours[largest]);
    filled = cv::contourArea(contours[largest]) / r.area();
    return r;
}

enum class Join { kClose, kTopBottom, kLeftRight };

struct ClosingCase {
    const char* name;
    Join join;
    std::vector<cv::Rect> bars;
    bool ok;
    cv::Rect enclosed;
};

class BorderClosing : public ::testing::TestWithParam<ClosingCase> {};

TEST_P(BorderClosing, EnclosesTheExpectedSide) {
    const ClosingCase& c = GetParam();
    ContourList contours;
    for (const cv::Rect& r : c.bars) contours.push_back(Bar(r));
    cv::Mat mask = cv::Mat::zeros(kRows, kCols, CV_8UC1);
    bool ok = false;
    switch (c.join) {
        case Join::kClose:
            ok = CloseBorderContour(mask, contours);
            break;
        case Join::kTopBottom:
            ok = JoinContoursTopBottom(contours, mask);
            break;
        case Join::kLeftRight:
            ok = JoinContoursLeftRight(contours, mask);
            break;
    }
    ASSERT_EQ(ok, c.ok);
    if (!ok) {
        EXPECT_EQ(cv::countNonZero(mask), 0) << "nothing drawn";
        return;
    }
    // The joining lines are 3 pixels thick: the edges may move by 2.
    double filled = 0;
    const cv::Rect found = Enclosed(mask, filled);
    EXPECT_NEAR(found.x, c.enclosed.x, 2) << found;
    EXPECT_NEAR(found.y, c.enclosed.y, 2) << found;
    EXPECT_NEAR(found.br().x, c.enclosed.br().x, 2) << found;
    EXPECT_NEAR(found.br().y, c.enclosed.br().y, 2) << found;
    EXPECT_GT(filled, 0.9);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BorderClosing,
    ::testing::Values(
        // One edge crossing from top to bottom: closed through the corners of
        // the larger side; mean x = 41, 99 and 100 against the half, 100.
        ClosingCase{"left_edge", Join::kClose, {{40, 0, 3, 100}}, true, {40, 0, 160, 100}},
        ClosingCase{
            "just_left_of_the_middle", Join::kClose, {{98, 0, 3, 100}}, true, {98, 0, 102, 100}},
        ClosingCase{"at_the_middle", Join::kClose, {{99, 0, 3, 100}}, true, {0, 0, 102, 100}},
        ClosingCase{"right_edge", Join::kClose, {{150, 0, 3, 100}}, true, {0, 0, 153, 100}},
        // Mean x 3 and 197: within 4 of a side.
        ClosingCase{"too_near_the_left", Join::kClose, {{2, 0, 3, 100}}, false, {}},
        ClosingCase{"too_near_the_right", Join::kClose, {{196, 0, 3, 100}}, false, {}},
        // Across from left to right: mean y 51 lies below the half, 50.
        ClosingCase{"lower_edge", Join::kClose, {{0, 50, 200, 3}}, true, {0, 0, 200, 53}},
        ClosingCase{
            "upper_edge_at_the_half", Join::kClose, {{0, 49, 200, 3}}, true, {0, 49, 200, 51}},
        ClosingCase{"too_near_the_top", Join::kClose, {{0, 2, 200, 3}}, false, {}},
        ClosingCase{"two_contours", Join::kClose, {{40, 0, 3, 100}, {150, 0, 3, 100}}, false, {}},
        // Two edges: their ends are joined.
        ClosingCase{"left_and_right_edges",
                    Join::kTopBottom,
                    {{40, 0, 3, 100}, {150, 0, 3, 100}},
                    true,
                    {40, 0, 113, 100}},
        ClosingCase{"one_edge_is_not_joined", Join::kTopBottom, {{40, 0, 3, 100}}, false, {}},
        ClosingCase{"top_and_bottom_edges",
                    Join::kLeftRight,
                    {{0, 20, 200, 3}, {0, 70, 200, 3}},
                    true,
                    {0, 20, 200, 53}}),
    [](const auto& info) { return std::string(info.param.name); });

// A page corner covering a picture corner: its edge runs from the top border
// to the left border. Drawn in the top-left and flipped into the other
// corners, RedrawContours closes it through that corner (fill) or blacks the
// same triangle out (erase).
struct CornerCase {
    const char* name;
    int flip;  // cv::flip code; -2 for none
};

class CornerRedraw : public ::testing::TestWithParam<CornerCase> {};

TEST_P(CornerRedraw, ClosesTheEdgeThroughThePictureCorner) {
    cv::Mat edge = cv::Mat::zeros(kRows, kCols, CV_8UC1);
    cv::line(edge, {80, 0}, {0, 60}, cv::Scalar(255), 3);
    cv::Mat triangle = cv::Mat::zeros(kRows, kCols, CV_8UC1);
    const std::vector<cv::Point> corner{{0, 0}, {80, 0}, {0, 60}};
    cv::fillConvexPoly(triangle, corner, cv::Scalar(255));
    const int flip = GetParam().flip;
    if (flip != -2) {
        cv::flip(edge, edge, flip);
        cv::flip(triangle, triangle, flip);
    }
    ZeroMaskBorder(edge);
    ContourList contours;
    cv::findContours(edge, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    ASSERT_EQ(contours.size(), 1u);

    cv::Mat filled = cv::Mat::zeros(kRows, kCols, CV_8UC1);
    ASSERT_TRUE(RedrawContours(filled, 0, contours[0]));
    cv::Mat wrong;
    cv::bitwise_xor(filled, triangle, wrong);
    // Up to the width of the edge itself (3 pixels along 100) may differ;
    // closing through a wrong corner would miss thousands.
    EXPECT_LT(cv::countNonZero(wrong), 450);

    cv::Mat erased(kRows, kCols, CV_8UC1, cv::Scalar(255));
    ASSERT_TRUE(RedrawContours(erased, 1, contours[0]));
    cv::bitwise_xor(erased == 0, triangle, wrong);
    EXPECT_LT(cv::countNonZero(wrong), 450);

    EXPECT_FALSE(RedrawContours(filled, 0, Contour{}));
}

INSTANTIATE_TEST_SUITE_P(Corners, CornerRedraw,
                         ::testing::Values(CornerCase{"top_left", -2}, CornerCase{"bottom_left", 0},
                                           CornerCase{"top_right", 1},
                                           CornerCase{"bottom_right", -1}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orbisk
