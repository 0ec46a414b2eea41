#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "imaging/enhancement.h"
#include "tests/support/case_name.h"

namespace orbisk {
namespace {

// Paper of two levels in 10-pixel stripes with dark text lines across it. The
// fifth-size copy samples every fifth pixel exactly, so the paper it sees has
// the mean (low + high) / 2 and the deviation (high - low) / 2.
cv::Mat StripedPage(int low, int high, int ink = 30) {
    cv::Mat page(200, 300, CV_8UC1);
    for (int x = 0; x < page.cols; ++x) {
        page.col(x).setTo((x / 10) % 2 == 0 ? low : high);
    }
    for (int y = 20; y < page.rows; y += 40) {
        page.rowRange(y, y + 10).setTo(ink);
    }
    return page;
}

struct BrightnessCase {
    const char* name;
    cv::Mat page;
    int target;
    double factor;  // 0: the image itself is returned
};

void PrintTo(const BrightnessCase& c, std::ostream* os) { *os << c.name; }

class NormalizeBrightnessTest : public testing::TestWithParam<BrightnessCase> {};

TEST_P(NormalizeBrightnessTest, ScalesByTargetOverPaperMeanPlusDeviation) {
    const BrightnessCase& c = GetParam();
    CImageProcess process;
    cv::Mat result;
    ASSERT_TRUE(process.NormalizeBrightness(c.page, result, c.target));
    if (c.factor == 0) {
        EXPECT_EQ(result.data, c.page.data) << "the pixels are shared, not copied";
        return;
    }
    ASSERT_EQ(result.type(), c.page.type());
    cv::Mat expected;
    c.page.convertTo(expected, -1, c.factor);
    EXPECT_LE(cv::norm(result, expected, cv::NORM_INF), 1);
}

cv::Mat Uniform(int value, int type = CV_8UC1) {
    return cv::Mat(120, 160, type, cv::Scalar::all(value));
}

INSTANTIATE_TEST_SUITE_P(
    Table, NormalizeBrightnessTest,
    testing::Values(
        // Paper mean 180, deviation 20: 240 / 200.
        BrightnessCase{"paper_180_deviation_20", StripedPage(160, 200), 240, 1.2},
        BrightnessCase{"colour_page",
                       [] {
                           cv::Mat colour;
                           cv::cvtColor(StripedPage(160, 200), colour, cv::COLOR_GRAY2BGR);
                           return colour;
                       }(),
                       240, 1.2},
        BrightnessCase{"paper_mean_240_at_target_is_scaled", StripedPage(230, 250), 240, 0.96},
        BrightnessCase{"paper_mean_241_unchanged", StripedPage(241, 241), 240, 0},
        BrightnessCase{"loaded_image_target_250", StripedPage(241, 241), 250, 250.0 / 241},
        // A black page has no paper class to measure (m + s = 0): it stays as
        // it is instead of being divided by nothing and turning white.
        BrightnessCase{"uniform_black", Uniform(0), 240, 0},
        BrightnessCase{"uniform_black_colour", Uniform(0, CV_8UC3), 240, 0},
        // Any other page of one level is all paper with deviation 0.
        BrightnessCase{"uniform_grey", Uniform(128), 240, 240.0 / 128},
        BrightnessCase{"uniform_white", Uniform(255), 240, 0},
        BrightnessCase{"tiny_page", Uniform(90).rowRange(0, 2).colRange(0, 3), 240, 240.0 / 90}),
    [](const auto& info) { return std::string(info.param.name); });

// The brightness steps as plainly stated: the whole page grey, shrunk to a
// fifth, Otsu's paper class measured, every channel scaled.
cv::Mat ReferenceBrightness(const cv::Mat& image, int target) {
    cv::Mat grey = image;
    if (image.channels() > 1) cv::cvtColor(image, grey, cv::COLOR_BGR2GRAY);
    cv::Mat small;
    const cv::Size fifth(static_cast<int>(std::lround(image.cols * 0.2)),
                         static_cast<int>(std::lround(image.rows * 0.2)));
    if (fifth.width >= 1 && fifth.height >= 1) {
        cv::resize(grey, small, cv::Size(), 0.2, 0.2, cv::INTER_LINEAR);
    } else {
        cv::resize(grey, small, cv::Size(std::max(1, fifth.width), std::max(1, fifth.height)), 0, 0,
                   cv::INTER_LINEAR);
    }
    cv::Mat paper;
    cv::threshold(small, paper, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    if (cv::countNonZero(paper) == 0) return image;
    cv::Scalar mean, deviation;
    cv::meanStdDev(small, mean, deviation, paper);
    if (mean[0] > target || mean[0] + deviation[0] < 1.0) return image;
    cv::Mat scaled;
    image.convertTo(scaled, -1, target / (mean[0] + deviation[0]));
    return scaled;
}

// Noisy tinted paper with blocks of dark print, of any size.
cv::Mat NoisyPrintedPage(cv::Size size, int type, int paper) {
    cv::Mat page(size, type);
    cv::RNG rng(static_cast<uint64>(size.area()) * 31 + type);
    const int spread = 25;
    rng.fill(page, cv::RNG::UNIFORM,
             cv::Scalar(paper - spread, paper - spread + 6, paper - spread + 12),
             cv::Scalar(paper, paper + 6, paper + 12));
    for (int y = size.height / 7; y + 3 < size.height; y += std::max(4, size.height / 6)) {
        page(cv::Rect(size.width / 8, y, std::max(1, size.width / 2), 3))
            .setTo(cv::Scalar(30, 40, 50));
    }
    return page;
}

struct ReferenceCase {
    const char* name;
    cv::Size size;
    int type;
    int paper;
    int target;
};

void PrintTo(const ReferenceCase& c, std::ostream* os) { *os << c.name; }

class NormalizeBrightnessReferenceTest : public testing::TestWithParam<ReferenceCase> {};

TEST_P(NormalizeBrightnessReferenceTest, MatchesTheWholePageGreyReference) {
    const ReferenceCase& c = GetParam();
    const cv::Mat page = NoisyPrintedPage(c.size, c.type, c.paper);
    const cv::Mat before = page.clone();
    CImageProcess process;
    cv::Mat result;
    ASSERT_TRUE(process.NormalizeBrightness(page, result, c.target));
    const cv::Mat expected = ReferenceBrightness(page, c.target);
    ASSERT_EQ(result.size(), expected.size());
    ASSERT_EQ(result.type(), expected.type());
    EXPECT_EQ(cv::norm(result, expected, cv::NORM_INF), 0);
    EXPECT_EQ(cv::norm(page, before, cv::NORM_INF), 0) << "the page itself is never changed";
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, NormalizeBrightnessReferenceTest,
    testing::Values(ReferenceCase{"camera_frame_colour", {3264, 2448}, CV_8UC3, 200, 240},
                    ReferenceCase{"camera_frame_grey", {3264, 2448}, CV_8UC1, 200, 250},
                    ReferenceCase{"odd_size_colour", {1001, 777}, CV_8UC3, 190, 240},
                    ReferenceCase{"odd_size_bright_paper_unscaled", {999, 601}, CV_8UC3, 252, 240},
                    ReferenceCase{"narrow_strip", {9, 403}, CV_8UC3, 180, 240},
                    ReferenceCase{"below_five_pixels_wide", {2, 40}, CV_8UC3, 180, 240}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NormalizeBrightnessTest, EmptyOrUnusableImageIsRefusedAndResultUntouched) {
    CImageProcess process;
    const cv::Mat before(4, 4, CV_8UC1, cv::Scalar(7));
    for (const cv::Mat& image : {cv::Mat(), cv::Mat(8, 8, CV_16UC1, cv::Scalar(100))}) {
        cv::Mat result = before;
        EXPECT_FALSE(process.NormalizeBrightness(image, result, 240));
        EXPECT_EQ(result.data, before.data);
    }
}

// Paper lit from the left: 235 fading to 135 at the right edge, with dark text
// strokes (value 40) spread over it.
cv::Mat ShadedPage() {
    cv::Mat page(400, 600, CV_8UC1);
    for (int x = 0; x < page.cols; ++x) {
        page.col(x).setTo(235 - (100 * x) / (page.cols - 1));
    }
    for (int y = 80; y < 340; y += 40) {
        for (int x = 70; x < 530; x += 24) {
            cv::rectangle(page, cv::Rect(x, y, 12, 3), cv::Scalar(40), cv::FILLED);
            cv::rectangle(page, cv::Rect(x, y, 3, 14), cv::Scalar(40), cv::FILLED);
        }
    }
    return page;
}

cv::Mat TextMask(const cv::Mat& page) { return page == 40; }

TEST(RemoveShadowTest, FlattensPaperNear245AndKeepsInk) {
    const cv::Mat page = ShadedPage();
    CImageProcess process;
    cv::Mat result;
    ASSERT_TRUE(process.RemoveShadow(page, result, 50));
    ASSERT_EQ(result.type(), CV_8UC1);
    ASSERT_EQ(result.size(), page.size());

    const cv::Mat ink = TextMask(page);
    cv::Mat paper;
    cv::dilate(ink, paper, cv::Mat(), cv::Point(-1, -1), 3);
    paper = ~paper;
    double lowest = 0;
    double highest = 0;
    cv::minMaxLoc(result, &lowest, &highest, nullptr, nullptr, paper);
    EXPECT_GE(lowest, 235) << "the shaded side is lifted to the level of the lit side";
    EXPECT_LE(highest, 255);
    EXPECT_NEAR(cv::mean(result, paper)[0], 245, 5);
    // Strokes keep their darkness, on the lit side as in the shade.
    EXPECT_EQ(cv::norm(result, page, cv::NORM_INF, ink), 0);
}

TEST(RemoveShadowTest, ColourPageKeepsColouredInkAndTurnsGreyPaperNeutral) {
    cv::Mat page;
    cv::cvtColor(ShadedPage(), page, cv::COLOR_GRAY2BGR);
    // Slightly tinted paper (chroma 8, below the threshold) and a red mark.
    // A plain loop: forEach's thread pool is one that ThreadSanitizer cannot
    // follow.
    for (auto it = page.begin<cv::Vec3b>(); it != page.end<cv::Vec3b>(); ++it) {
        if ((*it)[0] > 100) (*it)[0] = cv::saturate_cast<uchar>((*it)[0] - 8);
    }
    const cv::Rect mark(250, 350, 100, 30);
    page(mark).setTo(cv::Scalar(30, 30, 200));

    CImageProcess process;
    cv::Mat result;
    ASSERT_TRUE(process.RemoveShadow(page, result, 50));
    ASSERT_EQ(result.type(), CV_8UC3);
    const cv::Vec3b paper = result.at<cv::Vec3b>(30, 560);  // shaded side, no text
    EXPECT_NEAR(paper[0], 245, 6);
    EXPECT_LE(std::abs(paper[0] - paper[2]), 2) << "grey paper lost its tint";
    const cv::Vec3b red = result.at<cv::Vec3b>(365, 300);
    EXPECT_GT(red[2], 150);
    EXPECT_LT(red[0], 80);
    EXPECT_LT(red[1], 80);
}

TEST(RemoveShadowTest, ThresholdOutsideTheByteRangeWorksAs50) {
    cv::Mat page;
    cv::cvtColor(ShadedPage(), page, cv::COLOR_GRAY2BGR);
    page(cv::Rect(100, 100, 200, 60)).setTo(cv::Scalar(60, 140, 190));   // chroma 130
    page(cv::Rect(300, 200, 200, 60)).setTo(cv::Scalar(150, 180, 190));  // chroma 40
    CImageProcess process;
    cv::Mat with50;
    ASSERT_TRUE(process.RemoveShadow(page, with50, 50));
    for (const int threshold : {-1, 256, 300}) {
        cv::Mat result;
        ASSERT_TRUE(process.RemoveShadow(page, result, threshold));
        EXPECT_EQ(cv::norm(result, with50, cv::NORM_INF), 0) << threshold;
    }
    cv::Mat with0;
    ASSERT_TRUE(process.RemoveShadow(page, with0, 0));
    EXPECT_GT(cv::norm(with0, with50, cv::NORM_INF), 0) << "0 is a threshold of its own";
}

TEST(RemoveShadowTest, EmptyImageIsRefused) {
    CImageProcess process;
    cv::Mat result;
    EXPECT_FALSE(process.RemoveShadow(cv::Mat(), result, 50));
    EXPECT_TRUE(result.empty());
}

struct PlaceCase {
    int position;
    cv::Point expected;  // top-left corner of the overlay in the 1001 x 501 image
};

class PlaceOverlayTest : public testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceOverlayTest, PositionCodeGivesTheCorner) {
    cv::Mat image(501, 1001, CV_8UC1, cv::Scalar(0));
    const cv::Mat overlay(40, 100, CV_8UC1, cv::Scalar(200));
    CImageProcess process;
    ASSERT_TRUE(process.PlaceOverlay(image, overlay, GetParam().position, 100, cv::Mat()));
    cv::Mat expected(501, 1001, CV_8UC1, cv::Scalar(0));
    expected(cv::Rect(GetParam().expected, overlay.size())).setTo(200);
    EXPECT_EQ(cv::norm(image, expected, cv::NORM_INF), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, PlaceOverlayTest,
                         testing::Values(PlaceCase{0, {0, 0}}, PlaceCase{1, {901, 0}},
                                         PlaceCase{2, {0, 461}}, PlaceCase{3, {901, 461}},
                                         PlaceCase{4, {450, 230}}),
                         [](const auto& info) {
                             return test::CaseName("position", info.param.position);
                         });

TEST(PlaceOverlayTest, RefusesUnknownPositionsEmptyInputsAndMismatchedMasks) {
    CImageProcess process;
    cv::Mat image(50, 50, CV_8UC3, cv::Scalar::all(10));
    const cv::Mat overlay(10, 10, CV_8UC3, cv::Scalar::all(200));
    const cv::Mat before = image.clone();
    EXPECT_FALSE(process.PlaceOverlay(image, overlay, 5, 100, cv::Mat()));
    EXPECT_FALSE(process.PlaceOverlay(image, overlay, -1, 100, cv::Mat()));
    EXPECT_FALSE(process.PlaceOverlay(image, cv::Mat(), 0, 100, cv::Mat()));
    EXPECT_FALSE(process.PlaceOverlay(image, overlay, 0, 100, cv::Mat(10, 9, CV_8UC1)));
    cv::Mat empty;
    EXPECT_FALSE(process.PlaceOverlay(empty, overlay, 0, 100, cv::Mat()));
    EXPECT_FALSE(process.BlendOverlay(image, overlay, {0, 0}, 100, cv::Mat(9, 10, CV_8UC1)));
    EXPECT_EQ(cv::norm(image, before, cv::NORM_INF), 0);
}

struct BlendCase {
    const char* name;
    int imageType;
    int overlayType;
    int opacity;
    int expected;  // every channel of a blended pixel: image 100, overlay 201 (grey 201)
};

class BlendOverlayTest : public testing::TestWithParam<BlendCase> {};

TEST_P(BlendOverlayTest, BlendsInsideTheImageWhereTheMaskAllows) {
    const BlendCase& c = GetParam();
    cv::Mat image(20, 20, c.imageType, cv::Scalar::all(100));
    const cv::Mat overlay(8, 8, c.overlayType, cv::Scalar::all(201));
    cv::Mat mask(8, 8, CV_8UC1, cv::Scalar(255));
    mask.at<uchar>(5, 5) = 0;
    CImageProcess process;
    // Hangs over the bottom-right corner: only its top-left 4 x 4 lands.
    ASSERT_TRUE(process.BlendOverlay(image, overlay, {16, 16}, c.opacity, mask));
    ASSERT_TRUE(process.BlendOverlay(image, overlay, {-4, -4}, c.opacity, mask));

    cv::Mat expected(20, 20, c.imageType, cv::Scalar::all(100));
    expected(cv::Rect(16, 16, 4, 4)).setTo(cv::Scalar::all(c.expected));
    expected(cv::Rect(0, 0, 4, 4)).setTo(cv::Scalar::all(c.expected));
    expected(cv::Rect(1, 1, 1, 1)).setTo(cv::Scalar::all(100));  // mask 0 at (5, 5)
    EXPECT_EQ(cv::norm(image, expected, cv::NORM_INF), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, BlendOverlayTest,
                         testing::Values(
                             // (201 * 50 + 100 * 50) / 100 = 150.5, truncated.
                             BlendCase{"half", CV_8UC3, CV_8UC3, 50, 150},
                             BlendCase{"above_100_clamped", CV_8UC3, CV_8UC3, 150, 201},
                             BlendCase{"below_0_clamped", CV_8UC1, CV_8UC1, -20, 100},
                             BlendCase{"grey_overlay_on_colour", CV_8UC3, CV_8UC1, 50, 150},
                             BlendCase{"colour_overlay_on_grey", CV_8UC1, CV_8UC3, 100, 201}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orbisk
