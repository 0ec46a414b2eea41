#include "ui/label.h"

#include <gtest/gtest.h>
#include <QApplication>

#include "core/link_opener.h"
#include "tests/support/input_events.h"

namespace orbisk {
namespace {

TEST(LabelGradientTest, BandsCoverTheWidthFromStartToEnd) {
    struct Case {
        int width;
        int bands;
        int bandWidth;  // of every band but the last
    };
    const Case cases[] = {{250, 100, 2}, {100, 100, 1}, {50, 50, 1}, {1, 1, 1}, {199, 100, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const QRect rect(10, 5, c.width, 20);
        const auto bands = CLabel::GradientBands(rect, qRgb(0, 0, 0), qRgb(255, 255, 255));
        ASSERT_EQ(int(bands.size()), c.bands);
        int left = rect.x();
        for (size_t i = 0; i < bands.size(); ++i) {
            EXPECT_EQ(bands[i].rect.x(), left);
            EXPECT_EQ(bands[i].rect.top(), 5);
            EXPECT_EQ(bands[i].rect.height(), 20);
            if (i + 1 < bands.size()) {
                EXPECT_EQ(bands[i].rect.width(), c.bandWidth);
            }
            left += bands[i].rect.width();
        }
        EXPECT_EQ(left, rect.x() + c.width) << "the last band reaches the right edge";
        EXPECT_EQ(bands.front().colour, qRgb(0, 0, 0));
    }
    // 8.8 fixed point: 255 x 256 / 100 = 652 per band, so band 99 is 99 x 652 / 256.
    const auto bands =
        CLabel::GradientBands(QRect(0, 0, 300, 1), qRgb(0, 255, 100), qRgb(255, 0, 100));
    EXPECT_EQ(bands[1].colour, qRgb(2, 252, 100));
    EXPECT_EQ(bands[99].colour, qRgb(252, 2, 100));
}

TEST(LabelGradientTest, PaintedBandsRunFromLeftToRight) {
    CLabel label;
    label.resize(200, 10);
    label.SetBkColor(qRgb(0, 0, 0), qRgb(255, 255, 255), true);
    const QImage shot = label.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shot.pixel(0, 5), qRgb(0, 0, 0));
    EXPECT_EQ(shot.pixel(199, 5), qRgb(252, 252, 252));
    EXPECT_EQ(shot.pixel(199, 9), qRgb(252, 252, 252)) << "down to the bottom row";
    for (int x = 1; x < 200; ++x) {
        ASSERT_GE(qRed(shot.pixel(x, 5)), qRed(shot.pixel(x - 1, 5))) << x;
        ASSERT_EQ(shot.pixel(x, 5), shot.pixel(x - x % 2, 5)) << "bands two pixels wide";
    }
}

int CountPixels(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixel(x, y) == colour;
        }
    }
    return n;
}

TEST(LabelFlashTest, OffPhaseHidesTheTextAndStoppingShowsIt) {
    CLabel label("WWWW");
    label.resize(120, 30);
    label.SetBkColor(qRgb(255, 255, 255)).SetTextColor(qRgb(200, 0, 0)).SetFontSize(14);
    auto textPixels = [&] {
        return CountPixels(label.grab().toImage().convertToFormat(QImage::Format_RGB32),
                           qRgb(200, 0, 0));
    };
    ASSERT_GT(textPixels(), 0);
    label.FlashText(true);
    EXPECT_TRUE(label.IsFlashTimerRunning());
    EXPECT_EQ(textPixels(), 0);
    label.FlashText(false);
    EXPECT_FALSE(label.IsFlashTimerRunning());
    EXPECT_GT(textPixels(), 0);
}

class LabelLinkTest : public testing::Test {
  protected:
    void SetUp() override {
        previous_ = SetUrlOpener([this](const QUrl& url) {
            opened_.push_back(url.toString());
            return true;
        });
    }
    void TearDown() override { SetUrlOpener(previous_); }

    static void ClickOn(CLabel& label) { test::Press(label, {5, 5}); }

    UrlOpener previous_;
    QStringList opened_;
};

TEST_F(LabelLinkTest, ClickOpensWebAndMailLinksOrNotifiesInstead) {
    struct Case {
        const char* name;
        std::function<void(CLabel&)> set;
        QStringList opened;
        int notifications;
    };
    const Case cases[] = {
        {"web link target",
         [](CLabel& l) { l.SetLink(true, false).SetLinkUrl("https://example.org/a"); },
         {"https://example.org/a"},
         0},
        {"web link from the text",
         [](CLabel& l) { l.SetText("http://example.org/b").SetLink(true, false); },
         {"http://example.org/b"},
         0},
        {"mail link",
         [](CLabel& l) { l.SetText("me@example.org").SetMailLink(true, false); },
         {"mailto:me@example.org"},
         0},
        {"notify instead of opening",
         [](CLabel& l) { l.SetLink(true, true).SetLinkUrl("https://example.org/a"); },
         {},
         1},
        {"no program is ever started",
         [](CLabel& l) { l.SetLink(true, false).SetLinkUrl("file:///bin/sh"); },
         {},
         0},
        {"no link", [](CLabel& l) { l.SetText("https://example.org/c"); }, {}, 0},
        {"link turned off with notify",
         [](CLabel& l) { l.SetLink(true, true).SetLink(false, true); },
         {},
         0},
        {"mail link turned off with notify",
         [](CLabel& l) { l.SetText("me@example.org").SetMailLink(false, true); },
         {},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        opened_.clear();
        CLabel label("text");
        label.resize(100, 20);
        c.set(label);
        std::vector<int> notifications;
        QObject::connect(&label, &CLabel::Notify,
                         [&notifications](int code) { notifications.push_back(code); });
        ClickOn(label);
        EXPECT_EQ(opened_, c.opened);
        EXPECT_EQ(notifications, std::vector<int>(c.notifications, CLabel::kClickNotification));
    }
}

}  // namespace
}  // namespace orbisk
