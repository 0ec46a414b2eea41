#include "video/crop_box.h"

#include "tests/support/case_name.h"
#include "tests/video/canvas_test_util.h"
#include "video/canvas_geometry.h"
#include "video/object_container.h"

#include <gtest/gtest.h>
#include <QImage>
#include <opencv2/core.hpp>

#include <cmath>
#include <vector>

namespace orbisk {
namespace {

using test::Drag;
using test::MakeCanvas;
using test::Move;
using test::PatternFrame;

// ---- Dragging the handles ---------------------------------------------------

struct DragCase {
    int handle;
    cv::Point2f delta;
    VertexBox expected;  // minX, maxX, minY, maxY
};

// A 200 x 100 box from (100, 100) to (300, 200).
const VertexBox kBox{100, 300, 100, 200};

std::string DragCaseName(const testing::TestParamInfo<DragCase>& info) {
    static const char* const kHandles[] = {"NoHandle",   "InsideBox", "TopLeft",     "Top",
                                           "TopRight",   "Right",     "BottomRight", "Bottom",
                                           "BottomLeft", "Left"};
    const cv::Point2f& d = info.param.delta;
    return test::CaseName(kHandles[info.param.handle - kNoHandle], "by", d.x, d.y);
}

class DragTable : public testing::TestWithParam<DragCase> {};

TEST_P(DragTable, MovesTheHandlesEdges) {
    const DragCase& c = GetParam();
    EXPECT_EQ(DragBox(kBox, c.delta, c.handle), c.expected) << "handle " << c.handle;
}

INSTANTIATE_TEST_SUITE_P(
    CropBox, DragTable,
    testing::Values(DragCase{kTopLeft, {10, 20}, {110, 300, 120, 200}},
                    DragCase{kTop, {10, 20}, {100, 300, 120, 200}},
                    DragCase{kTopRight, {10, 20}, {100, 310, 120, 200}},
                    DragCase{kRight, {10, 20}, {100, 310, 100, 200}},
                    DragCase{kBottomRight, {10, 20}, {100, 310, 100, 220}},
                    DragCase{kBottom, {10, 20}, {100, 300, 100, 220}},
                    DragCase{kBottomLeft, {10, 20}, {110, 300, 100, 220}},
                    DragCase{kLeft, {10, 20}, {110, 300, 100, 200}},
                    DragCase{kInsideBox, {10, 20}, {110, 310, 120, 220}},
                    DragCase{kNoHandle, {10, 20}, kBox},
                    // Below the minimum and shrinking: refused.
                    DragCase{kBottom, {0, -30}, kBox}, DragCase{kTopLeft, {130, 0}, kBox},
                    // Across the opposite edge: a shrink, so refused (the box
                    // never turns inside out).
                    DragCase{kLeft, {400, 0}, kBox}, DragCase{kTop, {0, 300}, kBox},
                    // Growing one side does not excuse the other shrinking
                    // below the minimum.
                    DragCase{kBottomRight, {20, -30}, kBox},
                    // A move is never refused.
                    DragCase{kInsideBox, {-500, -500}, {-400, -200, -400, -300}}),
    DragCaseName);

class KeepAspectTable : public testing::TestWithParam<DragCase> {};

TEST_P(KeepAspectTable, FollowsTheRatio) {
    const DragCase& c = GetParam();
    EXPECT_EQ(DragBoxKeepAspect(kBox, c.delta, c.handle), c.expected) << "handle " << c.handle;
}

// The ratio of kBox is 2 : 1.
INSTANTIATE_TEST_SUITE_P(CropBox, KeepAspectTable,
                         testing::Values(DragCase{kTopLeft, {-20, 99}, {80, 300, 90, 200}},
                                         DragCase{kTop, {99, -10}, {100, 320, 90, 200}},
                                         DragCase{kTopRight, {20, 99}, {100, 320, 90, 200}},
                                         DragCase{kRight, {20, 99}, {100, 320, 100, 210}},
                                         DragCase{kBottomRight, {20, 99}, {100, 320, 100, 210}},
                                         DragCase{kBottom, {99, 10}, {100, 320, 100, 210}},
                                         DragCase{kBottomLeft, {-20, 99}, {80, 300, 100, 210}},
                                         DragCase{kLeft, {-20, 99}, {80, 300, 100, 210}},
                                         DragCase{kInsideBox, {5, 6}, {105, 305, 106, 206}},
                                         DragCase{kBottomRight, {-60, 0}, kBox}),
                         DragCaseName);

TEST(CropBox, KeepAspectOnABoxWithoutWidthOrHeightDragsPlainly) {
    for (const VertexBox& flat : {VertexBox{100, 100, 100, 300}, VertexBox{100, 300, 50, 50}}) {
        for (int handle = kTopLeft; handle <= kLeft; ++handle) {
            const VertexBox dragged = DragBoxKeepAspect(flat, {10, 20}, handle);
            EXPECT_EQ(dragged, DragBox(flat, {10, 20}, handle)) << handle;
            EXPECT_TRUE(std::isfinite(dragged.minX + dragged.maxX + dragged.minY + dragged.maxY));
        }
    }
}

TEST(CropBox, ShrinkingStopsAtTheMinimumStepByStepAndGrowsBack) {
    VertexBox box{100, 200, 100, 300};  // 100 wide
    std::vector<float> widths;
    for (float dx : {-10.f, -10.f, -10.f, -10.f, 10.f}) {
        box = DragBox(box, {dx, 0}, kRight);
        widths.push_back(box.maxX - box.minX);
    }
    EXPECT_EQ(widths, (std::vector<float>{90, 80, 80, 80, 90}));

    // Exactly the minimum high: the width may still shrink down to it.
    const VertexBox low{100, 300, 100, 180};
    EXPECT_EQ(DragBox(low, {-100, 0}, kRight), (VertexBox{100, 200, 100, 180}));
    EXPECT_EQ(DragBox(low, {-121, 0}, kRight), low);

    // A box set below the minimum may still grow, but not shrink.
    const VertexBox small{0, 50, 0, 50};
    EXPECT_EQ(DragBox(small, {10, 0}, kRight), (VertexBox{0, 60, 0, 50}));
    EXPECT_EQ(DragBox(small, {-10, 0}, kRight), small);
}

// ---- The box on the canvas --------------------------------------------------

struct CreateCase {
    QPoint from;
    QPoint to;
    IntRect expected;
};

class Creation : public testing::TestWithParam<CreateCase> {};

TEST_P(Creation, FirstDragDrawsABoxOfAtLeastTheMinimum) {
    const CreateCase& c = GetParam();
    auto canvas = MakeCanvas(640, 480, PatternFrame(640, 480));  // scale 1
    canvas->CreateCropBox();
    Move(*canvas, c.from);
    EXPECT_EQ(canvas->cursor().shape(), Qt::CrossCursor);
    Drag(*canvas, c.from, {c.from + QPoint(3, 3), c.to});

    CTrackRectangle* box = canvas->CropBox();
    ASSERT_TRUE(box->IsCreated());
    EXPECT_TRUE(box->IsSelected());
    IntRect rect;
    ASSERT_TRUE(canvas->GetObjectGeometry(0, rect));
    EXPECT_EQ(rect, c.expected);
    EXPECT_EQ(canvas->VisibleRect(), (IntRect{0, 0, 640, 480})) << "drawing does not pan";
}

INSTANTIATE_TEST_SUITE_P(CropBox, Creation,
                         testing::Values(
                             // 30 x 200: widened to the minimum.
                             CreateCase{{100, 100}, {130, 300}, {100, 100, 180, 300}},
                             CreateCase{{400, 400}, {350, 200}, {320, 200, 400, 400}},
                             CreateCase{{100, 100}, {400, 300}, {100, 100, 400, 300}},
                             // No move at all: up and to the left.
                             CreateCase{{300, 300}, {300, 300}, {220, 220, 300, 300}}),
                         [](const auto& info) {
                             return test::CaseName("from", info.param.from.x(), info.param.from.y(),
                                                   "to", info.param.to.x(), info.param.to.y());
                         });

TEST(CropBox, CreatedAtAZoomInFramePixels) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(1600, 1200));
    canvas->ZoomIn();
    canvas->ZoomIn();
    canvas->ZoomIn();  // 2
    const IntRect v = canvas->VisibleRect();
    canvas->CreateCropBox();
    Drag(*canvas, {100, 100}, {{300, 400}});
    IntRect rect;
    ASSERT_TRUE(canvas->GetObjectGeometry(0, rect));
    EXPECT_EQ(rect, (IntRect{(v.left + 100) / 2, (v.top + 100) / 2, (v.left + 300) / 2,
                             (v.top + 400) / 2}));
}

