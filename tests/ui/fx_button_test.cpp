#include "ui/fx_button.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QButtonGroup>

#include "core/bitmap_resources.h"
#include "tests/support/input_events.h"

namespace orbisk {
namespace {

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kRed = 0xFFFF0000;
constexpr int kSmallFace = 9101;  // 20 x 10: black key, red body
constexpr int kWideFace = 9102;   // 40 x 16: the same in another language

// A face picture: black (the key colour) around a red body, with one pixel
// of the face colour inside the body (the second key colour).
QImage FaceFixture(int w, int h, QRgb face) {
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(kBlack);
    for (int y = 2; y < h - 2; ++y) {
        for (int x = 5; x < w - 5; ++x) {
            image.setPixel(x, y, kRed);
        }
    }
    image.setPixel(w / 2, h / 2, face);
    return image;
}

QRgb Face() { return CFxButton().FaceColour(); }

class FxButtonTest : public testing::Test {
  protected:
    void SetUp() override {
        RegisterBitmapResource(kSmallFace, FaceFixture(20, 10, Face()));
        RegisterBitmapResource(kWideFace, FaceFixture(40, 16, Face()));
    }
    void TearDown() override {
        RegisterBitmapResource(kSmallFace, QImage());
        RegisterBitmapResource(kWideFace, QImage());
    }

    // Dressed the way the main window dresses its buttons.
    static void Dress(CFxButton& button, int bitmap) {
        button.resize(100, 40);
        button.SetTexts(QString(), true, QString(), QString(), QString());
        button.SetBitmaps(bitmap, true, 0, 0, 0);
        button.m_sizeRound = QSize(8, 8);
        button.SetColors(kBlack, true, Face(), Face(), Face());
        button.SetBorderDepths(0, true, 2, 2, 2);
        button.ApplyStyle(QImage(), 0, -1, false);
    }
};

using test::Click;
using test::Press;
using test::Release;
void DragTo(QWidget& w, QPoint pos) { test::Move(w, pos, true); }

TEST(ComputeShadeTest, ShadesPerLookAndIndex) {
    // One channel at 240 shows the truncation (240 x 0.7 is just below 168);
    // 0 and 255 show that channels are shaded separately.
    const QRgb colour = qRgb(240, 0, 255);
    struct Case {
        int look, index;
        QRgb expected;
    };
    const Case cases[] = {
        {CFxButton::kFlat, 1, colour},
        {CFxButton::kFlat, 4, colour},
        {CFxButton::kRaised, 1, qRgb(255, 255, 255)},
        {CFxButton::kRaised, 2, qRgb(246, 102, 255)},
        {CFxButton::kRaised, 3, qRgb(120, 0, 127)},
        {CFxButton::kRaised, 4, qRgb(167, 0, 178)},
        {CFxButton::kSunken, 1, qRgb(120, 0, 127)},
        {CFxButton::kSunken, 2, qRgb(167, 0, 178)},
        {CFxButton::kSunken, 3, qRgb(255, 255, 255)},
        {CFxButton::kSunken, 4, qRgb(246, 102, 255)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "look " << c.look << " index " << c.index);
        EXPECT_EQ(CFxButton::ComputeShade(colour, c.index, c.look), c.expected);
    }
}

TEST(FxButtonSetterTest, FourStateSettersWithAndWithoutFill) {
    const QRgb face = Face();
    const QRgb blue = qRgb(0, 0, 255);
    struct Case {
        const char* name;
        std::function<void(CFxButton&)> set;
        std::function<bool(const CFxButton::StateProps&, int state)> holds;
    };
    auto st = [](int i) { return CFxButton::kNormal + i; };
    const Case cases[] = {
        {"depths with fill", [](CFxButton& b) { b.SetBorderDepths(0, true, 2, 2, 2); },
         [](auto& s, int) { return s.borderDepth == 0; }},
        {"depths without fill", [](CFxButton& b) { b.SetBorderDepths(0, false, 2, 2, 2); },
         [](auto& s, int state) { return s.borderDepth == (state == CFxButton::kNormal ? 0 : 2); }},
        {"depths one given", [](CFxButton& b) { b.SetBorderDepths(1, true, 2, 3, 2); },
         [](auto& s, int state) { return s.borderDepth == (state == CFxButton::kHover ? 3 : 1); }},
        {"face colour keeps without fill",
         [&](CFxButton& b) { b.SetColors(kBlack, false, face, face, face); },
         [&](auto& s, int state) {
             return state == CFxButton::kNormal ? s.keyColourOn && s.keyColour == kBlack
                                                : !s.keyColourOn && s.keyColour == face;
         }},
        {"face colour takes the normal one with fill",
         [&](CFxButton& b) { b.SetColors(kBlack, true, face, blue, face); },
         [&](auto& s, int state) {
             return s.keyColourOn && s.keyColour == (state == CFxButton::kHover ? blue : kBlack);
         }},
        {"empty texts with fill empty all",
         [](CFxButton& b) { b.SetTexts(QString(), true, QString(), QString(), QString()); },
         [](auto& s, int) { return s.text.isEmpty(); }},
        {"empty texts without fill change nothing",
         [](CFxButton& b) { b.SetTexts(QString(), false, QString(), QString(), QString()); },
         [](auto& s, int) { return s.text == "Go"; }},
        {"one text with fill",
         [](CFxButton& b) { b.SetTexts("A", true, QString(), "H", QString()); },
         [](auto& s, int state) { return s.text == (state == CFxButton::kHover ? "H" : "A"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFxButton button("Go");
        c.set(button);
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(c.holds(button.Props(st(i)), st(i))) << "state " << st(i);
        }
    }
}

TEST(FxButtonCheckTest, PushKindIgnoresCheck) {
    CFxButton push("P");
    push.SetCheck(true);
    EXPECT_FALSE(push.GetCheck());
    CFxButton check("C", {CFxButton::kCheckKind});
    check.SetCheck(true);
    EXPECT_TRUE(check.GetCheck());
}

TEST(FxButtonRegionTest, RunsOfPixelsThatAreNeitherKeyColour) {
    const QRgb k = kBlack, f = qRgb(212, 208, 200), r = kRed, g = qRgb(0, 128, 0);
    const QRgb rows[3][6] = {{k, r, r, k, f, g}, {r, r, r, r, r, r}, {k, f, k, k, f, k}};
    QImage image(6, 3, QImage::Format_RGB888);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) {
            image.setPixel(x, y, rows[y][x]);
        }
    }
    const QRegion region = CFxButton::BuildRegionFromBitmap(image, k, f);
    QRegion expected;
    expected += QRect(1, 0, 2, 1);
    expected += QRect(5, 0, 1, 1);  // a run at the row's end keeps its last pixel
    expected += QRect(0, 1, 6, 1);
    EXPECT_EQ(region, expected);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(region.contains(QPoint(x, y)), rows[y][x] != k && rows[y][x] != f)
                << x << "," << y;
        }
    }
    QImage keyOnly(4, 4, QImage::Format_RGB888);
    keyOnly.fill(k);
    EXPECT_TRUE(CFxButton::BuildRegionFromBitmap(keyOnly, k, f).isEmpty());
}

