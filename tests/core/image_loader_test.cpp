#include "core/image_loader.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

TEST(ImageLoaderTest, TwentyFourBitsKeepBlueGreenRedOrder) {
    QImage image(2, 1, QImage::Format_RGB888);
    image.setPixelColor(0, 0, QColor(255, 0, 0));  // red
    image.setPixelColor(1, 0, QColor(0, 0, 255));  // blue
    const cv::Mat mat = CImageLoader::ImageToMat(image);
    ASSERT_EQ(mat.type(), CV_8UC3);
    EXPECT_EQ(mat.at<cv::Vec3b>(0, 0), cv::Vec3b(0, 0, 255));
    EXPECT_EQ(mat.at<cv::Vec3b>(0, 1), cv::Vec3b(255, 0, 0));
}

TEST(ImageLoaderTest, EightBitsGiveIndexesNotPaletteColours) {
    QImage image(3, 2, QImage::Format_Indexed8);
    image.setColorTable({qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)});
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) image.setPixel(x, y, uint((x + y) % 3));
    const cv::Mat mat = CImageLoader::ImageToMat(image);
    ASSERT_EQ(mat.type(), CV_8UC1);
    EXPECT_EQ(mat.at<uchar>(1, 2), 0);
    EXPECT_EQ(mat.at<uchar>(1, 0), 1);
    EXPECT_EQ(mat.at<uchar>(0, 2), 2);
}

TEST(ImageLoaderTest, OneBitRowOfTenPixelsUsesTheSecondByte) {
    QImage image(10, 1, QImage::Format_Mono);
    uchar* bits = image.scanLine(0);
    bits[0] = 0b10100000;
    bits[1] = 0b01000000;  // pixel 8 clear, pixel 9 set
    const cv::Mat mat = CImageLoader::ImageToMat(image);
    ASSERT_EQ(mat.cols, 10);
    const std::vector<uchar> expected = {255, 0, 255, 0, 0, 0, 0, 0, 0, 255};
    EXPECT_EQ(std::vector<uchar>(mat.ptr(0), mat.ptr(0) + 10), expected);
}

TEST(ImageLoaderTest, OtherDepthsAndNullGiveEmpty) {
    EXPECT_TRUE(CImageLoader::ImageToMat(QImage()).empty());
    EXPECT_TRUE(CImageLoader::ImageToMat(QImage(4, 4, QImage::Format_ARGB32)).empty());
    EXPECT_TRUE(CImageLoader::ImageToMat(QImage(4, 4, QImage::Format_RGB16)).empty());
}

TEST(ImageLoaderTest, LoadBgrGivesThreeChannelsFromNonAsciiPath) {
    test::TempDir dir;
    const QString path = dir.File(QString::fromUtf8("扫描 1.png"));
    QImage grey(4, 3, QImage::Format_Grayscale8);
    grey.fill(200);
    ASSERT_TRUE(grey.save(path));
    const cv::Mat mat = CImageLoader::LoadBgr(path);
    ASSERT_EQ(mat.type(), CV_8UC3);
    EXPECT_EQ(mat.at<cv::Vec3b>(2, 3), cv::Vec3b(200, 200, 200));
    EXPECT_TRUE(CImageLoader::LoadBgr(QString()).empty());
    EXPECT_TRUE(CImageLoader::LoadBgr(dir.File("missing.png")).empty());
}

}  // namespace
}  // namespace orbisk