TEST(CropBox, HandleDragAtZoomTwoMovesHalfTheMouse) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(1600, 1200));
    canvas->ZoomIn();
    canvas->ZoomIn();
    canvas->ZoomIn();  // 2
    const IntRect v = canvas->VisibleRect();
    const int left = v.left / 2 + 20;
    const int top = v.top / 2 + 20;
    canvas->SetCropRect(left, top, left + 100, top + 100, false);
    Drag(*canvas, {200, 200}, {});  // select by a click inside
    canvas->grab();                 // drawing places the handles
    ASSERT_TRUE(canvas->CropBox()->IsSelected());
    ASSERT_EQ(canvas->CropBox()->HandlePoints().size(), 8u);

    // Handle 4, the bottom-right corner, sits at zoomed (right - 1, bottom - 1).
    const cv::Point corner = canvas->CropBox()->HandlePoints()[kBottomRight];
    const QPoint at(corner.x - v.left, corner.y - v.top);
    Drag(*canvas, at, {at + QPoint(40, 20)});
    IntRect rect;
    ASSERT_TRUE(canvas->GetObjectGeometry(0, rect));
    EXPECT_EQ(rect, (IntRect{left, top, left + 120, top + 110}));

    // With the ratio kept, handle 4 of a 200 x 100 box dragged 20 to the right
    // gives 220 x 110.
    canvas->SetCropRect(left, top, left + 200, top + 100, true);
    Drag(*canvas, {200, 200}, {});
    canvas->grab();
    const cv::Point corner2 = canvas->CropBox()->HandlePoints()[kBottomRight];
    const QPoint at2(corner2.x - v.left, corner2.y - v.top);
    Drag(*canvas, at2, {at2 + QPoint(40, 0)});
    ASSERT_TRUE(canvas->GetObjectGeometry(0, rect));
    EXPECT_EQ(rect, (IntRect{left, top, left + 220, top + 110}));
    EXPECT_EQ(canvas->VisibleRect(), v) << "dragging a handle does not pan";
}

