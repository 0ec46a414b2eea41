#include "video/watermark_object.h"

#include "tests/support/temp_dir.h"
#include "video/canvas_geometry.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

#include <cmath>
#include <numbers>
#include <set>
#include <string>
#include <vector>

namespace orbisk {
namespace {

constexpr double kPi = std::numbers::pi;

const QDateTime kMarch3(QDate(2024, 3, 3), QTime(12, 5, 9));

// Every caption measures 100 x 20, whatever it says.
cv::Size Fixed100x20(const QString& text, int) {
    return text.isEmpty() ? cv::Size() : cv::Size(100, 20);
}

WaterMarkSettings TextAt(int cx, int cy, const QString& text = "A") {
    WaterMarkSettings s;
    s.mode = kWaterMarkText;
    s.text = text;
    s.left = cx - 100;
    s.top = cy - 50;
    s.right = cx + 100;
    s.bottom = cy + 50;
    s.transparency = 0;
    s.fontHeight = 24;
    return s;
}

std::vector<cv::Point> Rounded(const std::vector<cv::Point2f>& vertices) {
    std::vector<cv::Point> out;
    for (const cv::Point2f& v : vertices) {
        out.emplace_back(RoundHalfAway(v.x), RoundHalfAway(v.y));
    }
    return out;
}

// ---- Captions ---------------------------------------------------------------

struct CaptionCase {
    int mode;
    const char* text;
    const char* caption;
};

class Captions : public testing::TestWithParam<CaptionCase> {};

TEST_P(Captions, FollowTheModeAndTheClock) {
    WaterMarkSettings s = TextAt(500, 400, QString::fromUtf8(GetParam().text));
    s.mode = GetParam().mode;
    EXPECT_EQ(CaptionFor(s, kMarch3), QString::fromUtf8(GetParam().caption));
    // The box builds the same caption from its clock when it draws.
    CWaterMarkObject box(Fixed100x20, [] { return kMarch3; });
    box.Configure(s);
    cv::Mat picture(800, 1000, CV_8UC3, cv::Scalar::all(128));
    box.Draw(picture, {0, 0, 1000, 800}, 1);
    EXPECT_EQ(box.Caption(), QString::fromUtf8(GetParam().caption));
}

INSTANTIATE_TEST_SUITE_P(
    WaterMark, Captions,
    testing::Values(CaptionCase{kWaterMarkTimeAndText, "A", "2024/03/03-12:05:09  A"},
                    CaptionCase{kWaterMarkTime, "A", "2024/03/03-12:05:09"},
                    CaptionCase{kWaterMarkText, "A", "A"},
                    CaptionCase{kWaterMarkText, "Größe 字", "Größe 字"},
                    CaptionCase{kWaterMarkPicture, "/no/such.png", ""}, CaptionCase{7, "A", ""}),
    [](const auto& info) {
        return "mode" + std::to_string(info.param.mode) + "_" + std::to_string(info.index);
    });

TEST(WaterMark, TimeStampRendersAnewOnlyWhenItsTextChanges) {
    QDateTime now = kMarch3;
    WaterMarkSettings s = TextAt(500, 400);
    s.mode = kWaterMarkTime;
    CWaterMarkObject box(MeasureCaption, [&] { return now; });
    box.Configure(s);
    cv::Mat picture(800, 1000, CV_8UC3, cv::Scalar::all(128));
    box.Draw(picture, {0, 0, 1000, 800}, 1);
    box.Draw(picture, {0, 0, 1000, 800}, 1.005f);  // within 0.01
    EXPECT_EQ(box.Renderings(), 1);
    now = now.addSecs(1);
    box.Draw(picture, {0, 0, 1000, 800}, 1);
    EXPECT_EQ(box.Renderings(), 2);
    EXPECT_EQ(box.Caption(), "2024/03/03-12:05:10");
    box.Draw(picture, {0, 0, 1000, 800}, 0.5f);
    EXPECT_EQ(box.Renderings(), 3);
}

// ---- Configuring ------------------------------------------------------------

TEST(WaterMark, CaptionBoxIsItsExtentPlusTwentyCentredOnTheRegion) {
    CWaterMarkObject box(Fixed100x20);
    box.Configure(TextAt(500, 400));
    EXPECT_EQ(Rounded(box.Vertices()),
              (std::vector<cv::Point>{{440, 380}, {560, 380}, {560, 420}, {440, 420}}));
    EXPECT_EQ(box.GetRect(), (IntRect{440, 380, 560, 420}));
    // Turned a quarter: the corners go round the centre.
    WaterMarkSettings turned = TextAt(500, 400);
    turned.angle = static_cast<float>(kPi / 2);
    box.Configure(turned);
    EXPECT_EQ(Rounded(box.Vertices()),
              (std::vector<cv::Point>{{520, 340}, {520, 460}, {480, 460}, {480, 340}}));
    const WaterMarkSettings got = box.GetSettings();
    EXPECT_EQ((IntRect{got.left, got.top, got.right, got.bottom}), (IntRect{480, 340, 520, 460}));
    EXPECT_FLOAT_EQ(got.angle, static_cast<float>(kPi / 2));
}

TEST(WaterMark, NothingToShowGivesNoCornersAndDrawsNothing) {
    cv::Mat picture(800, 1000, CV_8UC3, cv::Scalar::all(128));
    const cv::Mat before = picture.clone();
    for (int mode : {kWaterMarkText, kWaterMarkPicture, 9}) {
        WaterMarkSettings s =
            TextAt(500, 400, mode == kWaterMarkPicture ? "/no/such/file.png" : "");
        s.mode = mode;
        CWaterMarkObject box(Fixed100x20);
        box.Configure(s);
        EXPECT_TRUE(box.Vertices().empty()) << mode;
        box.Draw(picture, {0, 0, 1000, 800}, 1);
        EXPECT_EQ(cv::norm(picture, before, cv::NORM_INF), 0) << mode;
    }
    // A measurer that finds no height either.
    CWaterMarkObject flat([](const QString&, int) { return cv::Size(100, 0); });
    flat.Configure(TextAt(500, 400));
    EXPECT_TRUE(flat.Vertices().empty());
}

TEST(WaterMark, PictureBoxIsThePicturesSizeCentredOnTheRegion) {
    test::TempDir dir;
    const QString path = dir.File("stempel ü.png");
    ASSERT_TRUE(
        cv::imwrite(path.toUtf8().toStdString(), cv::Mat(20, 30, CV_8UC3, cv::Scalar(0, 0, 200))));
    WaterMarkSettings s = TextAt(100, 100, path);
    s.mode = kWaterMarkPicture;
    CWaterMarkObject box;
    box.Configure(s);
    EXPECT_EQ(box.GetRect(), (IntRect{85, 90, 115, 110}));
}

// ---- Blending ---------------------------------------------------------------

// The values of the picture's pixels, as a set.
std::set<std::vector<int>> Colours(const cv::Mat& picture) {
    std::set<std::vector<int>> out;
    for (int y = 0; y < picture.rows; ++y) {
        for (int x = 0; x < picture.cols; ++x) {
            const cv::Vec3b p = picture.at<cv::Vec3b>(y, x);
            out.insert({p[0], p[1], p[2]});
        }
    }
    return out;
}

struct BlendCase {
    int transparency;
    std::set<std::vector<int>> colours;  // BGR
};

class Blends : public testing::TestWithParam<BlendCase> {};

TEST_P(Blends, PaintTheCaptionWithTheColourWeightedByTransparency) {
    WaterMarkSettings s = TextAt(200, 100, "Watermark");
    s.colour = 0x0000FF;  // red
    s.transparency = GetParam().transparency;
    CWaterMarkObject box;
    box.Configure(s);
    cv::Mat picture(200, 400, CV_8UC3, cv::Scalar::all(128));
    box.Draw(picture, {0, 0, 400, 200}, 1);
    EXPECT_EQ(Colours(picture), GetParam().colours);
}

INSTANTIATE_TEST_SUITE_P(WaterMark, Blends,
                         testing::Values(BlendCase{100, {{128, 128, 128}}},
                                         BlendCase{0, {{128, 128, 128}, {0, 0, 255}}},
                                         BlendCase{50, {{128, 128, 128}, {64, 64, 191}}},
                                         // Out of range counts as the nearest end.
                                         BlendCase{-20, {{128, 128, 128}, {0, 0, 255}}},
                                         BlendCase{250, {{128, 128, 128}}}),
                         [](const auto& info) {
                             return "transparency" + std::to_string(info.index);
                         });

TEST(WaterMark, BlendMaskAndOverlayStayInsideThePicture) {
    cv::Mat picture(10, 10, CV_8UC3, cv::Scalar::all(100));
    const cv::Mat mask(6, 6, CV_8UC1, cv::Scalar(255));
    const cv::Mat overlay(6, 6, CV_8UC3, cv::Scalar::all(0));
    for (const cv::Point at :
         {cv::Point(-3, -3), cv::Point(7, 7), cv::Point(-3, 7), cv::Point(20, 0)}) {
        picture.setTo(cv::Scalar::all(100));
        BlendOverlay(picture, overlay, mask, at, 0.5);
        const cv::Rect covered = cv::Rect(at, mask.size()) & cv::Rect(0, 0, 10, 10);
        EXPECT_EQ(cv::countNonZero(picture.reshape(1) == 50), covered.area() * 3) << at;
        picture.setTo(cv::Scalar::all(100));
        BlendMask(picture, mask, at, cv::Scalar(0, 0, 0), 0.5);
        EXPECT_EQ(cv::countNonZero(picture.reshape(1) == 50), covered.area() * 3) << at;
    }
}

// A picture watermark half off the view, and one at the smallest zoom: no
// write outside the picture (AddressSanitizer), no empty resize.
TEST(WaterMark, PictureBoxPartlyOffTheViewAndTinyAtTheSmallestZoomDrawsCleanly) {
    test::TempDir dir;
    const QString big = dir.File("big.png");
    const QString tiny = dir.File("tiny.png");
    ASSERT_TRUE(cv::imwrite(big.toStdString(), cv::Mat(60, 80, CV_8UC3, cv::Scalar(0, 0, 0))));
    ASSERT_TRUE(cv::imwrite(tiny.toStdString(), cv::Mat(2, 2, CV_8UC3, cv::Scalar(0, 0, 0))));
    struct Place {
        cv::Point centre;
        IntRect visible;
        float scale;
    };
    for (const Place& p :
         {Place{{0, 0}, {0, 0, 100, 100}, 1}, Place{{100, 100}, {0, 0, 100, 100}, 1},
          Place{{100, 0}, {20, 0, 120, 100}, 1}, Place{{40, 30}, {60, 40, 160, 140}, 2}}) {
        WaterMarkSettings s = TextAt(p.centre.x, p.centre.y, big);
        s.mode = kWaterMarkPicture;
        s.transparency = 0;
        CWaterMarkObject box;
        box.Configure(s);
        cv::Mat picture(100, 100, CV_8UC3, cv::Scalar::all(200));
        box.Draw(picture, p.visible, p.scale);
        EXPECT_GT(cv::countNonZero(picture.reshape(1) == 0), 0) << p.centre;
        EXPECT_GT(cv::countNonZero(picture.reshape(1) == 200), 0) << p.centre;
    }
    // Frame (3, 3) - (5, 5): one zoomed pixel at 1/8, and a rendering of
    // trunc(sqrt(8)) = 2 pixels, which 1/8 would shrink to none.
    WaterMarkSettings s = TextAt(4, 4, tiny);
    s.mode = kWaterMarkPicture;
    CWaterMarkObject box;
    box.Configure(s);
    cv::Mat picture(100, 100, CV_8UC3, cv::Scalar::all(200));
    EXPECT_NO_THROW(box.Draw(picture, {0, 0, 100, 100}, 0.125f));
    EXPECT_EQ(box.Mask().size(), cv::Size(1, 1));
}

// ---- The mouse ----------------------------------------------------------------

struct TurnCase {
    const char* name;
    int corner;                   // which corner is dragged
    std::vector<cv::Point> path;  // zoomed points after the press on the corner
    double turn;                  // what the angle gains
};

class CornerDrags : public testing::TestWithParam<TurnCase> {};

TEST_P(CornerDrags, TurnTheBoxAboutItsCentre) {
    const TurnCase& c = GetParam();
    CWaterMarkObject box(Fixed100x20);
    box.Configure(TextAt(500, 400));  // (440, 380) - (560, 420), centre (500, 400)
    const float scale = 0.5f;
    cv::Mat view(600, 600, CV_8UC3);
    const std::vector<cv::Point> corners = Rounded(box.Vertices());
    const cv::Point start(RoundHalfAway(corners[c.corner].x * scale),
                          RoundHalfAway(corners[c.corner].y * scale));
    // Select with a click, hover to find the corner, then drag it.
    ASSERT_TRUE(box.OnLButtonDown(start, scale));
    box.OnLButtonUp(start, scale);
    box.Draw(view, {0, 0, 600, 600}, scale);
    box.OnMouseMove(start, scale);
    EXPECT_EQ(box.HandleUnderCursor(), c.corner);
    ASSERT_TRUE(box.OnLButtonDown(start, scale));
    for (const cv::Point& p : c.path) {
        box.OnMouseMove(p, scale);
    }
    box.OnLButtonUp(c.path.back(), scale);
    EXPECT_NEAR(box.GetSettings().angle, c.turn, 1e-5);
    // The corner went round with the mouse; the centre stayed.
    const std::vector<cv::Point> after = Rounded(box.Vertices());
    const cv::Point d = corners[c.corner] - cv::Point(500, 400);
    const cv::Point expected(500 + RoundHalfAway(d.x * std::cos(c.turn) - d.y * std::sin(c.turn)),
                             400 + RoundHalfAway(d.x * std::sin(c.turn) + d.y * std::cos(c.turn)));
    EXPECT_EQ(after[c.corner], expected);
    cv::Point2f mean(0, 0);
    for (const cv::Point2f& v : box.Vertices()) mean += v * 0.25f;
    EXPECT_NEAR(mean.x, 500, 1e-3);
    EXPECT_NEAR(mean.y, 400, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(
    WaterMark, CornerDrags,
    testing::Values(
        // Top-right (60, -20) from the centre to (20, 60): a quarter turn.
        TurnCase{
            "QuarterTurnInSteps", 1, {{285, 195}, {280, 210}, {270, 225}, {260, 230}}, kPi / 2},
        // Bottom-left (-60, 20) to (-20, -60) in one move across atan2's cut.
        TurnCase{"QuarterTurnAcrossTheCut", 3, {{240, 170}}, kPi / 2},
        TurnCase{"BackAgain", 1, {{270, 225}, {280, 190}}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WaterMark, DraggingInsideMovesTheBoxAndTheRegionFollows) {
    CWaterMarkObject box(Fixed100x20);
    box.Configure(TextAt(500, 400));
    EXPECT_FALSE(box.OnSetCursor({500, 400}, 1));  // not selected
    ASSERT_TRUE(box.OnLButtonDown({500, 400}, 1));
    box.OnLButtonUp({500, 400}, 1);
    box.OnMouseMove({500, 400}, 1);
    EXPECT_EQ(box.HandleUnderCursor(), kInsideBox);
    EXPECT_TRUE(box.OnSetCursor({500, 400}, 1));
    EXPECT_FALSE(box.OnSetCursor({300, 400}, 1));
    box.OnLButtonDown({500, 400}, 1);
    box.OnMouseMove({530, 390}, 1);
    box.OnLButtonUp({530, 390}, 1);
    const WaterMarkSettings s = box.GetSettings();
    EXPECT_EQ((IntRect{s.left, s.top, s.right, s.bottom}), (IntRect{470, 370, 590, 410}));
    // A click beside it lets it go.
    EXPECT_FALSE(box.OnLButtonDown({100, 100}, 1));
    EXPECT_FALSE(box.IsSelected());
}

TEST(WaterMark, PointInPolygonIsEvenOdd) {
    const std::vector<cv::Point> diamond{{50, 0}, {100, 50}, {50, 100}, {0, 50}};
    EXPECT_TRUE(PtInPolygon(diamond, {50, 50}));
    EXPECT_TRUE(PtInPolygon(diamond, {50, 1}));
    EXPECT_FALSE(PtInPolygon(diamond, {10, 10}));
    EXPECT_FALSE(PtInPolygon(diamond, {50, 100}));  // the bottom vertex: half-open
    EXPECT_FALSE(PtInPolygon({}, {0, 0}));
}

}  // namespace
}  // namespace orbisk
