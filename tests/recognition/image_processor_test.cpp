#include "recognition/image_processor.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/recognition/ocr_test_matrix.h"
#include "tests/recognition/test_glyphs.h"

namespace orbisk {
namespace {

using test::FromArt;
using test::ToArt;

// A cross whose horizontal arm spans the whole width.
const std::vector<std::string> kCross = {
    ".......",  //
    "...#...",  //
    "...#...",  //
    "#######",  //
    "...#...",  //
    "...#...",  //
    ".......",  //
};

enum class Measure { kRun, kLongest, kNeighbours, kTransitions };

struct MeasureCase {
    const char* name;
    Measure measure;
    int x;
    int y;
    int direction;  // RunLength only
    int expected;
};

class CrossMeasureTest : public ::testing::TestWithParam<MeasureCase> {};

TEST_P(CrossMeasureTest, Value) {
    const MeasureCase& c = GetParam();
    const OcrMatrixPtr cross = FromArt(kCross);
    const CImageProcessor p;
    int got = 0;
    switch (c.measure) {
        case Measure::kRun:
            got = p.RunLength(cross.get(), c.x, c.y, c.direction);
            break;
        case Measure::kLongest:
            got = p.LongestLine(cross.get(), c.x, c.y);
            break;
        case Measure::kNeighbours:
            got = p.NeighbourCount(cross.get(), c.x, c.y);
            break;
        case Measure::kTransitions:
            got = p.Transitions(cross.get(), c.x, c.y);
            break;
    }
    EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CrossMeasureTest,
    ::testing::Values(MeasureCase{"RunRightToTheEdge", Measure::kRun, 3, 3, 1, 3},
                      MeasureCase{"RunLeftToTheEdge", Measure::kRun, 3, 3, 5, 3},
                      MeasureCase{"RunDown", Measure::kRun, 3, 3, 3, 2},
                      MeasureCase{"RunUp", Measure::kRun, 3, 3, 7, 2},
                      MeasureCase{"RunDownRightIntoBackground", Measure::kRun, 3, 3, 2, 0},
                      MeasureCase{"RunUpLeftIntoBackground", Measure::kRun, 3, 3, 6, 0},
                      MeasureCase{"RunFromBackgroundDownRight", Measure::kRun, 2, 2, 2, 1},
                      MeasureCase{"RunFromBackgroundDownLeft", Measure::kRun, 4, 2, 4, 1},
                      MeasureCase{"RunOfInkWithBackgroundRight", Measure::kRun, 3, 1, 1, 0},
                      MeasureCase{"RunFromTheRightEdgeOutward", Measure::kRun, 6, 3, 1, 0},
                      MeasureCase{"RunAlongTheWholeArm", Measure::kRun, 0, 3, 1, 6},
                      MeasureCase{"RunFromLeftOfTheImage", Measure::kRun, -1, 3, 1, 0},
                      MeasureCase{"RunFromRightOfTheImage", Measure::kRun, 7, 3, 5, 0},
                      MeasureCase{"RunFromFarOutside", Measure::kRun, 1000, 1000, 6, 0},
                      MeasureCase{"RunDirectionZero", Measure::kRun, 3, 3, 0, -1},
                      MeasureCase{"RunDirectionNine", Measure::kRun, 3, 3, 9, -1},
                      MeasureCase{"RunDirectionNineOutside", Measure::kRun, -1, 3, 9, -1},
                      MeasureCase{"LongestAtTheCentre", Measure::kLongest, 3, 3, 0, 6},
                      MeasureCase{"LongestAtAnArmEnd", Measure::kLongest, 3, 1, 0, 4},
                      MeasureCase{"LongestOutside", Measure::kLongest, -1, 3, 0, 0},
                      MeasureCase{"NeighboursOfTheCentre", Measure::kNeighbours, 3, 3, 0, 4},
                      MeasureCase{"NeighboursOfBackground", Measure::kNeighbours, 2, 2, 0, 5},
                      MeasureCase{"NeighboursOnTheLeftEdge", Measure::kNeighbours, 0, 3, 0, 1},
                      MeasureCase{"NeighboursOnTheTopEdge", Measure::kNeighbours, 3, 0, 0, 1},
                      MeasureCase{"NeighboursInACorner", Measure::kNeighbours, 0, 0, 0, 0},
                      MeasureCase{"NeighboursOfAPointOutside", Measure::kNeighbours, -1, 3, 0, 1},
                      MeasureCase{"TransitionsOfTheCentre", Measure::kTransitions, 3, 3, 0, 4},
                      MeasureCase{"TransitionsBesideTheCentre", Measure::kTransitions, 3, 2, 0, 2},
                      MeasureCase{"TransitionsOfAnArmEnd", Measure::kTransitions, 3, 1, 0, 1},
                      MeasureCase{"TransitionsOnTheArm", Measure::kTransitions, 1, 3, 0, 2},
                      MeasureCase{"TransitionsOfBackground", Measure::kTransitions, 2, 2, 0, 1},
                      MeasureCase{"TransitionsOnTheLeftEdge", Measure::kTransitions, 0, 3, 0, -1},
                      MeasureCase{"TransitionsOnTheRightEdge", Measure::kTransitions, 6, 3, 0, -1},
                      MeasureCase{"TransitionsOnTheTopEdge", Measure::kTransitions, 3, 0, 0, -1},
                      MeasureCase{"TransitionsOnTheBottomEdge", Measure::kTransitions, 3, 6, 0, -1},
                      MeasureCase{"TransitionsOutside", Measure::kTransitions, -1, -1, 0, -1}),
    [](const auto& info) { return std::string(info.param.name); });

struct ThinCase {
    const char* name;
    std::vector<std::string> input;
    std::vector<std::string> expected;
};

class ThinTest : public ::testing::TestWithParam<ThinCase> {};

TEST_P(ThinTest, Result) {
    const OcrMatrixPtr input = FromArt(GetParam().input);
    const OcrMatrixPtr thin = CImageProcessor().Thin(input.get());
    ASSERT_TRUE(thin);
    EXPECT_EQ(ToArt(thin.get()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ThinTest,
    ::testing::Values(
        // Every border pixel of the bar has background diagonals in the input: the first
        // subiteration clears them all, and the second finds nothing with three neighbours.
        ThinCase{"ThickBar",
                 {".......",  //
                  ".#####.",  //
                  ".#####.",  //
                  ".#####.",  //
                  "......."},
                 {".......",  //
                  ".......",  //
                  "..###..",  //
                  ".......",  //
                  "......."}},
        // The inner pixels' diagonals are ink in the input, so the square stops at its centre
        // block: the diagonal test looks at the input, not at the thinned result.
        ThinCase{"SquareStopsAtItsCentreBlock",
                 {".......",  //
                  ".#####.",  //
                  ".#####.",  //
                  ".#####.",  //
                  ".#####.",  //
                  ".#####.",  //
                  "......."},
                 {".......",  //
                  ".......",  //
                  "..###..",  //
                  "..###..",  //
                  "..###..",  //
                  ".......",  //
                  "......."}},
        ThinCase{"ThinCrossUnchanged", kCross, kCross},
        ThinCase{"DiagonalLineUnchanged",
                 {"......",  //
                  ".#....",  //
                  "..#...",  //
                  "...#..",  //
                  "....#.",  //
                  "......"},
                 {"......",  //
                  ".#....",  //
                  "..#...",  //
                  "...#..",  //
                  "....#.",  //
                  "......"}},
        // Only interior pixels are thinned; the bar's lower edge goes in the first
        // subiteration, and the row above it keeps ink diagonals in the input.
        ThinCase{"InkOnTheBorderStays",
                 {"#####",  //
                  "#####",  //
                  "#####",  //
                  "....."},
                 {"#####",  //
                  "#####",  //
                  "#...#",  //
                  "....."}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ThinTest, ResultIsASubsetThatKeepsItsValues) {
    std::vector<OcrMatrixPtr> images;
    for (size_t i = 0; i < 6; ++i) {
        images.push_back(test::FromMat(test::GlyphImage(test::TestGlyphs()[i])));
    }
    std::mt19937 random(3);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int k = 0; k < 4; ++k) {
        OcrMatrixPtr blobs(CreateOcrMatrix(kOcrUInt8, 24, 24));
        auto* p = static_cast<uint8_t*>(blobs->data);
        for (int i = 0; i < 24 * 24; ++i) p[i] = byte(random) < 150 ? byte(random) : 0;
        images.push_back(std::move(blobs));
    }
    const CImageProcessor processor;
    for (size_t n = 0; n < images.size(); ++n) {
        const OcrMatrix* in = images[n].get();
        const OcrMatrixPtr thin = processor.Thin(in);
        ASSERT_TRUE(thin);
        ASSERT_EQ(thin->rows, in->rows);
        ASSERT_EQ(thin->cols, in->cols);
        const auto* a = static_cast<const uint8_t*>(in->data);
        const auto* b = static_cast<const uint8_t*>(thin->data);
        int kept = 0, ink = 0;
        for (int i = 0; i < in->rows * in->cols; ++i) {
            ASSERT_TRUE(b[i] == 0 || b[i] == a[i]) << n << " pixel " << i;
            kept += b[i] != 0;
            ink += a[i] != 0;
        }
        EXPECT_LT(kept, ink) << n;
        EXPECT_GT(kept, 0) << n;
    }
}

TEST(RedundantPixelTest, ABumpOnALineIsRemoved) {
    const OcrMatrixPtr t = FromArt({
        ".......",  //
        ".......",  //
        "...#...",  //
        ".#####.",  //
        ".......",  //
    });
    const CImageProcessor p;
    EXPECT_TRUE(p.IsRedundantPixel(t.get(), 3, 2));
    EXPECT_FALSE(p.IsRedundantPixel(t.get(), 1, 3));  // the line's ends carry its own length
    EXPECT_FALSE(p.IsRedundantPixel(t.get(), 5, 3));
    EXPECT_FALSE(p.IsRedundantPixel(t.get(), 3, 3));
    EXPECT_FALSE(p.IsRedundantPixel(t.get(), 0, 3));  // border
    const OcrMatrixPtr cleaned = p.RemoveRedundantPixels(t.get());
    ASSERT_TRUE(cleaned);
    EXPECT_EQ(ToArt(cleaned.get()),
              (std::vector<std::string>{".......", ".......", ".......", ".#####.", "......."}));
}

TEST(ImageProcessorTest, NullImage) {
    const CImageProcessor p;
    EXPECT_EQ(p.RunLength(nullptr, 0, 0, 1), 0);
    EXPECT_EQ(p.Transitions(nullptr, 1, 1), -1);
    EXPECT_FALSE(p.Thin(nullptr));
    EXPECT_FALSE(p.RemoveRedundantPixels(nullptr));
}

}  // namespace
}  // namespace orbisk