TEST(FxButtonAlignTest, NineCodesPlaceTheBitmap) {
    // A 100 x 40 button with depth-2 borders: placement area shrunk by 3.
    const QRect client(0, 0, 100, 40), area(3, 3, 94, 34), bitmap(0, 0, 20, 10);
    struct Case {
        int code;
        QPoint topLeft;
    };
    const Case cases[] = {
        {0x20, {3, 3}},   {0x21, {40, 3}},  {0x22, {77, 3}}, {0x24, {3, 15}},
        {0x25, {40, 15}}, {0x26, {77, 15}}, {0x28, {3, 27}}, {0x29, {40, 27}},
        {0x2A, {77, 27}}, {0x10, {0, 0}},   {0x2B, {0, 0}},  {0x2C, {0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CFxButton::AlignBitmapRect(bitmap, area, client, c.code),
                  QRect(c.topLeft, QSize(20, 10)))
            << std::hex << c.code;
    }
}

TEST_F(FxButtonTest, ApplyStylePlacesBitmapAndBuildsRegions) {
    CFxButton button;
    Dress(button, kSmallFace);
    // Depth 0 everywhere: the placement area is the client shrunk by 1.
    const auto& normal = button.Props(CFxButton::kNormal);
    EXPECT_EQ(normal.bitmapRect, QRect(40, 15, 20, 10));
    ASSERT_TRUE(normal.bitmapRegionMade);
    const QRegion expected =
        CFxButton::BuildRegionFromBitmap(FaceFixture(20, 10, Face()), kBlack, Face())
            .translated(40, 15);
    EXPECT_EQ(normal.bitmapRegion, expected);
    EXPECT_EQ(button.Props(CFxButton::kHover).bitmapRegion, expected);
    // Rounded corners: the corner pixel is outside the window shape.
    EXPECT_FALSE(normal.windowRegion.contains(QPoint(0, 0)));
    EXPECT_TRUE(normal.windowRegion.contains(QPoint(50, 0)));
    EXPECT_TRUE(normal.windowRegion.contains(QPoint(99, 20)));
}

TEST_F(FxButtonTest, RoundingLargerThanTheButtonIsLimited) {
    CFxButton button;
    button.resize(100, 40);
    button.m_sizeRound = QSize(500, 500);
    button.SetBitmaps(kSmallFace, true);
    button.ApplyStyle(QImage(), 0, -1, false);
    EXPECT_EQ(button.m_sizeRound, QSize(100, 40));
    EXPECT_TRUE(button.Props(CFxButton::kNormal).windowRegion.contains(QPoint(50, 20)));
}

TEST_F(FxButtonTest, NewBitmapsAfterStylingGetTheirOwnPlaceAndRegion) {
    CFxButton button;
    Dress(button, kSmallFace);
    button.SetBitmaps(kWideFace, true, 0, 0, 0);  // a language change
    const QRegion expected =
        CFxButton::BuildRegionFromBitmap(FaceFixture(40, 16, Face()), kBlack, Face())
            .translated(30, 12);
    for (int state :
         {CFxButton::kNormal, CFxButton::kPressed, CFxButton::kHover, CFxButton::kDisabled}) {
        SCOPED_TRACE(state);
        const auto& s = button.Props(state);
        EXPECT_EQ(s.bitmap.size(), QSize(40, 16));
        EXPECT_EQ(s.bitmapRect, QRect(30, 12, 40, 16));
        EXPECT_EQ(s.bitmapRegion, expected);
    }
}

TEST_F(FxButtonTest, KeyColoursShowTheFaceAndTheBitmapSitsUpLeftAtRest) {
    CFxButton button;
    Dress(button, kSmallFace);
    const QImage shot = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Bitmap at (40, 15), raised look: drawn 1 pixel up-left.
    const QPoint origin(39, 14);
    EXPECT_EQ(shot.pixel(origin + QPoint(6, 3)), kRed);
    EXPECT_EQ(shot.pixel(origin + QPoint(0, 0)), Face()) << "black key colour";
    EXPECT_EQ(shot.pixel(origin + QPoint(10, 5)), Face()) << "face as second key colour";
    EXPECT_EQ(shot.pixel(origin + QPoint(19, 9)), Face());

    button.setDown(true);  // pressed: sunken look, 1 pixel down-right
    const QImage pressed = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(pressed.pixel(QPoint(41 + 5, 16 + 2)), kRed);
    EXPECT_EQ(pressed.pixel(QPoint(40 + 5, 15 + 2)), Face());
}

TEST_F(FxButtonTest, DisabledSharedBitmapIsAnEmbossedSilhouette) {
    CFxButton button;
    Dress(button, kSmallFace);
    button.setEnabled(false);
    const QImage shot = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb dark = CFxButton::ComputeShade(Face(), 4, CFxButton::kRaised);
    // The body (bitmap at 40, 15, moved up-left by the raised look) is dark,
    // its lower-right rim white; no red anywhere.
    EXPECT_EQ(shot.pixel(39 + 8, 14 + 4), dark);
    EXPECT_EQ(shot.pixel(39 + 14, 14 + 7), qRgb(255, 255, 255));
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            ASSERT_NE(shot.pixel(x, y), kRed) << x << "," << y;
        }
    }
}

