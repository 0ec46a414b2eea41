// The stroke and projection feature extractors on small drawn fixtures.

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include "recognition/factories.h"
#include "recognition/feature_extractor.h"
#include "tests/recognition/ocr_test_matrix.h"

namespace orbisk {
namespace {

using test::FromMat;

constexpr double kPi = 3.14159265358979323846;

struct Run {
    int from;
    int to;  // inclusive
};

cv::Mat Blank() { return cv::Mat::zeros(64, 64, CV_8UC1); }

// Row `y` inked over each run.
cv::Mat RowWithRuns(int y, const std::vector<Run>& runs) {
    cv::Mat image = Blank();
    for (const Run& r : runs) image.row(y).colRange(r.from, r.to + 1).setTo(255);
    return image;
}

template <typename T>
std::vector<T> ValuesOf(const OcrMatrixPtr& m) {
    const auto* p = static_cast<const T*>(m->data);
    return std::vector<T>(p, p + OcrElementCount(m.get()));
}

// ---- CrossLine

struct CrossRowCase {
    const char* name;
    std::vector<Run> runs;          // in row 0
    std::vector<int32_t> cellRow0;  // horizontal counts of cell row 0
};

class CrossLineRowTest : public ::testing::TestWithParam<CrossRowCase> {};

TEST_P(CrossLineRowTest, HorizontalCounts) {
    const CrossRowCase& c = GetParam();
    OcrMatrixPtr f = CCrossLineFeatureExtractor().Extract(FromMat(RowWithRuns(0, c.runs)).get(), 0);
    ASSERT_TRUE(f);
    ASSERT_EQ(f->type, kOcrInt32);
    ASSERT_EQ(f->rows, 64);
    ASSERT_EQ(f->cols, 4);
    const std::vector<int32_t> v = ValuesOf<int32_t>(f);
    EXPECT_EQ(std::vector<int32_t>(v.begin(), v.begin() + 8), c.cellRow0);
    // One pixel per column and diagonal: nothing else is long enough.
    for (size_t i = 8; i < v.size(); ++i) EXPECT_EQ(v[i], 0) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CrossLineRowTest,
    ::testing::Values(CrossRowCase{"LengthTwoUnmarked", {{10, 11}}, {0, 0, 0, 0, 0, 0, 0, 0}},
                      CrossRowCase{"LengthThreeMarked", {{10, 12}}, {0, 3, 0, 0, 0, 0, 0, 0}},
                      CrossRowCase{"RunOverTwoCells", {{5, 12}}, {3, 5, 0, 0, 0, 0, 0, 0}},
                      CrossRowCase{"StartAtColumn60Unmarked", {{60, 63}}, {0, 0, 0, 0, 0, 0, 0, 0}},
                      CrossRowCase{"StartAtColumn59Marked", {{59, 63}}, {0, 0, 0, 0, 0, 0, 0, 4}},
                      CrossRowCase{"RunToColumn63CountsTo62", {{56, 63}}, {0, 0, 0, 0, 0, 0, 0, 7}},
                      CrossRowCase{"RunEndingBeforeTheEdge", {{56, 62}}, {0, 0, 0, 0, 0, 0, 0, 7}},
                      CrossRowCase{"WholeRow", {{0, 63}}, {8, 8, 8, 8, 8, 8, 8, 7}},
                      CrossRowCase{
                          "TwoRuns", {{0, 2}, {4, 5}, {20, 27}}, {3, 0, 4, 4, 0, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CrossLineTest, BlocksComeInTheOrderHorizontalVerticalRisingFalling) {
    cv::Mat image = Blank();
    image.row(4).colRange(8, 16).setTo(255);   // cell (0, 1)
    image.col(4).rowRange(16, 24).setTo(255);  // cell (2, 0)
    for (int k = 0; k < 8; ++k) {
        image.at<uint8_t>(23 - k, 40 + k) = 255;  // rising, cell (2, 5)
        image.at<uint8_t>(40 + k, 40 + k) = 255;  // falling, cell (5, 5)
    }
    OcrMatrixPtr f = CCrossLineFeatureExtractor().Extract(FromMat(image).get(), 0);
    ASSERT_TRUE(f);
    std::vector<int32_t> expected(256, 0);
    expected[0 * 64 + 0 * 8 + 1] = 8;
    expected[1 * 64 + 2 * 8 + 0] = 8;
    expected[2 * 64 + 2 * 8 + 5] = 8;
    expected[3 * 64 + 5 * 8 + 5] = 8;
    EXPECT_EQ(ValuesOf<int32_t>(f), expected);
}

TEST(CrossLineTest, DiagonalsAreScannedLikeRows) {
    // Each diagonal is read from its left end; a run reaching the far end stops one short.
    cv::Mat image = Blank();
    for (int k = 0; k < 64; ++k) {
        image.at<uint8_t>(k, k) = 255;       // falling, ends at (63, 63)
        image.at<uint8_t>(63 - k, k) = 255;  // rising, ends at (0, 63)
    }
    OcrMatrixPtr f = CCrossLineFeatureExtractor().Extract(FromMat(image).get(), 0);
    ASSERT_TRUE(f);
    std::vector<int32_t> expected(256, 0);
    for (int k = 0; k < 8; ++k) {
        expected[2 * 64 + (7 - k) * 8 + k] = k == 7 ? 7 : 8;
        expected[3 * 64 + k * 8 + k] = k == 7 ? 7 : 8;
    }
    EXPECT_EQ(ValuesOf<int32_t>(f), expected);
}

TEST(CrossLineTest, NullInputAndMarksThatCannotBeHad) {
    CCrossLineFeatureExtractor extractor;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(extractor.Extract(nullptr, 0));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Input parameter pCharacter is null.\n");

    // An image too large for its mark array: no feature, and no scan over missing marks.
    uint8_t pixel = 255;
    OcrMatrix huge;
    huge.type = kOcrUInt8;
    huge.data = &pixel;
    huge.rows = huge.cols = std::numeric_limits<int32_t>::max();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(extractor.Extract(&huge, 0));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "create ppixels error.\n");
}

// ---- StrokePos

struct StrokeCase {
    const char* name;
    std::vector<uint8_t> values;
    int k;
    float expected;
};

class StrokePositionTest : public ::testing::TestWithParam<StrokeCase> {};

TEST_P(StrokePositionTest, Value) {
    const StrokeCase& c = GetParam();
    EXPECT_FLOAT_EQ(StrokePosition(c.values.data(), static_cast<int>(c.values.size()), c.k),
                    c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StrokePositionTest,
    ::testing::Values(StrokeCase{"BlankStrokeZero", {0, 0, 0, 0, 0}, 0, 4.0f},
                      StrokeCase{"WeightedMean", {0, 0, 50, 150, 0}, 0, 2.75f},
                      StrokeCase{"OneStrokeHasNoSecond", {0, 0, 50, 150, 0}, 1, 4.0f},
                      StrokeCase{"SecondStroke", {50, 0, 0, 10, 10, 0}, 1, 3.5f},
                      StrokeCase{"StrokeAtTheEnd", {9, 0, 7, 7}, 1, 2.5f},
                      StrokeCase{"ThirdOfTwo", {9, 0, 7, 7}, 2, 3.0f}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StrokePosTest, RowsFromBothSidesThenColumns) {
    cv::Mat image = Blank();
    image.at<uint8_t>(1, 10) = 100;
    image.at<uint8_t>(1, 11) = 150;
    image.at<uint8_t>(1, 40) = 255;
    OcrMatrixPtr f = CStrokePosFeatureExtractorImp().Extract(FromMat(image).get(), 0);
    ASSERT_TRUE(f);
    ASSERT_EQ(f->type, kOcrFloat);
    ASSERT_EQ(f->rows, 1);
    ASSERT_EQ(f->cols, 512);
    const std::vector<float> v = ValuesOf<float>(f);
    // Row 0 is blank: four times count - 1.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(v[i], 63.0f) << i;
    // Row 1 from the left: (10 * 100 + 11 * 150) / 250, then 40. From the right: 23, then
    // (52 * 150 + 53 * 100) / 250.
    EXPECT_FLOAT_EQ(v[4], 10.6f);
    EXPECT_FLOAT_EQ(v[5], 40.0f);
    EXPECT_FLOAT_EQ(v[6], 23.0f);
    EXPECT_FLOAT_EQ(v[7], 52.4f);
    // Column 10: one stroke at row 1, from the top and the bottom.
    const float* column10 = v.data() + 4 * 64 + 4 * 10;
    EXPECT_FLOAT_EQ(column10[0], 1.0f);
    EXPECT_FLOAT_EQ(column10[1], 63.0f);
    EXPECT_FLOAT_EQ(column10[2], 62.0f);
    EXPECT_FLOAT_EQ(column10[3], 63.0f);
    const float* column0 = v.data() + 4 * 64;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(column0[i], 63.0f) << i;
}

// ---- PPF

struct PeripheralRowCase {
    const char* name;
    std::vector<Run> runs;  // in row 0; rows 1-7 of the band are blank
    int32_t left1, left2, right1, right2;
};

class PeripheralRowTest : public ::testing::TestWithParam<PeripheralRowCase> {};

TEST_P(PeripheralRowTest, FirstBand) {
    const PeripheralRowCase& c = GetParam();
    OcrMatrixPtr f =
        CPeripheralFeatureExtractorImp().Extract(FromMat(RowWithRuns(0, c.runs)).get(), 0);
    ASSERT_TRUE(f);
    ASSERT_EQ(f->type, kOcrInt32);
    ASSERT_EQ(f->rows, 2);
    ASSERT_EQ(f->cols, 32);
    const std::vector<int32_t> v = ValuesOf<int32_t>(f);
    // Each blank row adds 64 to layer 1 and nothing to layer 2.
    EXPECT_EQ(v[0], 7 * 64 + c.left1);
    EXPECT_EQ(v[32], c.left2);
    EXPECT_EQ(v[16], 7 * 64 + c.right1);
    EXPECT_EQ(v[48], c.right2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PeripheralRowTest,
    ::testing::Values(PeripheralRowCase{"Blank", {}, 64, 0, 64, 0},
                      PeripheralRowCase{"TwoRuns", {{10, 19}, {30, 34}}, 10, 10, 29, 10},
                      PeripheralRowCase{"OneRunInside", {{10, 19}}, 10, 44, 44, 10},
                      PeripheralRowCase{"RunToTheFarEdge", {{5, 63}}, 5, 0, 0, 5},
                      PeripheralRowCase{"PixelAtTheLeftEdge", {{0, 0}}, 0, 63, 63, 0},
                      PeripheralRowCase{"WholeRow", {{0, 63}}, 0, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PeripheralTest, SumsComeLeftBottomRightTop) {
    OcrMatrixPtr f = CPeripheralFeatureExtractorImp().Extract(
        FromMat(RowWithRuns(3, {{10, 19}, {30, 34}})).get(), 0);
    ASSERT_TRUE(f);
    std::vector<int32_t> layer1 = {458, 512, 512, 512, 512, 512, 512, 512,   // left
                                   512, 488, 496, 504, 500, 512, 512, 512,   // bottom
                                   477, 512, 512, 512, 512, 512, 512, 512,   // right
                                   512, 146, 268, 390, 329, 512, 512, 512};  // top
    std::vector<int32_t> layer2 = {10, 0,   0,   0,   0,   0, 0, 0,          // left
                                   0,  18,  12,  6,   9,   0, 0, 0,          // bottom
                                   10, 0,   0,   0,   0,   0, 0, 0,          // right
                                   0,  360, 240, 120, 180, 0, 0, 0};         // top
    const std::vector<int32_t> v = ValuesOf<int32_t>(f);
    EXPECT_EQ(std::vector<int32_t>(v.begin(), v.begin() + 32), layer1);
    EXPECT_EQ(std::vector<int32_t>(v.begin() + 32, v.end()), layer2);
}

// ---- CCF

struct LineDirectionCase {
    const char* name;
    std::vector<std::pair<cv::Point, cv::Point>> lines;  // one pixel wide
    int cell;                                            // the one cell with counts
    std::vector<int32_t> perMap;                         // counts of the four maps there
};

class LineDirectionTest : public ::testing::TestWithParam<LineDirectionCase> {};

TEST_P(LineDirectionTest, MapsOfTheCell) {
    const LineDirectionCase& c = GetParam();
    cv::Mat image = Blank();
    for (const auto& [a, b] : c.lines) cv::line(image, a, b, cv::Scalar(255), 1, cv::LINE_8);
    OcrMatrixPtr f = CCICLPFFeatureExtractorImp().Extract(FromMat(image).get(), 0);
    ASSERT_TRUE(f);
    ASSERT_EQ(f->type, kOcrInt32);
    ASSERT_EQ(f->rows, 4);
    ASSERT_EQ(f->cols, 64);
    std::vector<int32_t> expected(256, 0);
    for (int map = 0; map < 4; ++map) expected[map * 64 + c.cell] = c.perMap[map];
    EXPECT_EQ(ValuesOf<int32_t>(f), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineDirectionTest,
    ::testing::Values(
        LineDirectionCase{"IsolatedPixel", {{{20, 20}, {20, 20}}}, 2 * 8 + 2, {0, 0, 0, 0}},
        LineDirectionCase{"TwoPixelBar", {{{20, 20}, {21, 20}}}, 2 * 8 + 2, {0, 0, 0, 0}},
        LineDirectionCase{"FivePixelBar", {{{10, 10}, {14, 10}}}, 1 * 8 + 1, {5, 0, 0, 0}},
        LineDirectionCase{"VerticalBar", {{{42, 50}, {42, 54}}}, 6 * 8 + 5, {0, 5, 0, 0}},
        LineDirectionCase{"FallingDiagonal", {{{41, 9}, {45, 13}}}, 1 * 8 + 5, {0, 0, 5, 0}},
        LineDirectionCase{"RisingDiagonal", {{{9, 45}, {13, 41}}}, 5 * 8 + 1, {0, 0, 0, 5}},
        // The centre carries two lines of equal length: both maps.
        LineDirectionCase{
            "Cross", {{{8, 11}, {14, 11}}, {{11, 8}, {11, 14}}}, 1 * 8 + 1, {7, 7, 0, 0}},
        // The corner's vertical line is one shorter than its horizontal: both maps.
        LineDirectionCase{"CornerFiveByFour",
                          {{{16, 20}, {20, 20}}, {{16, 20}, {16, 23}}},
                          2 * 8 + 2,
                          {5, 4, 0, 0}},
        // Two shorter: the corner counts for the horizontal only.
        LineDirectionCase{"CornerFiveByThree",
                          {{{16, 20}, {20, 20}}, {{16, 20}, {16, 22}}},
                          2 * 8 + 2,
                          {5, 2, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineDirectionTest, LengthsAreMeasuredOnTheInputNotTheSkeleton) {
    // A thick bar thins to a short line, but each skeleton pixel lies on the bar's full
    // 12-pixel rows: the counts are of horizontal lines only.
    cv::Mat image = Blank();
    image(cv::Rect(18, 17, 12, 3)).setTo(255);
    OcrMatrixPtr f = CCICLPFFeatureExtractorImp().Extract(FromMat(image).get(), 0);
    ASSERT_TRUE(f);
    const std::vector<int32_t> v = ValuesOf<int32_t>(f);
    int32_t horizontal = 0, others = 0;
    for (int i = 0; i < 64; ++i) horizontal += v[i];
    for (int i = 64; i < 256; ++i) others += v[i];
    EXPECT_EQ(horizontal, 10);  // the middle row without its two ends
    EXPECT_EQ(others, 0);
}

// ---- HVH

TEST(HistogramSpectraTest, ComplexPartsAndMagnitudes) {
    // Column sums: 2 at column 1; row sums: 2 at row 0.
    cv::Mat image = Blank();
    image.at<uint8_t>(0, 1) = 2;
    const OcrMatrixPtr input = FromMat(image);
    for (const char* key : {"HVH", "hvh0"}) {
        OcrMatrixPtr f = CreateFeatureExtractor(key)->Extract(input.get(), 0);
        ASSERT_TRUE(f) << key;
        ASSERT_EQ(f->type, kOcrFloat);
        ASSERT_EQ(f->rows, 2) << key;
        ASSERT_EQ(f->cols, 128) << key;
        const std::vector<float> v = ValuesOf<float>(f);
        for (int k = 0; k < 64; ++k) {
            EXPECT_NEAR(v[k], 2 * std::cos(2 * kPi * k / 64), 1e-5) << key << " " << k;
            EXPECT_NEAR(v[128 + k], -2 * std::sin(2 * kPi * k / 64), 1e-5) << key << " " << k;
            EXPECT_NEAR(v[64 + k], 2.0f, 1e-6) << key << " " << k;
            EXPECT_NEAR(v[128 + 64 + k], 0.0f, 1e-6) << key << " " << k;
        }
    }
    OcrMatrixPtr magnitudes = CreateFeatureExtractor("HVH1")->Extract(input.get(), 0);
    ASSERT_TRUE(magnitudes);
    ASSERT_EQ(magnitudes->rows, 1);
    ASSERT_EQ(magnitudes->cols, 128);
    for (float m : ValuesOf<float>(magnitudes)) EXPECT_NEAR(m, 2.0f, 1e-5);
}

TEST(HistogramSpectraTest, SidesArePaddedToPowersOfTwo) {
    // 5 rows x 3 columns: 4 column values, then 8 row values.
    cv::Mat image(5, 3, CV_8UC1, cv::Scalar(1));
    OcrMatrixPtr f = CreateFeatureExtractor("HVH")->Extract(FromMat(image).get(), 0);
    ASSERT_TRUE(f);
    ASSERT_EQ(f->rows, 2);
    ASSERT_EQ(f->cols, 12);
    const std::vector<float> v = ValuesOf<float>(f);
    EXPECT_FLOAT_EQ(v[0], 15.0f);  // the columns' total
    EXPECT_FLOAT_EQ(v[4], 15.0f);  // the rows' total
    // Three column sums of 5 padded to 4: X_2 = 5 - 5 + 5.
    EXPECT_FLOAT_EQ(v[2], 5.0f);
}

// ---- All of them

TEST(StrokeFeaturesTest, UnusableImagesGiveNoFeature) {
    OcrMatrixPtr noData(CreateOcrMatrix(kOcrUInt8, 0, 64));
    OcrMatrixPtr integers(CreateOcrMatrix(kOcrInt32, 64, 64));
    const OcrMatrixPtr narrow = FromMat(cv::Mat::ones(64, 7, CV_8UC1));
    struct Case {
        const char* key;
        bool narrowWorks;
    } cases[] = {{"CrossLine", false}, {"StrokePos", true}, {"PPF", false},
                 {"CCF", false},       {"HVH", true},       {"HVH1", true}};
    for (const Case& c : cases) {
        auto e = CreateFeatureExtractor(c.key);
        ASSERT_TRUE(e) << c.key;
        EXPECT_FALSE(e->Extract(noData.get(), 0)) << c.key;
        EXPECT_FALSE(e->Extract(integers.get(), 0)) << c.key;
        EXPECT_EQ(static_cast<bool>(e->Extract(narrow.get(), 0)), c.narrowWorks) << c.key;
        if (std::strcmp(c.key, "CrossLine") != 0) {
            EXPECT_FALSE(e->Extract(nullptr, 0)) << c.key;  // CrossLine says so: above
        }
    }
}

}  // namespace
}  // namespace orbisk
