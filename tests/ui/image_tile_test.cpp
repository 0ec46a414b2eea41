#include "ui/image_tile.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <string>

#include "core/bitmap_resources.h"
#include "core/branding_data.h"
#include "core/link_opener.h"
#include "platform/window_messages.h"
#include "tests/support/hostile_images.h"
#include "tests/support/temp_dir.h"

#include <sys/resource.h>

namespace orbisk {
namespace {

using platform::WindowMessageEvent;
using platform::WM_TILE_CLICKED;

TEST(ImageTileFitTest, PictureKeepsTheAspectAndIsNeverEmpty) {
    struct Case {
        IntRect rect;
        int fileW, fileH;
        IntRect expected;
    };
    const Case cases[] = {
        // w/W = 0.0325 < h/H = 0.0333: the width is fitted, d = 48.
        {{0, 0, 130, 100}, 4000, 3000, {2, 3, 128, 97}},
        // Relatively taller: the height is fitted, d = 37 around cx = 75.
        {{10, 20, 140, 120}, 3000, 4000, {39, 22, 111, 118}},
        // Slivers still get one pixel across.
        {{0, 0, 130, 100}, 1, 4000, {66, 2, 67, 98}},
        {{0, 0, 130, 100}, 4000, 1, {2, 51, 128, 52}},
        // Nothing to fit into, or nothing to fit.
        {{0, 0, 0, 100}, 4000, 3000, {}},
        {{0, 0, 130, -5}, 4000, 3000, {}},
        {{0, 0, 130, 100}, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fileW << "x" << c.fileH);
        const IntRect fit = CImageTile::FitPicture(c.rect, c.fileW, c.fileH);
        EXPECT_EQ(fit, c.expected)
            << fit.left << "," << fit.top << "," << fit.right << "," << fit.bottom;
    }
    const IntRect fit = CImageTile::FitPicture({0, 0, 130, 100}, 4000, 3000);
    EXPECT_EQ(fit.Width(), 126);
    EXPECT_EQ(fit.Height(), 94);
}

// An owner window that records the messages its tiles post.
class Owner : public QWidget {
  public:
    struct Message {
        int message;
        qintptr wParam, lParam;
        bool operator==(const Message&) const = default;
    };
    std::vector<Message> messages;

  protected:
    bool event(QEvent* e) override {
        if (e->type() == WindowMessageEvent::Type()) {
            auto* m = static_cast<WindowMessageEvent*>(e);
            messages.push_back({m->Message(), m->WParam(), m->LParam()});
            return true;
        }
        return QWidget::event(e);
    }
};

QString WriteImage(const test::TempDir& dir, const QString& name, int w, int h) {
    // Left half red, right half blue.
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(Qt::red);
    QPainter(&image).fillRect(w / 2, 0, w - w / 2, h, Qt::blue);
    const QString path = dir.File(name);
    EXPECT_TRUE(image.save(path));
    return path;
}

class ImageTileTest : public testing::Test {
  protected:
    void SetUp() override {
        owner_.resize(400, 300);
        previous_ = SetUrlOpener([this](const QUrl& url) {
            opened_.push_back(url);
            return true;
        });
        tile_.Init(WM_TILE_CLICKED, 3, 0, 0, 130, 100, &owner_, true);
    }
    void TearDown() override { SetUrlOpener(previous_); }

    std::vector<Owner::Message> Posted() {
        QApplication::sendPostedEvents(&owner_);
        return std::exchange(owner_.messages, {});
    }