TEST(CropBox, CursorFollowsTheHandleUnderIt) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(640, 480));
    canvas->SetCropRect(100, 100, 300, 300, false);
    Drag(*canvas, {200, 200}, {});
    canvas->grab();
    struct Case {
        QPoint point;
        Qt::CursorShape shape;
    };
    for (const Case& c :
         {Case{{299, 100}, Qt::SizeBDiagCursor}, Case{{200, 200}, Qt::SizeAllCursor},
          Case{{104, 296}, Qt::SizeBDiagCursor}, Case{{200, 99}, Qt::SizeVerCursor},
          Case{{299, 200}, Qt::SizeHorCursor}, Case{{100, 100}, Qt::SizeFDiagCursor},
          Case{{500, 400}, Qt::ArrowCursor}}) {
        Move(*canvas, c.point);
        EXPECT_EQ(canvas->cursor().shape(), c.shape) << c.point.x() << "," << c.point.y();
    }
}

TEST(CropBox, ClickOutsideDeselectsAndDragThenPans) {
    auto canvas = MakeCanvas(640, 480, PatternFrame(1600, 1200));
    canvas->ZoomIn();
    canvas->ZoomIn();  // 1
    const IntRect v = canvas->VisibleRect();
    canvas->SetCropRect(v.left + 100, v.top + 100, v.left + 200, v.top + 200, false);
    Drag(*canvas, {150, 150}, {});
    ASSERT_TRUE(canvas->CropBox()->IsSelected());
    Drag(*canvas, {400, 400}, {{390, 380}});
    EXPECT_FALSE(canvas->CropBox()->IsSelected());
    EXPECT_EQ(canvas->VisibleRect(), Offset(v, 10, 20));
    IntRect rect;
    ASSERT_TRUE(canvas->GetObjectGeometry(0, rect));
    EXPECT_EQ(rect, (IntRect{v.left + 100, v.top + 100, v.left + 200, v.top + 200}));
}

