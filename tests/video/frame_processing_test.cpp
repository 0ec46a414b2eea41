#include "video/frame_processing.h"

#include "tests/video/preview_frames.h"
#include "video/frame_store.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <string>

namespace orbisk {
namespace {

using test::CoordinateFrame;
using test::Turned;
bool Same(const cv::Mat& a, const cv::Mat& b) { return test::SameImage(a, b); }

// A top-down picture into a store (which keeps rows bottom-up).
void Store(CDPrgb24& store, const cv::Mat& picture) {
    cv::Mat flipped;
    cv::flip(picture, flipped, 0);
    ASSERT_TRUE(store.SetData(flipped.data, picture.cols, picture.rows));
}

TEST(RoundMargin, NearestMultipleOfFourHalvesUpNegativeStaysUnset) {
    const std::pair<int, int> cases[] = {{0, 0}, {1, 0}, {2, 4},   {3, 4},  {5, 4},
                                         {6, 8}, {8, 8}, {-1, -1}, {-6, -1}};
    for (auto [in, out] : cases) {
        EXPECT_EQ(RoundMargin(in), out) << in;
    }
    EXPECT_EQ(RoundMargins({1, 2, 5, 6}), (TrimMargins{0, 4, 4, 8}));
}

struct MarginCase {
    std::string name;
    TrimMargins margins;
    IntRect expected;
};

class ApplyMarginsTest : public testing::TestWithParam<MarginCase> {};

TEST_P(ApplyMarginsTest, ShrinksOrLeavesTheRectangle) {
    EXPECT_EQ(ApplyTrimMargins({0, 0, 100, 80}, GetParam().margins), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Margins, ApplyMarginsTest,
    testing::Values(MarginCase{"Shrinks", {4, 8, 12, 16}, {4, 8, 88, 64}},
                    MarginCase{"Zero", {0, 0, 0, 0}, {0, 0, 100, 80}},
                    MarginCase{"OneUnsetChangesNothing", {4, -1, 4, 4}, {0, 0, 100, 80}},
                    MarginCase{"NegativeChangesNothing", {-8, 4, 4, 4}, {0, 0, 100, 80}},
                    MarginCase{"EmptyResultChangesNothing", {50, 0, 50, 0}, {0, 0, 100, 80}},
                    MarginCase{"InvertedResultChangesNothing", {0, 60, 0, 60}, {0, 0, 100, 80}},
                    MarginCase{"HugeDoesNotOverflow", {0, 0, 2147483600, 0}, {0, 0, 100, 80}}),
    [](const auto& info) { return info.param.name; });

TEST(QuarterTurn, NormaliseAndTurnDirection) {
    EXPECT_EQ(NormaliseQuarterTurn(450), 90);
    EXPECT_EQ(NormaliseQuarterTurn(-90), 270);
    EXPECT_EQ(NormaliseQuarterTurn(-450), 270);
    EXPECT_EQ(NormaliseQuarterTurn(720), 0);
    EXPECT_EQ(NormaliseQuarterTurn(45), -1);
    EXPECT_EQ(NormaliseQuarterTurn(-45), -1);

    EXPECT_EQ(TurnBetween(270, 0), ViewTurn::kRight);
    EXPECT_EQ(TurnBetween(0, 270), ViewTurn::kLeft);
    EXPECT_EQ(TurnBetween(90, 270), ViewTurn::kHalf);
    EXPECT_EQ(TurnBetween(0, 90), ViewTurn::kRight);
    EXPECT_EQ(TurnBetween(180, 180), ViewTurn::kNone);
}

TEST(ClipCropRect, CutToTheFrameAndWholeFrameWhenNothingIsLeft) {
    const cv::Size frame(320, 240);
    EXPECT_EQ(ClipCropRect({10, 20, 110, 220}, frame), cv::Rect(10, 20, 100, 200));
    EXPECT_EQ(ClipCropRect({200, 100, 1000, 1000}, frame), cv::Rect(200, 100, 120, 140));
    EXPECT_EQ(ClipCropRect({-50, -50, 40, 30}, frame), cv::Rect(0, 0, 40, 30));
    // Drawn on a 1600 x 1200 picture before the camera's size dropped.
    EXPECT_EQ(ClipCropRect({800, 600, 1200, 900}, frame), cv::Rect(0, 0, 320, 240));
    EXPECT_EQ(ClipCropRect({0, 0, 0, 0}, frame), cv::Rect(0, 0, 320, 240));
}

TEST(MirrorBoxRows, CentreRowMirroredAngleNegated) {
    const RotatedBox b = MirrorBoxRows({100, 30, 50, 40, 12}, 240);
    EXPECT_FLOAT_EQ(b.cx, 100);
    EXPECT_FLOAT_EQ(b.cy, 209);
    EXPECT_FLOAT_EQ(b.width, 50);
    EXPECT_FLOAT_EQ(b.height, 40);
    EXPECT_FLOAT_EQ(b.angle, -12);
}

struct TrimCase {
    std::string name;
    IntRect rect;
    int rotation;
};

class TrimAndTurnTest : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimAndTurnTest, GivesExactlyThePartTurnedAndLeavesTheInput) {
    const cv::Mat picture = CoordinateFrame(300, 200);
    CDPrgb24 input, work, output;
    Store(input, picture);
    const auto& c = GetParam();
    ASSERT_TRUE(TrimAndTurn(input, c.rect, c.rotation, work, output));
    const cv::Rect part(c.rect.left, c.rect.top, c.rect.Width(), c.rect.Height());
    EXPECT_TRUE(Same(output.GetImage(), Turned(picture(part), c.rotation)));
    EXPECT_TRUE(Same(input.GetImage(), picture));
}

INSTANTIATE_TEST_SUITE_P(Parts, TrimAndTurnTest,
                         testing::Values(TrimCase{"Whole", {0, 0, 300, 200}, 0},
                                         TrimCase{"WholeRight", {0, 0, 300, 200}, 90},
                                         TrimCase{"Trimmed", {4, 8, 288, 196}, 0},
                                         TrimCase{"TrimmedRight", {4, 8, 288, 196}, 90},
                                         TrimCase{"TrimmedHalf", {12, 0, 300, 160}, 180},
                                         TrimCase{"TrimmedLeft", {0, 40, 200, 200}, 270}),
                         [](const auto& info) { return info.param.name; });

TEST(StoreToPicture, ReusesItsBufferUnlessAnotherMatrixStillReadsIt) {
    const cv::Mat first = CoordinateFrame(320, 240);
    cv::Mat second;
    cv::bitwise_not(first, second);
    CDPrgb24 store;
    cv::Mat picture;
    Store(store, first);
    StoreToPicture(store, picture);
    ASSERT_TRUE(Same(picture, first));
    const uchar* buffer = picture.data;

    Store(store, second);
    StoreToPicture(store, picture);
    EXPECT_TRUE(Same(picture, second));
    EXPECT_EQ(picture.data, buffer) << "a buffer nobody shares is written again";

    // A capture still holds the picture: the next one goes elsewhere.
    const cv::Mat held = picture;
    Store(store, first);
    StoreToPicture(store, picture);
    EXPECT_TRUE(Same(picture, first));
    EXPECT_TRUE(Same(held, second));
    EXPECT_NE(picture.data, held.data);
}

TEST(CutOutDocuments, WholeFrameCropBoxAndBoxes) {
    const cv::Mat frame = CoordinateFrame(320, 240);
    // No boxes, no crop box: the whole frame; detection on without boxes too.
    for (bool detect : {false, true}) {
        const auto whole = CutOutDocuments(frame, {}, detect, std::nullopt);
        ASSERT_EQ(whole.size(), 1u);
        EXPECT_TRUE(Same(whole[0], frame));
        EXPECT_NE(whole[0].data, frame.data) << "a cut-out has a buffer of its own";
    }
    // A crop box partly outside is clipped; one wholly outside gives the frame.
    auto cut = CutOutDocuments(frame, {}, false, IntRect{200, 100, 1000, 1000});
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_TRUE(Same(cut[0], frame(cv::Rect(200, 100, 120, 140))));
    cut = CutOutDocuments(frame, {}, false, IntRect{800, 600, 1200, 900});
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_TRUE(Same(cut[0], frame));
    // Boxes win over the crop box while detection is on; a box without sides
    // gives no cut-out.
    cut = CutOutDocuments(frame, {{100, 100, 80, 60, 0}, {0, 0, 0, 0, 0}}, true,
                          IntRect{0, 0, 10, 10});
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_NEAR(cut[0].cols, 80, 1);
    EXPECT_NEAR(cut[0].rows, 60, 1);
}

}  // namespace
}  // namespace orbisk