    test::TempDir dir_;
    Owner owner_;
    CImageTile tile_{3};
    UrlOpener previous_;
    std::vector<QUrl> opened_;
};

TEST_F(ImageTileTest, LoadScalesTheFileIntoTheTile) {
    const QString path = WriteImage(dir_, "page.jpg", 800, 600);
    ASSERT_TRUE(tile_.LoadImageFile(path));
    EXPECT_EQ(tile_.GetPath(), path);
    ASSERT_EQ(tile_.Picture().size(), QSize(126, 94));
    const QColor left = tile_.Picture().pixelColor(10, 47),
                 right = tile_.Picture().pixelColor(115, 47);
    EXPECT_GT(left.red(), 200);
    EXPECT_LT(left.blue(), 60);
    EXPECT_GT(right.blue(), 200);
    EXPECT_LT(right.red(), 60);

    // Painted unscaled, centred one pixel down-right, inside the grey frame.
    QImage screen(200, 150, QImage::Format_RGB32);
    screen.fill(Qt::white);
    QPainter painter(&screen);
    tile_.Paint(painter);
    painter.end();
    const QPoint topLeft(65 - 63 + 1, 50 - 47 + 1);
    EXPECT_EQ(screen.pixel(topLeft), tile_.Picture().pixel(0, 0));
    EXPECT_EQ(screen.pixel(0, 50), qRgb(128, 128, 128));
    EXPECT_EQ(screen.pixel(130, 50), qRgb(128, 128, 128));
}

// A black-and-white page of one bit a pixel: the top left quarter black,
// the bottom half of one-pixel stripes, the rest white. `blackIndex` is the
// colour-table entry of black.
QImage BilevelPage(QImage::Format format, int blackIndex) {
    QImage page(1300, 1000, format);
    page.setColorCount(2);
    page.setColor(blackIndex, qRgb(0, 0, 0));
    page.setColor(1 - blackIndex, qRgb(255, 255, 255));
    page.fill(1 - blackIndex);
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const bool black = y < 500 ? x < 650 : y % 2 == 0;
            if (black) page.setPixel(x, y, blackIndex);
        }
    }
    return page;
}

struct BilevelCase {
    const char* name;
    QImage::Format format;
    int blackIndex;
    const char* file;
};

void PrintTo(const BilevelCase& c, std::ostream* os) { *os << c.name; }

class BilevelTileTest : public ImageTileTest, public testing::WithParamInterface<BilevelCase> {};