TEST_F(FxButtonTest, StateWithoutBitmapLeavesTheWindowUnshaped) {
    CFxButton button;
    button.resize(100, 40);
    button.m_sizeRound = QSize(8, 8);
    button.SetBitmaps(kSmallFace, false);  // no shared bitmaps
    button.ApplyStyle(QImage(), 0, -1, false);
    button.grab();
    EXPECT_FALSE(button.mask().isEmpty());
    button.setEnabled(false);
    button.grab();
    EXPECT_TRUE(button.mask().isEmpty());
}

TEST(FxButtonMouseTest, DraggingOffGivesNoClickAndThePushedLookFollows) {
    CFxButton button("Go");
    button.resize(100, 40);
    button.ApplyStyle(QImage(), 0, -1, false);
    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&clicks] { ++clicks; });
    const QPoint inside(50, 20), outside(150, 20);

    Press(button, inside);
    EXPECT_EQ(button.CurrentState(), CFxButton::kPressed);
    DragTo(button, outside);
    EXPECT_EQ(button.CurrentState(), CFxButton::kNormal);
    DragTo(button, inside);
    EXPECT_EQ(button.CurrentState(), CFxButton::kPressed);
    DragTo(button, outside);
    Release(button, outside);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(button.CurrentState(), CFxButton::kNormal);

    Press(button, inside);
    Release(button, inside);
    EXPECT_EQ(clicks, 1);
}