// ---- Turns ------------------------------------------------------------------

TEST(CropBox, QuarterTurnsMoveTheCornersWithTheFrame) {
    CTrackRectangle box;
    box.SetRect(100, 200, 500, 600, false);
    box.Rotate90({0, 0, 1600, 1200});
    EXPECT_EQ(box.Vertices(), (std::vector<cv::Point2f>{{999, 100}, {599, 500}}));
    box.Rotate270({0, 0, 1200, 1600});
    EXPECT_EQ(box.GetRect(), (IntRect{100, 200, 500, 600}));
    box.Rotate180({0, 0, 1600, 1200});
    EXPECT_EQ(box.GetRect(), (IntRect{1099, 599, 1499, 999}));

    // Four quarter turns either way, or two half turns, change nothing.
    for (int way = 0; way < 3; ++way) {
        CTrackRectangle turned;
        turned.SetRect(37, 52, 410, 333, false);
        cv::Size frame(1600, 1200);
        for (int i = 0; i < (way == 2 ? 2 : 4); ++i) {
            const IntRect before{0, 0, frame.width, frame.height};
            if (way == 0) {
                turned.Rotate90(before);
            } else if (way == 1) {
                turned.Rotate270(before);
            } else {
                turned.Rotate180(before);
            }
            if (way != 2) {
                frame = {frame.height, frame.width};
            }
        }
        EXPECT_EQ(turned.GetRect(), (IntRect{37, 52, 410, 333})) << way;
    }
}

TEST(CropBox, SetRectNormalisesTheCorners) {
    CTrackRectangle box;
    EXPECT_FALSE(box.IsCreated());
    box.SetRect(300, 200, 100, 50, true);
    EXPECT_TRUE(box.IsCreated());
    EXPECT_FALSE(box.IsSelected());
    EXPECT_TRUE(box.KeepsAspect());
    EXPECT_EQ(box.GetRect(), (IntRect{100, 50, 300, 200}));
}

// ---- The look ---------------------------------------------------------------

TEST(CropBox, WashesOutTheOutsideAndLeavesTheInside) {
    const cv::Vec3b colour(40, 80, 120);  // blue, green, red
    auto canvas = MakeCanvas(640, 480, cv::Mat(480, 640, CV_8UC3, cv::Scalar(colour)));
    canvas->SetCropRect(100, 100, 300, 200, false);
    struct Case {
        QPoint point;
        QRgb expected;
    };
    const QRgb untouched = qRgb(120, 80, 40);
    const QRgb washed = qRgb((120 + 255) / 2, (80 + 255) / 2, (40 + 255) / 2);
    const QRgb tinted = qRgb(120 / 2, 80 / 2, (40 + 255) / 2);
    const QImage plain = canvas->grab().toImage();
    for (const Case& c :
         {Case{{10, 10}, washed}, Case{{200, 150}, untouched}, Case{{102, 150}, untouched},
          Case{{100, 150}, tinted}, Case{{99, 150}, tinted}, Case{{98, 150}, washed},
          Case{{150, 199}, tinted}, Case{{150, 201}, washed}}) {
        EXPECT_EQ(plain.pixel(c.point), c.expected) << c.point.x() << "," << c.point.y();
    }

    // Selected: a solid outline with white handles.
    Drag(*canvas, {200, 150}, {});
    const QImage selected = canvas->grab().toImage();
    EXPECT_EQ(selected.pixel(150, 100), qRgb(0, 0, 255));
    EXPECT_EQ(selected.pixel(102, 102), qRgb(255, 255, 255)) << "inside handle 0";
    EXPECT_EQ(selected.pixel(95, 95), qRgb(0, 0, 255)) << "handle 0's border";
    EXPECT_EQ(selected.pixel(200, 150), untouched);
    EXPECT_EQ(selected.pixel(10, 10), washed);
}

}  // namespace
}  // namespace orbisk
