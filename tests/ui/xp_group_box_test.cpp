#include "ui/xp_group_box.h"

#include "tests/support/case_name.h"

#include <gtest/gtest.h>
#include <QFontMetrics>
#include <QImage>
#include <QPalette>

#include <string>

namespace orbisk {
namespace {

TEST(XPGroupBox, CaptionIsPaddedWithASpaceOnEachSide) {
    CXPGroupBox box("Title");
    EXPECT_EQ(box.ShownCaption(), " Title ") << "the title stands in for an unset caption";
    box.SetText("Name");
    EXPECT_EQ(box.Caption(), " Name ");
    EXPECT_EQ(box.ShownCaption(), " Name ");
    box.SetText("");
    EXPECT_EQ(box.Caption(), "  ");
    EXPECT_TRUE(CXPGroupBox().ShownCaption().isEmpty());
}

TEST(XPGroupBox, DefaultsComeFromThePalette) {
    CXPGroupBox box;
    const QPalette& palette = box.palette();
    EXPECT_EQ(box.Style(), CXPGroupBox::kFrameStyle);
    EXPECT_EQ(box.Alignment(), CXPGroupBox::kAlignLeft);
    EXPECT_EQ(box.BorderColor(), palette.color(QPalette::Mid).rgb());
    EXPECT_EQ(box.BackgroundColor(), palette.color(QPalette::Window).rgb());
    EXPECT_EQ(box.BodyColor(), palette.color(QPalette::Window).rgb());
    EXPECT_EQ(box.CaptionTextColor(), palette.color(QPalette::WindowText).rgb());
    EXPECT_EQ(box.FontDescription(), box.font());
}

TEST(XPGroupBox, SettersChainAndKeepTheirValues) {
    CXPGroupBox box;
    CXPGroupBox& same = box.SetBorderColor(qRgb(1, 2, 3))
                            .SetCaptionTextColor(qRgb(4, 5, 6))
                            .SetBackgroundColors(qRgb(7, 8, 9), qRgb(10, 11, 12))
                            .SetStyle(1)
                            .SetFontBold(true)
                            .SetFontItalic(true)
                            .SetFontUnderline(true)
                            .SetFontSize(15)
                            .SetFontName("DejaVu Sans")
                            .SetAlignment(2);
    EXPECT_EQ(&same, &box);
    EXPECT_EQ(box.BorderColor(), qRgb(1, 2, 3));
    EXPECT_EQ(box.CaptionTextColor(), qRgb(4, 5, 6));
    EXPECT_EQ(box.BackgroundColor(), qRgb(7, 8, 9));
    EXPECT_EQ(box.BodyColor(), qRgb(10, 11, 12));
    EXPECT_EQ(box.Style(), 1);
    const QFont& font = box.FontDescription();
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_TRUE(font.italic());
    EXPECT_TRUE(font.underline());
    EXPECT_EQ(font.pointSize(), 15);
    EXPECT_EQ(font.family(), "DejaVu Sans");
    box.SetBackgroundColor(qRgb(20, 21, 22)).SetFontBold(false);
    EXPECT_EQ(box.BackgroundColor(), qRgb(20, 21, 22));
    EXPECT_EQ(box.BodyColor(), qRgb(20, 21, 22)) << "one colour for both";
    EXPECT_EQ(box.FontDescription().weight(), QFont::Normal);
    QFont whole("DejaVu Serif", 9);
    EXPECT_EQ(box.SetFont(whole).FontDescription(), whole);
}

TEST(XPGroupBox, AlignmentOtherThanCentreOrRightIsLeft) {
    CXPGroupBox box;
    const std::pair<int, int> cases[] = {{1, 1}, {2, 2}, {0, 0}, {3, 0}, {-1, 0}};
    for (const auto& [given, kept] : cases) {
        EXPECT_EQ(box.SetAlignment(given).Alignment(), kept) << given;
    }
}

struct CaptionCase {
    const char* name;
    int style;
    int alignment;
    QRect expected;
};

class CaptionRectTable : public testing::TestWithParam<CaptionCase> {};

// The box of a 200 x 100 client area is (1, 1) to (199, 99); the caption is
// 40 x 14 pixels.
TEST_P(CaptionRectTable, PlacesTheCaption) {
    const CaptionCase& c = GetParam();
    const QRect box(1, 1, 198, 98);
    EXPECT_EQ(CXPGroupBox::CaptionRect(box, QSize(40, 14), c.style, c.alignment), c.expected);
}

INSTANTIATE_TEST_SUITE_P(XPGroupBox, CaptionRectTable,
                         testing::Values(
                             // Frame style: on the top edge, 10 pixels in from the side.
                             CaptionCase{"FrameLeft", 0, 0, QRect(11, 1, 40, 14)},
                             CaptionCase{"FrameCentre", 0, 1, QRect(80, 1, 40, 14)},
                             CaptionCase{"FrameRight", 0, 2, QRect(149, 1, 40, 14)},
                             // Band style: 2 pixels inside the band; every style but 0 is a band.
                             CaptionCase{"BandLeft", 1, 0, QRect(3, 3, 40, 14)},
                             CaptionCase{"BandCentre", 1, 1, QRect(80, 3, 40, 14)},
                             CaptionCase{"BandRight", 1, 2, QRect(157, 3, 40, 14)},
                             CaptionCase{"StyleSevenIsABand", 7, 0, QRect(3, 3, 40, 14)},
                             CaptionCase{"OtherAlignmentIsLeft", 1, 5, QRect(3, 3, 40, 14)}),
                         [](const testing::TestParamInfo<CaptionCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(XPGroupBox, BoxIsTheClientLessOnePixel) {
    CXPGroupBox box;
    box.resize(200, 100);
    EXPECT_EQ(box.BoxRect(), QRect(1, 1, 198, 98));
}

// Painted boxes, checked on a grabbed image.
class PaintedBox : public testing::Test {
  protected:
    static constexpr QRgb kBorder = qRgb(0, 0, 200);
    static constexpr QRgb kBand = qRgb(250, 250, 200);
    static constexpr QRgb kBody = qRgb(200, 250, 250);
    static constexpr QRgb kText = qRgb(220, 0, 0);
    static constexpr QRgb kParent = qRgb(120, 120, 120);

    PaintedBox() {
        box.resize(200, 100);
        QPalette palette = box.palette();
        palette.setColor(QPalette::Window, QColor(kParent));
        box.setPalette(palette);
        box.SetBorderColor(kBorder)
            .SetBackgroundColors(kBand, kBody)
            .SetCaptionTextColor(kText)
            .SetFontBold(true)
            .SetFontSize(14)
            .SetText("WWW");
        text = QSize(QFontMetrics(box.FontDescription()).horizontalAdvance(box.Caption()),
                     QFontMetrics(box.FontDescription()).height());
    }

    QImage Shot() { return box.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    static int Count(const QImage& image, const QRect& area, QRgb colour) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                n += image.pixel(x, y) == colour;
            }
        }
        return n;
    }

    CXPGroupBox box;
    QSize text;
};

TEST_F(PaintedBox, BandStyleHasABandOverTheBody) {
    box.SetStyle(CXPGroupBox::kBandStyle);
    const QImage shot = Shot();
    const int bodyTop = 1 + text.height() + 4;
    EXPECT_EQ(shot.pixel(100, 1), kBorder) << "the rounded box's top edge";
    EXPECT_EQ(shot.pixel(1, 50), kBorder) << "its left edge";
    EXPECT_EQ(shot.pixel(198, 50), kBorder) << "its right edge";
    EXPECT_EQ(shot.pixel(100, 98), kBorder) << "its bottom edge";
    EXPECT_EQ(shot.pixel(190, 4), kBand) << "the band beside the caption";
    EXPECT_EQ(shot.pixel(100, bodyTop), kBorder) << "the body's top line";
    EXPECT_EQ(shot.pixel(100, bodyTop + 10), kBody);
    EXPECT_EQ(shot.pixel(0, 50), kParent) << "outside the box";
    const QRect caption = CXPGroupBox::CaptionRect(box.BoxRect(), text, 1, 0);
    EXPECT_GT(Count(shot, caption, kText), 10) << "the caption is drawn in its colour";
    EXPECT_EQ(Count(shot, QRect(0, bodyTop + 1, 200, 99 - bodyTop), kText), 0);
}

TEST_F(PaintedBox, FrameStyleCutsTheFrameBehindTheCaption) {
    box.SetStyle(CXPGroupBox::kFrameStyle).SetAlignment(CXPGroupBox::kAlignRight);
    const QImage shot = Shot();
    const int line = 1 + text.height() / 2;
    const QRect caption = CXPGroupBox::CaptionRect(box.BoxRect(), text, 0, 2);
    EXPECT_EQ(shot.pixel(40, line), kBorder) << "the frame's top line, left of the caption";
    EXPECT_EQ(shot.pixel(caption.left() + 1, line), kBand) << "the gap behind the leading space";
    EXPECT_EQ(shot.pixel(1, 60), kBorder);
    EXPECT_EQ(shot.pixel(100, 98), kBorder);
    EXPECT_EQ(shot.pixel(100, 60), kParent) << "a frame has no fill";
    EXPECT_EQ(shot.pixel(40, line - 3), kParent) << "above the frame line";
    EXPECT_GT(Count(shot, caption, kText), 10);
    EXPECT_EQ(Count(shot, QRect(0, 0, caption.left(), 100), kText), 0) << "right-aligned";
}

}  // namespace
}  // namespace orbisk
