#include "video/dialogs/top_dlg.h"

#include "platform/window_messages.h"
#include "tests/support/input_events.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QWidget>

#include <string>

namespace orbisk {
namespace {

// A parent window that counts the private messages posted to it.
class ParentWindow : public QWidget {
  public:
    int cropBoxDone = 0;
    bool event(QEvent* e) override {
        if (e->type() == platform::WindowMessageEvent::Type()) {
            const auto* m = static_cast<platform::WindowMessageEvent*>(e);
            cropBoxDone +=
                m->Message() == platform::WM_CROP_BOX_DONE && m->WParam() == 0 && m->LParam() == 0;
            return true;
        }
        return QWidget::event(e);
    }
};

struct FitCase {
    const char* name;
    QSize picture;
    QSize client;
    double scale;
    QRect fitted;
};

class FitTable : public testing::TestWithParam<FitCase> {};

TEST_P(FitTable, FitsThePictureCentredAndNeverEnlarged) {
    const FitCase& c = GetParam();
    const double scale = TopDlgFitScale(c.picture, c.client);
    EXPECT_DOUBLE_EQ(scale, c.scale);
    EXPECT_EQ(TopDlgFittedRect(c.picture, c.client, scale), c.fitted);
}

INSTANTIATE_TEST_SUITE_P(
    TopDlg, FitTable,
    testing::Values(FitCase{"Exact", {640, 480}, {320, 240}, 0.5, {0, 0, 320, 240}},
                    FitCase{"Tall", {640, 480}, {320, 400}, 0.5, {0, 80, 320, 240}},
                    FitCase{"Square", {640, 480}, {400, 400}, 0.625, {0, 50, 400, 300}},
                    FitCase{"Wide", {640, 480}, {800, 300}, 0.625, {200, 0, 400, 300}},
                    FitCase{"Small", {200, 100}, {400, 400}, 1, {100, 150, 200, 100}},
                    FitCase{"NoPicture", {0, 0}, {400, 400}, 1, {200, 200, 0, 0}}),
    [](const testing::TestParamInfo<FitCase>& info) { return std::string(info.param.name); });

class TopDialog : public testing::Test {
  protected:
    TopDialog() : dlg(&parent) {
        dlg.resize(320, 400);
        dlg.SetPictureSize({640, 480});
    }
    ParentWindow parent;
    CTopDlg dlg;
};

TEST_F(TopDialog, ASizeChangeRefitsAndBoundsTheRectangle) {
    EXPECT_DOUBLE_EQ(dlg.Scale(), 0.5);
    EXPECT_EQ(dlg.FittedRect(), QRect(0, 80, 320, 240));
    EXPECT_EQ(dlg.Rectangle().Bounds(), QRect(0, 0, 640, 480));
    dlg.show();  // a hidden window gets its size change only when shown
    dlg.resize(800, 300);
    EXPECT_DOUBLE_EQ(dlg.Scale(), 0.625);
    EXPECT_EQ(dlg.FittedRect(), QRect(200, 0, 400, 300));
    EXPECT_NEAR(dlg.windowOpacity(), 0.5, 0.01) << "alpha 128 of 255";
}

TEST_F(TopDialog, TheMouseDrawsInPictureCoordinatesAndTellsTheParent) {
    test::Move(dlg, {20, 100});
    EXPECT_EQ(dlg.cursor().shape(), Qt::CrossCursor);
    // (20, 20) to (120, 70) of the fitted picture at scale 0.5.
    test::Drag(dlg, {20, 100}, {{60, 130}, {120, 150}});
    ASSERT_TRUE(dlg.Rectangle().Exists());
    EXPECT_EQ(dlg.Rectangle().PictureRect(), QRectF(QPointF(41, 41), QPointF(241, 241)));
    EXPECT_TRUE(test::WaitUntil([&] { return parent.cropBoxDone == 1; }));

    // The window rectangle is (21, 21) - (121, 121) of the fitted picture.
    test::Move(dlg, {120, 80 + 71});
    EXPECT_EQ(dlg.cursor().shape(), Qt::SizeHorCursor) << "over the right handle";
    test::Move(dlg, {70, 80 + 70});
    EXPECT_EQ(dlg.cursor().shape(), Qt::SizeAllCursor) << "inside";
    test::Move(dlg, {310, 390});
    EXPECT_EQ(dlg.cursor().shape(), Qt::ArrowCursor) << "away, once it exists";

    // Every release tells the parent, also one that only deselects.
    test::Press(dlg, {310, 390});
    test::Release(dlg, {310, 390});
    EXPECT_FALSE(dlg.Rectangle().IsSelected());
    EXPECT_TRUE(test::WaitUntil([&] { return parent.cropBoxDone == 2; }));
}

TEST_F(TopDialog, TheColourKeyedBackgroundIsSeeThrough) {
    test::Drag(dlg, {20, 100}, {{120, 150}});
    const QImage shot = dlg.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(shot.pixel(5, 5)), 0) << "the background takes the colour key";
    // The pen on the column left of the rectangle's window left edge 21.
    EXPECT_EQ(shot.pixel(20, 80 + 71 + 20), qRgba(0, 0, 255, 255));
    const QPoint handle = dlg.Rectangle().HandlePoints(0.5)[4] + dlg.FittedRect().topLeft();
    EXPECT_EQ(shot.pixel(handle), qRgba(250, 250, 250, 255));

    // A background of another colour than the key is painted.
    dlg.SetBackgroundColor(qRgb(10, 20, 30));
    const QImage opaque = dlg.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(opaque.pixel(5, 5), qRgba(10, 20, 30, 255));
}

}  // namespace
}  // namespace orbisk