TEST(FxButtonMouseTest, CheckToggleOnlyOnReleaseOverTheButton) {
    CFxButton check("C", {CFxButton::kCheckKind});
    check.resize(100, 40);
    check.ApplyStyle(QImage(), 0, -1, false);
    Press(check, {50, 20});
    Release(check, {150, 20});
    EXPECT_FALSE(check.GetCheck());
    Click(check);
    EXPECT_TRUE(check.GetCheck());
    Click(check);
    EXPECT_FALSE(check.GetCheck());

    // A drag that began on another window: no hover, and its release toggles nothing.
    DragTo(check, {50, 20});
    EXPECT_EQ(check.CurrentState(), CFxButton::kNormal);
    Release(check, {50, 20});
    EXPECT_FALSE(check.GetCheck());
}

TEST(FxButtonGlyphTest, GlyphSitsBesideTheTextAndShowsTheCheckState) {
    struct Case {
        CFxButton::Style style;
        QRect glyph;
        int textLeft;
    };
    const Case cases[] = {
        {{CFxButton::kCheckKind, false, false}, QRect(0, 14, 13, 13), 19},
        {{CFxButton::kRadioKind, false, true}, QRect(85, 13, 13, 13), 4},
    };
    for (const Case& c : cases) {
        CFxButton button("Option", c.style);
        button.resize(100, 40);
        button.ApplyStyle(QImage(), 0, -1, false);
        button.ApplyStyle(QImage(), 0, -1, false);  // styling twice keeps the glyph in place
        EXPECT_EQ(button.GlyphRect(), c.glyph);
        EXPECT_EQ(button.Props(CFxButton::kNormal).textRect,
                  QRect(c.textLeft, 0, 100 - c.textLeft, 40));
        const QImage unchecked = button.grab().toImage().copy(c.glyph);
        button.SetCheck(true);
        const QImage checked = button.grab().toImage().copy(c.glyph);
        EXPECT_NE(unchecked, checked);
    }
}

TEST(FxButtonRadioTest, ClickUnchecksOnlyTheOtherRadiosOfItsGroup) {
    QWidget dialog;
    const CFxButton::Style radio{CFxButton::kRadioKind};
    auto* a = new CFxButton("A", radio, &dialog);
    auto* b = new CFxButton("B", radio, &dialog);
    auto* c = new CFxButton("C", radio, &dialog);
    QButtonGroup first, second;
    first.addButton(a);
    first.addButton(b);
    second.addButton(c);
    for (CFxButton* button : {a, b, c}) {
        button->resize(80, 20);
        button->ApplyStyle(QImage(), 0, -1, button != a);
    }
    QApplication::sendPostedEvents();
    ASSERT_TRUE(b->GetCheck() && c->GetCheck());

    Click(*a);
    QApplication::sendPostedEvents();
    EXPECT_TRUE(a->GetCheck());
    EXPECT_FALSE(b->GetCheck());
    EXPECT_TRUE(c->GetCheck()) << "another group";

    // Without a button group the group is the siblings; other controls ignore it.
    QWidget panel;
    auto* d = new CFxButton("D", radio, &panel);
    auto* e = new CFxButton("E", radio, &panel);
    auto* push = new CFxButton("P", {}, &panel);
    d->SetCheck(true);
    QApplication::sendPostedEvents();
    e->SetCheck(true);
    QApplication::sendPostedEvents();
    EXPECT_FALSE(d->GetCheck());
    EXPECT_TRUE(e->GetCheck());
    EXPECT_FALSE(push->GetCheck());
}

}  // namespace
}  // namespace orbisk
