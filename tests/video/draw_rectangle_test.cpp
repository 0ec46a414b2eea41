#include "video/draw_rectangle.h"

#include "tests/support/case_name.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>

#include <string>
#include <vector>

namespace orbisk {
namespace {

// Draws a rectangle with one drag from `from` to `to` (window points).
void Drag(CDrawRectangle& r, QPoint from, QPoint to, double scale) {
    r.OnLButtonDown(from, scale);
    r.OnMouseMove(to, scale);
    r.OnLButtonUp(to, scale);
}

// A created rectangle from picture (100, 100) to (400, 300) at scale 1.
CDrawRectangle Made() {
    CDrawRectangle r;
    Drag(r, {100, 100}, {400, 300}, 1);
    return r;
}

QRectF Edges(double left, double top, double right, double bottom) {
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// ---- Window and picture points -------------------------------------------------

TEST(DrawRectangleMapping, WindowPointsBecomePicturePoints) {
    struct Case {
        QPoint point;
        double scale;
        QPointF expected;
    };
    const Case cases[] = {
        {{10, 20}, 1, {10, 20}},    {{10, 20}, 2, {5, 10}},  // above 1 no shift either
        {{10, 20}, 0.5, {21, 41}},                           // p / s + 1 / (2 s)
        {{10, 20}, 0.25, {42, 82}}, {{10, 20}, 0.4, {26.25, 51.25}}, {{-3, 0}, 0.5, {-5, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        const QPointF p = DrawRectangleWindowToPicture(c.point, c.scale);
        EXPECT_DOUBLE_EQ(p.x(), c.expected.x());
        EXPECT_DOUBLE_EQ(p.y(), c.expected.y());
    }
}

TEST(DrawRectangleMapping, PictureValuesRoundHalfAwayFromZero) {
    EXPECT_EQ(DrawRectangleToWindow(10, 1), 10);
    EXPECT_EQ(DrawRectangleToWindow(2.5, 1), 3);
    EXPECT_EQ(DrawRectangleToWindow(5, 0.5), 3);  // 2.5
    EXPECT_EQ(DrawRectangleToWindow(-5, 0.5), -3);
    EXPECT_EQ(DrawRectangleToWindow(9.9, 0.5), 5);
    EXPECT_EQ(DrawRectangleToWindow(201, 0.4), 80);  // 80.4
}

// ---- Creation --------------------------------------------------------------------

struct CreateCase {
    const char* name;
    QPoint from;
    QPoint to;
    double scale;
    QRectF expected;  // picture coordinates
};

class CreateTable : public testing::TestWithParam<CreateCase> {};

TEST_P(CreateTable, TheReleaseMakesTheRectangleAtLeast200Wide) {
    const CreateCase& c = GetParam();
    CDrawRectangle r;
    r.OnLButtonDown(c.from, c.scale);
    EXPECT_FALSE(r.Exists());
    r.OnMouseMove(c.to, c.scale);
    EXPECT_FALSE(r.Exists()) << "a rubber band until the release";
    r.OnLButtonUp(c.to, c.scale);
    EXPECT_TRUE(r.Exists());
    EXPECT_TRUE(r.IsSelected());
    EXPECT_EQ(r.PictureRect(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    DrawRectangle, CreateTable,
    testing::Values(CreateCase{"LargeEnough", {10, 20}, {300, 400}, 1, Edges(10, 20, 300, 400)},
                    CreateCase{"Narrow", {10, 20}, {60, 400}, 1, Edges(10, 20, 210, 400)},
                    CreateCase{"Low", {10, 20}, {300, 50}, 1, Edges(10, 20, 300, 220)},
                    CreateCase{"Click", {10, 20}, {10, 20}, 1, Edges(10, 20, 210, 220)},
                    // The bounding box first, then the widening to the right and down.
                    CreateCase{
                        "DragUpAndLeft", {300, 400}, {250, 100}, 1, Edges(250, 100, 450, 400)},
                    CreateCase{"HalfScale", {10, 20}, {60, 400}, 0.5, Edges(21, 41, 221, 801)},
                    CreateCase{"ExactlyTheMinimum", {0, 0}, {200, 200}, 1, Edges(0, 0, 200, 200)}),
    [](const testing::TestParamInfo<CreateCase>& info) { return std::string(info.param.name); });

TEST(DrawRectangle, NothingExistsBeforeTheFirstDrag) {
    CDrawRectangle r;
    EXPECT_FALSE(r.Exists());
    EXPECT_TRUE(r.PictureRect().isNull());
    r.OnMouseMove({50, 50}, 1);  // moves without the button do nothing
    r.OnLButtonUp({50, 50}, 1);
    EXPECT_FALSE(r.Exists());
}

// ---- Handles -----------------------------------------------------------------------

TEST(DrawRectangle, HandlePointsLieOnTheWindowRectangle) {
    const CDrawRectangle r = Made();
    const std::array<QPoint, 8> expected = {QPoint(100, 100), QPoint(250, 100), QPoint(399, 100),
                                            QPoint(399, 200), QPoint(399, 299), QPoint(250, 299),
                                            QPoint(100, 299), QPoint(100, 200)};
    EXPECT_EQ(r.HandlePoints(1), expected);
    // At half scale the window rectangle is (50, 50) to (200, 150).
    EXPECT_EQ(r.HandlePoints(0.5)[4], QPoint(199, 149));
    EXPECT_EQ(r.HandlePoints(0.5)[7], QPoint(50, 100));
}

struct HandleDragCase {
    const char* name;
    QPoint press;
    QRectF expected;  // after a drag by (10, 20) window pixels at `scale`
    double scale = 1;
};

class HandleDragTable : public testing::TestWithParam<HandleDragCase> {};

TEST_P(HandleDragTable, MovesTheHandlesEdges) {
    const HandleDragCase& c = GetParam();
    CDrawRectangle r;
    Drag(r, {static_cast<int>(100 * c.scale), static_cast<int>(100 * c.scale)},
         {static_cast<int>(400 * c.scale), static_cast<int>(300 * c.scale)}, c.scale);
    // Undo the half-block shift of scales below 1, so the rectangle starts at
    // (100, 100) to (400, 300) at every scale.
    ASSERT_TRUE(r.Exists());
    const QRectF start = r.PictureRect();
    r.OnLButtonDown(c.press, c.scale);
    EXPECT_TRUE(r.IsSelected());
    r.OnMouseMove(c.press + QPoint(4, 8), c.scale);
    r.OnMouseMove(c.press + QPoint(10, 20), c.scale);
    r.OnLButtonUp(c.press + QPoint(10, 20), c.scale);
    const QRectF moved = r.PictureRect();
    EXPECT_DOUBLE_EQ(moved.left() - start.left(), c.expected.left() - 100);
    EXPECT_DOUBLE_EQ(moved.top() - start.top(), c.expected.top() - 100);
    EXPECT_DOUBLE_EQ(moved.right() - start.right(), c.expected.right() - 400);
    EXPECT_DOUBLE_EQ(moved.bottom() - start.bottom(), c.expected.bottom() - 300);
}

INSTANTIATE_TEST_SUITE_P(
    DrawRectangle, HandleDragTable,
    testing::Values(HandleDragCase{"TopLeft", {100, 100}, Edges(110, 120, 400, 300)},
                    HandleDragCase{"Top", {250, 100}, Edges(100, 120, 400, 300)},
                    HandleDragCase{"TopRight", {399, 100}, Edges(100, 120, 410, 300)},
                    HandleDragCase{"Right", {399, 200}, Edges(100, 100, 410, 300)},
                    HandleDragCase{"BottomRight", {399, 299}, Edges(100, 100, 410, 320)},
                    HandleDragCase{"Bottom", {250, 299}, Edges(100, 100, 400, 320)},
                    HandleDragCase{"BottomLeft", {100, 299}, Edges(110, 100, 400, 320)},
                    HandleDragCase{"Left", {100, 200}, Edges(110, 100, 400, 300)},
                    HandleDragCase{"Inside", {200, 150}, Edges(110, 120, 410, 320)},
                    // A press up to 10 pixels outside still grabs the rectangle.
                    HandleDragCase{"JustOutside", {95, 150}, Edges(110, 120, 410, 320)},
                    // Window moves count double at half scale.
                    HandleDragCase{"RightAtHalfScale", {199, 100}, Edges(100, 100, 420, 300), 0.5},
                    HandleDragCase{"InsideAtHalfScale", {100, 75}, Edges(120, 140, 420, 340), 0.5}),
    [](const testing::TestParamInfo<HandleDragCase>& info) {
        return std::string(info.param.name);
    });

TEST(DrawRectangle, APressAwayDeselectsAndItsDragChangesNothing) {
    CDrawRectangle r = Made();
    r.OnLButtonDown({600, 600}, 1);
    EXPECT_FALSE(r.IsSelected());
    EXPECT_EQ(r.PressedHandle(), kNoHandle);
    r.OnMouseMove({650, 650}, 1);
    r.OnLButtonUp({650, 650}, 1);
    EXPECT_EQ(r.PictureRect(), Edges(100, 100, 400, 300));
    // A press on it selects it again.
    r.OnLButtonDown({200, 200}, 1);
    EXPECT_TRUE(r.IsSelected());
}

TEST(DrawRectangle, AnEdgeDraggedAcrossTheOtherKeepsItsHandles) {
    CDrawRectangle r = Made();
    r.OnLButtonDown({399, 200}, 1);  // the right edge
    r.OnMouseMove({49, 200}, 1);     // 50 past the left edge
    r.OnLButtonUp({49, 200}, 1);
    EXPECT_EQ(r.PictureRect(), Edges(50, 100, 100, 300));
    // The left handle is now where the dragged edge ended.
    EXPECT_EQ(r.HandleAt({50, 200}, 1), kLeft);
    r.OnLButtonDown({50, 200}, 1);
    r.OnMouseMove({40, 200}, 1);
    r.OnLButtonUp({40, 200}, 1);
    EXPECT_EQ(r.PictureRect(), Edges(40, 100, 100, 300));
}

TEST(DrawRectangle, CursorsFollowTheHandles) {
    CDrawRectangle none;
    EXPECT_EQ(none.CursorAt({10, 10}, 1), Qt::CrossCursor) << "before the rectangle exists";
    const CDrawRectangle r = Made();
    const std::array<QPoint, 8> handles = r.HandlePoints(1);
    const Qt::CursorShape expected[8] = {
        Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor,
        Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(r.CursorAt(handles[i], 1), expected[i]) << "handle " << i;
        EXPECT_EQ(r.CursorAt(handles[i] + QPoint(10, -10), 1), expected[i]) << "square edge " << i;
    }
    EXPECT_EQ(r.CursorAt({200, 150}, 1), Qt::SizeAllCursor) << "inside";
    EXPECT_EQ(r.CursorAt({600, 600}, 1), Qt::ArrowCursor) << "away";
}

TEST(DrawRectangle, ADragKeepsThePressedHandlesCursor) {
    CDrawRectangle r = Made();
    r.OnLButtonDown({399, 200}, 1);
    r.OnMouseMove({500, 500}, 1);
    EXPECT_EQ(r.CursorAt({500, 500}, 1), Qt::SizeHorCursor);
}

TEST(DrawRectangle, ChangesRepaintTheOldAndNewAreaGrownBy20) {
    CDrawRectangle r = Made();
    std::vector<QRect> areas;
    r.SetInvalidator([&](const QRect& area) { areas.push_back(area); });
    r.OnLButtonDown({200, 150}, 1);
    areas.clear();
    r.OnMouseMove({230, 150}, 1);
    ASSERT_EQ(areas.size(), 2u);
    EXPECT_EQ(areas[0], QRect(QPoint(80, 80), QPoint(419, 319))) << "where it was";
    EXPECT_EQ(areas[1], QRect(QPoint(110, 80), QPoint(449, 319))) << "where it is";
}

// ---- Rotations ---------------------------------------------------------------------

struct RotateCase {
    const char* name;
    void (CDrawRectangle::*rotate)(int, int);
    QRectF expected;
};

class RotateTable : public testing::TestWithParam<RotateCase> {};

// (100, 50) to (300, 250) in a 640 x 480 picture.
TEST_P(RotateTable, TurnsWithThePicture) {
    const RotateCase& c = GetParam();
    CDrawRectangle r;
    Drag(r, {100, 50}, {300, 250}, 1);
    ASSERT_EQ(r.PictureRect(), Edges(100, 50, 300, 250));
    (r.*c.rotate)(640, 480);
    EXPECT_EQ(r.PictureRect(), c.expected);
    // The handles follow the turned rectangle.
    EXPECT_EQ(r.HandlePoints(1)[0],
              QPoint(static_cast<int>(c.expected.left()), static_cast<int>(c.expected.top())));
}

INSTANTIATE_TEST_SUITE_P(
    DrawRectangle, RotateTable,
    testing::Values(
        // x' = height - 1 - y, y' = x
        RotateCase{"Quarter", &CDrawRectangle::Rotate90, Edges(229, 100, 429, 300)},
        // x' = y, y' = width - 1 - x
        RotateCase{"ThreeQuarters", &CDrawRectangle::Rotate270, Edges(50, 339, 250, 539)},
        // x' = width - 1 - x, y' = height - 1 - y
        RotateCase{"Half", &CDrawRectangle::Rotate180, Edges(339, 229, 539, 429)}),
    [](const testing::TestParamInfo<RotateCase>& info) { return std::string(info.param.name); });

// ---- Drawing -----------------------------------------------------------------------

class DrawnRectangle : public testing::Test {
  protected:
    QImage Drawn(const CDrawRectangle& r, QPoint origin, double scale) {
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        const_cast<CDrawRectangle&>(r).Draw(painter, origin, scale);
        return image;
    }
    static constexpr QRgb kBlue = qRgb(0, 0, 255);
    static constexpr QRgb kHandle = qRgb(250, 250, 250);
    static constexpr QRgb kWhite = qRgb(255, 255, 255);
};

TEST_F(DrawnRectangle, ASelectedRectangleHasAPenAndHandleSquares) {
    CDrawRectangle r;
    Drag(r, {20, 20}, {120, 70},
         0.5);  // picture (41, 41) to (241, 241): window (21, 21) to (121, 121)
    const QImage image = Drawn(r, {10, 5}, 0.5);
    const IntRect w = r.WindowRect(0.5);
    ASSERT_EQ(w, (IntRect{21, 21, 121, 121}));
    // The rectangle, shifted to (31, 26) - (131, 126), is grown by 1 and drawn
    // with a 3-pixel pen centred on its one-pixel frame: columns 29 to 31 on
    // the left, 130 to 132 on the right.
    const int y = 100;
    EXPECT_EQ(image.pixel(28, y), kWhite);
    for (int x : {29, 30, 31, 130, 131, 132}) {
        EXPECT_EQ(image.pixel(x, y), kBlue) << x;
    }
    EXPECT_EQ(image.pixel(32, y), kWhite);
    EXPECT_EQ(image.pixel(129, y), kWhite);
    EXPECT_EQ(image.pixel(133, y), kWhite);
    EXPECT_EQ(image.pixel(55, 24), kBlue) << "top edge";
    // Every handle: an 11 x 11 square (a 7 x 7 light centre in a 3-pixel blue
    // ring, 13 x 13 outside) centred on its point.
    for (const QPoint& handle : r.HandlePoints(0.5)) {
        const QPoint c = handle + QPoint(10, 5);
        SCOPED_TRACE(testing::Message() << c.x() << "," << c.y());
        EXPECT_EQ(image.pixel(c), kHandle);
        EXPECT_EQ(image.pixel(c + QPoint(3, 3)), kHandle);
        EXPECT_EQ(image.pixel(c + QPoint(4, 0)), kBlue);
        EXPECT_EQ(image.pixel(c + QPoint(-6, 0)), kBlue);
        EXPECT_NE(image.pixel(c + QPoint(0, 8)), kHandle);
    }
}

TEST_F(DrawnRectangle, AnUnselectedRectangleHasNoHandles) {
    CDrawRectangle r;
    Drag(r, {20, 20}, {240, 240}, 1);
    r.OnLButtonDown({290, 190}, 1);  // a press away deselects
    r.OnLButtonUp({290, 190}, 1);
    ASSERT_FALSE(r.IsSelected());
    const QImage image = Drawn(r, {0, 0}, 1);
    EXPECT_EQ(image.pixel(20, 100), kBlue);
    const QPoint topMiddle = r.HandlePoints(1)[1];
    EXPECT_EQ(image.pixel(topMiddle + QPoint(0, 4)), kWhite) << "no handle square below the pen";
    int handlePixels = 0;
    for (int yy = 0; yy < image.height(); ++yy) {
        for (int xx = 0; xx < image.width(); ++xx) {
            handlePixels += image.pixel(xx, yy) == kHandle;
        }
    }
    EXPECT_EQ(handlePixels, 0);
}

TEST_F(DrawnRectangle, ARectangleWithoutWidthIsGrownByTwo) {
    CDrawRectangle r;
    Drag(r, {50, 50}, {250, 250}, 1);
    r.OnLButtonDown({249, 150}, 1);  // the right edge onto the left one
    r.OnMouseMove({49, 150}, 1);
    // A drag in progress: the window rectangle is (50, 50) - (50, 250).
    ASSERT_EQ(r.WindowRect(1).Width(), 0);
    const QImage image = Drawn(r, {0, 0}, 1);
    // Grown by 2 to (48, 48) - (52, 252): the pen covers columns 47 to 52
    // (row 100 lies between the handles).
    EXPECT_EQ(image.pixel(46, 100), kWhite);
    for (int x = 47; x <= 52; ++x) {
        EXPECT_EQ(image.pixel(x, 100), kBlue) << x;
    }
    EXPECT_EQ(image.pixel(53, 100), kWhite);
}

}  // namespace
}  // namespace orbisk