TEST_P(BilevelTileTest, AveragesThePageIntoTheTile) {
    const BilevelCase& c = GetParam();
    const QString path = dir_.File(c.file);
    ASSERT_TRUE(BilevelPage(c.format, c.blackIndex).save(path));
    ASSERT_TRUE(tile_.LoadImageFile(path));
    const QImage& picture = tile_.Picture();
    ASSERT_EQ(picture.size(), QSize(126, 98));
    const auto grey = [&](int x, int y) { return qGray(picture.pixel(x, y)); };
    EXPECT_EQ(grey(20, 20), 0);
    EXPECT_EQ(grey(100, 20), 255);
    // Stripes thinner than a tile pixel come out as the grey of their mix.
    EXPECT_NEAR(grey(30, 80), 128, 8);
    EXPECT_NEAR(grey(100, 80), 128, 8);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BilevelTileTest,
    testing::Values(BilevelCase{"TiffBlackFirst", QImage::Format_Mono, 0, "page.tif"},
                    BilevelCase{"TiffWhiteFirst", QImage::Format_Mono, 1, "page.tif"},
                    BilevelCase{"PngLeastSignificantBitFirst", QImage::Format_MonoLSB, 0,
                                "page.png"},
                    BilevelCase{"BmpWhiteFirst", QImage::Format_Mono, 1, "page.bmp"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImageTileTest, ExtremeAspectStillGivesAPicture) {
    ASSERT_TRUE(tile_.LoadImageFile(WriteImage(dir_, "sliver.png", 1, 4000)));
    EXPECT_EQ(tile_.Picture().size(), QSize(1, 96));
}

TEST_F(ImageTileTest, FailedLoadLeavesAnEmptyTileWithoutPath) {
    const QString good = WriteImage(dir_, "good.png", 40, 30);
    struct Case {
        const char* name;
        QString path;
        IntRect rect;
    };
    const Case cases[] = {
        {"missing file", dir_.File("missing.jpg"), {0, 0, 130, 100}},
        {"not an image", dir_.File("text.jpg"), {0, 0, 130, 100}},
        {"tile without area", good, {0, 0, 130, 0}},
        // What the header promises is checked before anything decodes it.
        {"text chunk claiming two gigabytes", dir_.File("text.png"), {0, 0, 130, 100}},
        {"four hundred megapixels", dir_.File("huge.png"), {0, 0, 130, 100}},
    };
    ASSERT_TRUE(test::WriteBytes(dir_.File("text.jpg"), "not a picture"));
    ASSERT_TRUE(test::WriteBytes(dir_.File("text.png"), test::PngWithAHugeTextChunk()));
    ASSERT_TRUE(test::WriteBytes(dir_.File("huge.png"), test::BlackPng(20000, 20000)));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long peakBefore = usage.ru_maxrss;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tile_.SetRect(0, 0, 130, 100);
        ASSERT_TRUE(tile_.LoadImageFile(good));
        tile_.SetRect(c.rect.left, c.rect.top, c.rect.right, c.rect.bottom);
        EXPECT_FALSE(tile_.LoadImageFile(c.path));
        EXPECT_TRUE(tile_.Picture().isNull());
        EXPECT_TRUE(tile_.GetPath().isEmpty()) << "a stale path would pass for the tile's content";
    }
    getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT((usage.ru_maxrss - peakBefore) / 1024, 200) << "megabytes the decoders took on";
    // The empty tile still paints its outline and ignores clicks.
    tile_.SetRect(0, 0, 130, 100);
    QImage screen(200, 150, QImage::Format_RGB32);
    screen.fill(Qt::white);
    QPainter painter(&screen);
    tile_.Paint(painter);
    painter.end();
    EXPECT_EQ(screen.pixel(0, 50), qRgb(128, 128, 128));
    EXPECT_EQ(screen.pixel(65, 50), qRgb(255, 255, 255));
    EXPECT_FALSE(tile_.OnLButtonDown(0, 10, 10));
}

TEST_F(ImageTileTest, ClicksArePostedToTheOwnerAndOpenTheFile) {
    const QString path = WriteImage(dir_, "page.png", 40, 30);
    ASSERT_TRUE(tile_.LoadImageFile(path));

    tile_.OnMouseMove(0, 50, 50);
    EXPECT_TRUE(tile_.IsHover());
    EXPECT_TRUE(tile_.OnLButtonDown(0, 50, 50));
    EXPECT_TRUE(tile_.OnLButtonUp(0, 51, 50));
    EXPECT_FALSE(tile_.IsHover() || tile_.IsPressed());
    EXPECT_EQ(Posted(), (std::vector<Owner::Message>{{WM_TILE_CLICKED, 3, 1}}));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], QUrl::fromLocalFile(path));

    EXPECT_TRUE(tile_.OnRButtonDown(0, 129, 99));
    EXPECT_FALSE(tile_.OnRButtonDown(0, 130, 99)) << "right and bottom edges are outside";
    EXPECT_EQ(Posted(), (std::vector<Owner::Message>{{WM_TILE_CLICKED, 3, 2}}));

    // Pressing, moving out and releasing outside cancels the click.
    EXPECT_TRUE(tile_.OnLButtonDown(0, 50, 50));
    tile_.OnMouseMove(0, 200, 50);
    EXPECT_FALSE(tile_.OnLButtonUp(0, 200, 50));
    EXPECT_FALSE(tile_.IsHover() || tile_.IsPressed());
    EXPECT_TRUE(Posted().empty());
    EXPECT_EQ(opened_.size(), 1u);
}

TEST_F(ImageTileTest, TilesWithoutContentOrIndexIgnoreTheMouse) {
    const QString path = WriteImage(dir_, "page.png", 40, 30);
    CLogoTile logo;
    logo.Init(WM_TILE_CLICKED, -1, 0, 0, 130, 100, &owner_, false);
    ASSERT_TRUE(logo.LoadImageFile(path));
    CImageTile placeholder(1);
    placeholder.Init(WM_TILE_CLICKED, 1, 0, 0, 130, 100, &owner_, true);
    ASSERT_TRUE(placeholder.SetBitmap(kEmptyPictureBitmap));
    CImageTile empty(2);
    empty.Init(WM_TILE_CLICKED, 2, 0, 0, 130, 100, &owner_, true);

    for (CImageTile* tile : {static_cast<CImageTile*>(&logo), &placeholder, &empty}) {
        tile->OnMouseMove(0, 50, 50);
        EXPECT_FALSE(tile->IsHover());
        EXPECT_FALSE(tile->OnRButtonDown(0, 50, 50));
        tile->OnLButtonDown(0, 50, 50);
        EXPECT_FALSE(tile->OnLButtonUp(0, 50, 50));
    }
    EXPECT_FALSE(logo.IsPressed());
    EXPECT_TRUE(Posted().empty());
    EXPECT_TRUE(opened_.empty());
}

