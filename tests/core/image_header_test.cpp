#include "core/image_header.h"

#include "core/image_loader.h"
#include "tests/support/hostile_images.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QImage>

#include <sys/stat.h>

#include <optional>

namespace orbisk {
namespace {

class PageImageSizeTest : public testing::Test {
  protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.File(name);
        EXPECT_TRUE(test::WriteBytes(path, bytes));
        return path;
    }
    QString Save(const QString& name, int width, int height) {
        const QString path = dir_.File(name);
        QImage image(width, height, QImage::Format_RGB888);
        image.fill(Qt::gray);
        EXPECT_TRUE(image.save(path));
        return path;
    }
    test::TempDir dir_;
};

TEST_F(PageImageSizeTest, TellsTheDeclaredSizeOfEveryPageFormat) {
    for (const char* name : {"page.png", "page.jpg", "page.bmp", "page.tif"}) {
        EXPECT_EQ(PageImageSize(Save(name, 40, 30)), QSize(40, 30)) << name;
    }
    EXPECT_EQ(PageImageSize(Write("big.png", test::BlackPng(8000, 8000))), QSize(8000, 8000));
}

TEST_F(PageImageSizeTest, RefusesWhatWouldMakeTheDecoderAllocateTooMuch) {
    // One pixel over the bound, and far over it.
    EXPECT_FALSE(PageImageSize(Write("over.png", test::BlackPng(8001, 8000))));
    EXPECT_FALSE(PageImageSize(Write("huge.png", test::BlackPng(20000, 20000))));
    // A chunk that claims more bytes than the file holds.
    EXPECT_FALSE(PageImageSize(Write("text.png", test::PngWithAHugeTextChunk())));
    const QByteArray whole = test::BlackPng(100, 100);
    EXPECT_FALSE(PageImageSize(Write("cut.png", whole.left(whole.size() - 20))));
}

TEST_F(PageImageSizeTest, RefusesWhatIsNoImageFile) {
    EXPECT_FALSE(PageImageSize(dir_.File("missing.png")));
    EXPECT_FALSE(PageImageSize(Write("text.jpg", "not an image")));
    EXPECT_FALSE(PageImageSize(Write("empty.png", QByteArray())));
    EXPECT_FALSE(PageImageSize(dir_.Path()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir_.File("pipe.png")).constData(), 0600), 0);
    EXPECT_FALSE(PageImageSize(dir_.File("pipe.png"))) << "and does not wait for a writer";
}

TEST_F(PageImageSizeTest, TheLoaderDecodesNoPageOverTheBound) {
    EXPECT_TRUE(CImageLoader::LoadBgr(Write("over.png", test::BlackPng(8001, 8000))).empty());
    EXPECT_EQ(CImageLoader::LoadBgr(Write("under.png", test::BlackPng(20, 10))).size(),
              cv::Size(20, 10));
}

}  // namespace
}  // namespace orbisk
