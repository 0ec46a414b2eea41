#include "imaging/document_detection.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include "imaging/min_area_box.h"
#include "tests/imaging/box_testing.h"
#include "tests/support/case_name.h"
#include "tests/support/scene_generator.h"

namespace orbisk {
namespace {

using namespace test;  // scenes, box helpers and the callers' values

bool BoxesEqual(const RotatedBox& a, const RotatedBox& b) {
    return a.cx == b.cx && a.cy == b.cy && a.width == b.width && a.height == b.height &&
           a.angle == b.angle;
}

struct RotatedPageCase {
    float angle;
    bool lightDesk;
};

class RotatedPage : public ::testing::TestWithParam<RotatedPageCase> {};

TEST_P(RotatedPage, IsFoundWithCentreAngleAndShrunkSides) {
    const RotatedPageCase c = GetParam();
    SceneOptions options;
    options.lightDesk = c.lightDesk;
    options.pages = {{.centre = {950, 530}, .size = {900, 640}, .angle = c.angle}};
    const Scene scene = MakeScene(options);
    const cv::Mat before = scene.image.clone();

    RotatedBox box;
    std::vector<cv::Point> outline;
    ASSERT_TRUE(
        FindDocumentBox(box, kMedian, kSobel, outline, kScale, 0.01f, scene.image, kFactor));
    EXPECT_GE(box.angle, -90.0f);
    EXPECT_LT(box.angle, 0.01f);

    const RotatedBox found = Normalised(box);
    EXPECT_NEAR(found.cx, 950.0f, 3.0f) << box;
    EXPECT_NEAR(found.cy, 530.0f, 3.0f) << box;
    EXPECT_NEAR(found.angle, c.angle, 1.0f) << box;
    // The gradient ring adds one or two reduced pixels (5 to 10 px) around
    // the page; the Sobel aperture of 3 reduced pixels (15 px) is taken off.
    EXPECT_NEAR(found.width, 900.0f, 12.0f) << box;
    EXPECT_NEAR(found.height, 640.0f, 12.0f) << box;

    // The outline is the reduced contour scaled up; the box sides are its
    // sides less the Sobel aperture in reduced pixels, 3 / 0.2 = 15.
    const RotatedBox around = Normalised(MinAreaBox(outline));
    EXPECT_NEAR(found.width, around.width - 15.0f, 0.5f);
    EXPECT_NEAR(found.height, around.height - 15.0f, 0.5f);

    EXPECT_EQ(cv::norm(scene.image, before, cv::NORM_INF), 0.0) << "input changed";

    RotatedBox detected;
    ASSERT_TRUE(DetectDocument(detected, kMedian, kSobel, kScale, 0.01f, scene.image, kFactor));
    EXPECT_TRUE(BoxesEqual(detected, box));
}

INSTANTIATE_TEST_SUITE_P(Angles, RotatedPage,
                         ::testing::Values(RotatedPageCase{0, false}, RotatedPageCase{7, false},
                                           RotatedPageCase{-12, false}, RotatedPageCase{30, false},
                                           RotatedPageCase{-40, false}, RotatedPageCase{44, false},
                                           RotatedPageCase{0, true}, RotatedPageCase{12, true},
                                           RotatedPageCase{-30, true}),
                         [](const auto& info) {
                             return test::CaseName(
                                 "angle", info.param.angle,
                                 info.param.lightDesk ? "light_desk" : "dark_desk");
                         });

TEST(DocumentDetection, UprightPageHasAngleZero) {
    const Scene scene = MakeScene({.pages = {{.centre = {960, 540}, .size = {700, 500}}}});
    RotatedBox box;
    ASSERT_TRUE(DetectDocument(box, kMedian, kSobel, kScale, 0.01f, scene.image, kFactor));
    EXPECT_FLOAT_EQ(box.angle, 0.0f);
    EXPECT_GT(box.width, box.height);
}

struct UnusableCase {
    const char* name;
    cv::Mat image;
};

class NothingToFind : public ::testing::TestWithParam<UnusableCase> {};

TEST_P(NothingToFind, GivesFalseAndLeavesOutputsAlone) {
    const cv::Mat& image = GetParam().image;
    const RotatedBox sentinel{1, 2, 3, 4, 5};
    RotatedBox box = sentinel;
    std::vector<cv::Point> outline{{7, 7}};
    EXPECT_FALSE(FindDocumentBox(box, kMedian, kSobel, outline, kScale, 0.01f, image, kFactor));
    EXPECT_TRUE(BoxesEqual(box, sentinel));
    ASSERT_EQ(outline.size(), 1u);
    EXPECT_EQ(outline[0], cv::Point(7, 7));

    EXPECT_FALSE(DetectDocument(box, kMedian, kSobel, kScale, 0.01f, image, kFactor));
    EXPECT_TRUE(BoxesEqual(box, sentinel));

    std::vector<RotatedBox> boxes{sentinel};
    EXPECT_FALSE(FindDocumentBoxes(boxes, kMedian, kSobel, kScale, 0.01f, image, kFactor));
    EXPECT_TRUE(boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Images, NothingToFind,
    ::testing::Values(
        UnusableCase{"empty", cv::Mat()},
        UnusableCase{"uniform_grey", cv::Mat(1080, 1920, CV_8UC3, cv::Scalar::all(128))},
        UnusableCase{"uniform_one_channel", cv::Mat(600, 800, CV_8UC1, cv::Scalar(200))},
        UnusableCase{"black", cv::Mat::zeros(600, 800, CV_8UC3)},
        UnusableCase{"tiny", cv::Mat(2, 2, CV_8UC3, cv::Scalar::all(255))},
        UnusableCase{"sixteen_bit", cv::Mat(600, 800, CV_16UC3, cv::Scalar::all(9))},
        UnusableCase{"four_channels", cv::Mat(600, 800, CV_8UC4, cv::Scalar::all(9))}),
    [](const auto& info) { return std::string(info.param.name); });

struct EmptyDeskCase {
    const char* name;
    EmptyDesk kind;
    cv::Size size;
    unsigned seed;
};

void PrintTo(const EmptyDeskCase& c, std::ostream* os) { *os << c.name; }

class EmptyDeskTest : public ::testing::TestWithParam<EmptyDeskCase> {};

// Texture, shadows and noise of a desk are no page: neither the preview's
// outline nor new-page detection (area 0.03) may see one.
TEST_P(EmptyDeskTest, HoldsNoDocument) {
    const EmptyDeskCase& c = GetParam();
    const cv::Mat desk = MakeEmptyDesk(c.kind, c.size, c.seed);
    cv::Mat grey;
    cv::cvtColor(desk, grey, cv::COLOR_BGR2GRAY);
    for (const cv::Mat& image : {desk, grey}) {
        SCOPED_TRACE(image.channels());
        RotatedBox box;
        EXPECT_FALSE(DetectDocument(box, kMedian, kSobel, kScale, 0.03f, image, kFactor)) << box;
        std::vector<cv::Point> outline;
        EXPECT_FALSE(FindDocumentBox(box, kMedian, kSobel, outline, kScale, kArea, image, kFactor))
            << box;
        std::vector<RotatedBox> boxes;
        EXPECT_FALSE(FindDocumentBoxes(boxes, kMedian, kSobel, kScale, kArea, image, kFactor));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Desks, EmptyDeskTest,
    ::testing::Values(EmptyDeskCase{"plain_dark", EmptyDesk::PlainDark, {1920, 1080}, 7},
                      EmptyDeskCase{"wood", EmptyDesk::Wood, {1920, 1080}, 7},
                      EmptyDeskCase{"wood_small", EmptyDesk::Wood, {800, 600}, 8},
                      EmptyDeskCase{"striped_cloth", EmptyDesk::StripedCloth, {1920, 1080}, 7},
                      EmptyDeskCase{"striped_cloth_small", EmptyDesk::StripedCloth, {800, 600}, 8},
                      EmptyDeskCase{"shadow_edge", EmptyDesk::ShadowEdge, {1920, 1080}, 7},
                      EmptyDeskCase{"shadow_edge_small", EmptyDesk::ShadowEdge, {800, 600}, 8},
                      EmptyDeskCase{"sensor_noise", EmptyDesk::SensorNoise, {1920, 1080}, 7},
                      EmptyDeskCase{"jpeg_artefacts", EmptyDesk::JpegArtefacts, {1920, 1080}, 7},
                      EmptyDeskCase{
                          "jpeg_artefacts_small", EmptyDesk::JpegArtefacts, {800, 600}, 8}),
    [](const auto& info) { return std::string(info.param.name); });

struct LightDeskCase {
    const char* name;
    Page page;
};

void PrintTo(const LightDeskCase& c, std::ostream* os) { *os << c.name; }

class WhitePageOnLightDesk : public ::testing::TestWithParam<LightDeskCase> {};

// The faintest page edge there is: white on light grey.
TEST_P(WhitePageOnLightDesk, IsStillFound) {
    const Scene scene = MakeScene({.pages = {GetParam().page}, .lightDesk = true});
    const RotatedBox truth = Normalised(test::MaskBox(scene.pageMask));
    RotatedBox box;
    ASSERT_TRUE(DetectDocument(box, kMedian, kSobel, kScale, 0.03f, scene.image, kFactor));
    const RotatedBox found = Normalised(box);
    EXPECT_NEAR(found.cx, truth.cx, 4.0f) << found << " vs " << truth;
    EXPECT_NEAR(found.cy, truth.cy, 4.0f) << found << " vs " << truth;
    EXPECT_NEAR(found.width, truth.width, 12.0f) << found << " vs " << truth;
    EXPECT_NEAR(found.height, truth.height, 12.0f) << found << " vs " << truth;
    EXPECT_NEAR(found.angle, truth.angle, 1.0f) << found << " vs " << truth;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, WhitePageOnLightDesk,
    ::testing::Values(
        LightDeskCase{"blank_turned",
                      {.centre = {960, 540}, .size = {700, 500}, .angle = 10, .textBars = false}},
        LightDeskCase{"blank_small",
                      {.centre = {700, 400}, .size = {360, 260}, .angle = -5, .textBars = false}},
        LightDeskCase{"text_turned_far", {.centre = {1000, 560}, .size = {800, 560}, .angle = 40}},
        LightDeskCase{"text_in_the_dark_corner",
                      {.centre = {1400, 760}, .size = {700, 480}, .angle = 3}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DocumentDetection, BadAperturesAnswerFalseInsteadOfThrowing) {
    const Scene scene = MakeScene({.pages = {{.centre = {960, 540}, .size = {700, 500}}}});
    RotatedBox box;
    std::vector<RotatedBox> boxes;
    EXPECT_FALSE(DetectDocument(box, 4, kSobel, kScale, 0.01f, scene.image, kFactor));
    EXPECT_FALSE(DetectDocument(box, kMedian, 4, kScale, 0.01f, scene.image, kFactor));
    EXPECT_FALSE(FindDocumentBoxes(boxes, -1, kSobel, kScale, 0.01f, scene.image, kFactor));
}

TEST(DocumentDetection, ThinRegionIsNotADocument) {
    // A long hair-line gives a final contour about three reduced pixels wide:
    // less the Sobel aperture it has no height left, which must read as
    // "nothing found", not as a box of negative size.
    cv::Mat image(1080, 1920, CV_8UC3, cv::Scalar::all(40));
    cv::line(image, {300, 540}, {1600, 540}, cv::Scalar::all(250), 2);
    RotatedBox box;
    if (DetectDocument(box, kMedian, kSobel, kScale, 0.01f, image, kFactor)) {
        EXPECT_GE(box.width, 1.0f);
        EXPECT_GE(box.height, 1.0f);
    }
    std::vector<RotatedBox> boxes;
    FindDocumentBoxes(boxes, kMedian, kSobel, kScale, 0.01f, image, kFactor);
    for (const RotatedBox& b : boxes) {
        EXPECT_GE(b.width, 1.0f);
        EXPECT_GE(b.height, 1.0f);
    }

    // With a small median the line survives, and its region is five reduced
    // pixels across at most: less the Sobel aperture of 5 nothing is left.
    // Found, it would have been a box of height 0 or below.
    const RotatedBox sentinel{1, 2, 3, 4, 5};
    for (int width : {6, 10}) {
        cv::Mat line(1080, 1920, CV_8UC3, cv::Scalar::all(40));
        cv::line(line, {300, 540}, {1600, 540}, cv::Scalar::all(250), width);
        box = sentinel;
        EXPECT_FALSE(DetectDocument(box, 3, 5, kScale, 0.01f, line, kFactor)) << width;
        EXPECT_TRUE(BoxesEqual(box, sentinel));
        EXPECT_FALSE(FindDocumentBoxes(boxes, 3, 5, kScale, 0.01f, line, kFactor)) << width;
        EXPECT_TRUE(boxes.empty());
    }
}

TEST(DocumentDetection, ScaleBelowTheFloorIsRaised) {
    const Scene scene =
        MakeScene({.pages = {{.centre = {940, 520}, .size = {800, 560}, .angle = 9}}});
    RotatedBox atFloor;
    RotatedBox below;
    ASSERT_TRUE(DetectDocument(atFloor, kMedian, kSobel, 0.2f, 0.01f, scene.image, kFactor));
    ASSERT_TRUE(DetectDocument(below, kMedian, kSobel, 0.05f, 0.01f, scene.image, kFactor));
    EXPECT_TRUE(BoxesEqual(atFloor, below)) << atFloor << " " << below;

    std::vector<RotatedBox> many;
    std::vector<RotatedBox> manyBelow;
    ASSERT_TRUE(FindDocumentBoxes(many, kMedian, kSobel, 0.1f, 0.01f, scene.image, kFactor));
    ASSERT_TRUE(FindDocumentBoxes(manyBelow, kMedian, kSobel, 0.05f, 0.01f, scene.image, kFactor));
    ASSERT_EQ(many.size(), manyBelow.size());
    EXPECT_TRUE(BoxesEqual(many[0], manyBelow[0]));
}

// Pages that run off the picture, each turned by 0, 90, 180 and 270 degrees so
// that every border and corner rule is exercised the same way.
struct BorderCase {
    const char* name;
    Page page;
};

class BorderCompletion : public ::testing::TestWithParam<std::tuple<BorderCase, int>> {};

TEST_P(BorderCompletion, BoxCoversTheVisiblePage) {
    const auto& [c, quarterTurns] = GetParam();
    const Scene scene = MakeScene({.pages = {c.page}});
    const cv::Mat image = test::QuarterTurned(scene.image, quarterTurns);
    const cv::Mat mask = test::QuarterTurned(scene.pageMask, quarterTurns);
    const RotatedBox truth = Normalised(test::MaskBox(mask));
    const float tolerance = 0.02f * std::max(image.cols, image.rows);

    RotatedBox box;
    ASSERT_TRUE(DetectDocument(box, kMedian, kSobel, kScale, 0.01f, image, kFactor));
    const RotatedBox found = Normalised(box);
    EXPECT_NEAR(found.cx, truth.cx, tolerance) << found << " vs " << truth;
    EXPECT_NEAR(found.cy, truth.cy, tolerance) << found << " vs " << truth;
    EXPECT_NEAR(found.width, truth.width, 2 * tolerance) << found << " vs " << truth;
    EXPECT_NEAR(found.height, truth.height, 2 * tolerance) << found << " vs " << truth;
    EXPECT_NEAR(found.angle, truth.angle, 1.0f) << found << " vs " << truth;
}

const BorderCase kBorderCases[] = {
    // Only the left edge shows: one thin line crossing the picture, closed
    // through the far corners.
    {"off_three_edges", {.centre = {1250, 540}, .size = {1400, 1400}}},
    // Left and right edges run off top and bottom: two thin lines joined.
    {"off_top_and_bottom", {.centre = {900, 540}, .size = {900, 1400}}},
    // A corner of the picture is covered: closed through that corner.
    {"off_a_corner", {.centre = {1500, 250}, .size = {1400, 900}}},
    // Off one edge only.
    {"off_one_edge", {.centre = {900, 200}, .size = {900, 700}, .angle = 0}},
};

INSTANTIATE_TEST_SUITE_P(Cases, BorderCompletion,
                         ::testing::Combine(::testing::ValuesIn(kBorderCases),
                                            ::testing::Values(0, 1, 2, 3)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_turned_" +
                                    std::to_string(std::get<1>(info.param) * 90);
                         });

struct SeveralCase {
    const char* name;
    std::vector<Page> pages;
    size_t boxes;
};

class SeveralDocuments : public ::testing::TestWithParam<SeveralCase> {};

TEST_P(SeveralDocuments, OverlappingRegionsMergeSeparateOnesStayApart) {
    const SeveralCase& c = GetParam();
    const Scene scene = MakeScene({.pages = c.pages});
    std::vector<RotatedBox> boxes;
    ASSERT_TRUE(FindDocumentBoxes(boxes, kMedian, kSobel, kScale, 0.01f, scene.image, kFactor));
    ASSERT_EQ(boxes.size(), c.boxes);
    if (c.boxes != c.pages.size()) return;
    // Each page has its own box (in any order).
    for (const Page& page : c.pages) {
        bool matched = false;
        for (const RotatedBox& b : boxes) {
            const RotatedBox n = Normalised(b);
            matched |= std::abs(n.cx - page.centre.x) < 6 && std::abs(n.cy - page.centre.y) < 6 &&
                       std::abs(n.angle - page.angle) < 1.5f;
        }
        EXPECT_TRUE(matched) << "page at " << page.centre;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, SeveralDocuments,
    ::testing::Values(SeveralCase{"apart",
                                  {{.centre = {450, 540}, .size = {600, 800}, .angle = 5},
                                   {.centre = {1400, 520}, .size = {700, 500}, .angle = -10}},
                                  2},
                      SeveralCase{"overlapping",
                                  {{.centre = {700, 540}, .size = {700, 800}, .angle = 3},
                                   {.centre = {1150, 500}, .size = {700, 600}, .angle = -8}},
                                  1},
                      // A card lying in the desk corner left by a turned page: the outlines
                      // are apart, but the card's upright rectangle lies within the page's.
                      SeveralCase{"inside_the_other_bounding_rectangle",
                                  {{.centre = {900, 540}, .size = {820, 540}, .angle = 35},
                                   {.centre = {1280, 200}, .size = {150, 100}, .angle = 0}},
                                  1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orbisk