TEST_F(ImageTileTest, PlaceholdersHaveTheirOwnSizeAndKeepThePath) {
    tile_.SetPath("/somewhere/text.txt");
    ASSERT_TRUE(tile_.SetBitmap(kEmptyPictureBitmap));
    EXPECT_EQ(tile_.Picture().size(), QSize(129, 146));
    ASSERT_TRUE(tile_.SetBitmap(kTextPageBitmap));
    EXPECT_EQ(tile_.Picture().size(), QSize(115, 146));
    EXPECT_EQ(tile_.GetPath(), "/somewhere/text.txt");
    EXPECT_FALSE(tile_.SetBitmap(4242));
    EXPECT_TRUE(tile_.Picture().isNull());
}

TEST_F(ImageTileTest, PageNumberIsWrittenIntoThePicture) {
    QImage plain(60, 40, QImage::Format_RGB888);
    plain.fill(Qt::white);
    RegisterBitmapResource(9201, plain);
    tile_.Init(WM_TILE_CLICKED, 0, 0, 0, 200, 200, &owner_, false);
    ASSERT_TRUE(tile_.SetBitmap(9201));
    QImage screen(220, 220, QImage::Format_RGB32);
    QPainter painter(&screen);
    tile_.Paint(painter);
    EXPECT_EQ(tile_.Picture(), plain.convertToFormat(tile_.Picture().format())) << "no number";
    tile_.m_nNumber = 0;
    tile_.Paint(painter);
    painter.end();
    const QImage corner = tile_.Picture().copy(0, 0, 12, 16);
    bool dark = false;
    for (int y = 0; y < corner.height(); ++y) {
        for (int x = 0; x < corner.width(); ++x) {
            dark = dark || qGray(corner.pixel(x, y)) < 100;
        }
    }
    EXPECT_TRUE(dark) << "\"1\" in the top-left corner";
    RegisterBitmapResource(9201, QImage());
}

TEST_F(ImageTileTest, HoverAndPressedOutlines) {
    ASSERT_TRUE(tile_.LoadImageFile(WriteImage(dir_, "page.png", 40, 30)));
    auto paint = [&] {
        QImage screen(200, 150, QImage::Format_RGB32);
        screen.fill(qRgb(50, 50, 50));
        QPainter painter(&screen);
        tile_.Paint(painter);
        return screen;
    };
    tile_.OnMouseMove(0, 50, 50);
    QImage hover = paint();
    EXPECT_EQ(hover.pixel(0, 50), qRgb(255, 255, 255));
    EXPECT_EQ(hover.pixel(65, 0), qRgb(255, 255, 255));
    EXPECT_EQ(hover.pixel(130, 50), qRgb(0, 0, 0));
    EXPECT_EQ(hover.pixel(65, 100), qRgb(0, 0, 0));
    tile_.OnLButtonDown(0, 50, 50);
    QImage pressed = paint();
    EXPECT_EQ(pressed.pixel(0, 50), qRgb(0, 0, 0));
    EXPECT_EQ(pressed.pixel(130, 50), qRgb(255, 255, 255));
}

TEST_F(ImageTileTest, LogoOpensOnlyWebAndMailLinks) {
    CLogoTile logo;
    logo.Init(WM_TILE_CLICKED, -1, 10, 10, 110, 60, &owner_, false);
    const QString saved = TheBrandingData().link;
    struct Case {
        QString link;
        bool opened;
    };
    const Case cases[] = {{"https://example.org/", true},
                          {"mailto:desk@example.org", true},
                          {"file:///bin/sh", false},
                          {"/usr/bin/xterm", false},
                          {"", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link.toStdString());
        opened_.clear();
        TheBrandingData().link = c.link;
        EXPECT_TRUE(logo.OpenLinkIfHit(0, 10, 10));
        EXPECT_EQ(opened_.size(), c.opened ? 1u : 0u);
        EXPECT_FALSE(logo.OpenLinkIfHit(0, 110, 30));
        EXPECT_EQ(opened_.size(), c.opened ? 1u : 0u);
    }
    TheBrandingData().link = saved;
    EXPECT_TRUE(logo.OnSetCursor(0, 50, 30));
    EXPECT_FALSE(logo.OnSetCursor(0, 5, 5));
}

}  // namespace
}  // namespace orbisk
