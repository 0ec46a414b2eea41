#include "documents/image_merge.h"

#include <gtest/gtest.h>

#include <QFile>
#include <opencv2/imgcodecs.hpp>

#include <string>

#include "documents/image_saver.h"
#include "tests/support/outside_tool.h"
#include "tests/support/temp_dir.h"

namespace orbisk {
namespace {

using test::RunOutsideTool;
using test::TempDir;

using test::Encoded;

// Pixels of the canvas that are not white.
int Marked(const cv::Mat& region) {
    cv::Mat grey = region;
    if (region.channels() == 3) {
        cv::extractChannel(region, grey, 0);
    }
    return cv::countNonZero(grey != 255);
}

TEST(MergeImagePairTest, StackedLeavesWhiteBesideTheNarrowerImage) {
    const cv::Mat a(50, 100, CV_8UC3, cv::Scalar(10, 20, 30));
    const cv::Mat b(80, 60, CV_8UC3, cv::Scalar(200, 100, 0));
    const cv::Mat merged = MergeImagePair(a, b, true, 0, 0);
    ASSERT_EQ(merged.size(), cv::Size(100, 130));
    ASSERT_EQ(merged.type(), CV_8UC3);
    EXPECT_EQ(merged.at<cv::Vec3b>(0, 0), cv::Vec3b(10, 20, 30));
    EXPECT_EQ(merged.at<cv::Vec3b>(49, 99), cv::Vec3b(10, 20, 30));
    EXPECT_EQ(merged.at<cv::Vec3b>(50, 0), cv::Vec3b(200, 100, 0));
    EXPECT_EQ(merged.at<cv::Vec3b>(129, 59), cv::Vec3b(200, 100, 0));
    const cv::Mat right = merged(cv::Rect(60, 50, 40, 80));
    EXPECT_EQ(cv::countNonZero(right.reshape(1) != 255), 0) << "white right of the lower image";
}

TEST(MergeImagePairTest, SideBySideWithAGapLeavesWhiteBetweenAndBelow) {
    const cv::Mat a(50, 100, CV_8UC3, cv::Scalar(0, 0, 0));
    const cv::Mat b(80, 60, CV_8UC3, cv::Scalar(0, 0, 0));
    const cv::Mat merged = MergeImagePair(a, b, false, 0, 10);
    ASSERT_EQ(merged.size(), cv::Size(170, 80));
    EXPECT_EQ(Marked(merged(cv::Rect(0, 0, 100, 50))), 100 * 50);
    EXPECT_EQ(Marked(merged(cv::Rect(100, 0, 10, 80))), 0) << "the gap";
    EXPECT_EQ(Marked(merged(cv::Rect(0, 50, 100, 30))), 0) << "below the lower image";
    EXPECT_EQ(Marked(merged(cv::Rect(110, 0, 60, 80))), 60 * 80);
    EXPECT_EQ(MergeImagePair(a, b, false, 0, -5).size(), cv::Size(160, 80)) << "negative gap";
}

TEST(MergeImagePairTest, GreyAndBlackAndWhiteGiveOneChannel) {
    cv::Mat a(40, 40, CV_8UC3, cv::Scalar(255, 255, 255));
    a(cv::Rect(0, 0, 20, 40)).setTo(cv::Scalar(30, 30, 30));
    const cv::Mat b(40, 40, CV_8UC3, cv::Scalar(90, 90, 90));
    const cv::Mat grey = MergeImagePair(a, b, true, 1, 0);
    ASSERT_EQ(grey.type(), CV_8UC1);
    EXPECT_EQ(grey.at<uchar>(0, 0), 30);
    EXPECT_EQ(grey.at<uchar>(50, 0), 90);
    const cv::Mat bilevel = MergeImagePair(a, b, true, 2, 0);
    ASSERT_EQ(bilevel.type(), CV_8UC1);
    EXPECT_EQ(bilevel.at<uchar>(0, 0), 0);
    EXPECT_EQ(bilevel.at<uchar>(0, 30), 255);
}

TEST(MergeImagePairTest, EmptyInputGivesNothing) {
    const cv::Mat a(10, 10, CV_8UC3, cv::Scalar::all(0));
    EXPECT_TRUE(MergeImagePair(a, cv::Mat(), true, 0, 0).empty());
    EXPECT_TRUE(MergeImagePair(cv::Mat(), a, false, 0, 0).empty());
}

class SaverMergeTest : public testing::Test {
  protected:
    QString Write(const QString& name, int width, int height, cv::Scalar colour) {
        const QString path = dir_.File(name);
        EXPECT_TRUE(cv::imwrite(Encoded(path), cv::Mat(height, width, CV_8UC3, colour)));
        return path;
    }
    CImageSaver Saver(int colourMode) {
        CImageSaver saver(0);
        SysSettings settings;
        settings.COLOR = colourMode;
        saver.SetSettings(settings);
        return saver;
    }

    TempDir dir_;
};

TEST_F(SaverMergeTest, OrientationChoosesStackedOrSideBySide) {
    const QString a = Write("a.png", 100, 50, cv::Scalar(0, 0, 0));
    const QString b = Write("b.png", 60, 80, cv::Scalar(0, 0, 0));
    CImageSaver saver = Saver(0);
    const QString stacked = saver.MergeImages(a, b, dir_.File("stacked"), 1, 0);
    EXPECT_EQ(stacked, dir_.File("stacked.jpg"));
    EXPECT_EQ(cv::imread(Encoded(stacked)).size(), cv::Size(100, 130));
    const QString sideBySide = saver.MergeImages(a, b, dir_.File("side"), 0, 0);
    EXPECT_EQ(cv::imread(Encoded(sideBySide)).size(), cv::Size(160, 80));
}

TEST_F(SaverMergeTest, BlackAndWhiteGivesAGroup4Tiff) {
    const QString a = Write("a.png", 100, 50, cv::Scalar(0, 0, 0));
    const QString b = Write("b.png", 60, 80, cv::Scalar(255, 255, 255));
    const QString merged = Saver(2).MergeTopBottom(a, b, dir_.File("bw"), 2, 0);
    ASSERT_EQ(merged, dir_.File("bw.tif"));
    const auto run = RunOutsideTool("tiffinfo", {merged});
    ASSERT_TRUE(run.started) << "tiffinfo (libtiff-tools) is missing";
    EXPECT_TRUE(run.output.contains("CCITT Group 4")) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains("Image Length: 130")) << run.output.toStdString();
}

TEST_F(SaverMergeTest, GreyGivesAOneChannelJpeg) {
    const QString a = Write("a.png", 100, 50, cv::Scalar(0, 0, 0));
    const QString b = Write("b.png", 60, 80, cv::Scalar(0, 0, 0));
    const QString merged = Saver(1).MergeLeftRight(a, b, dir_.File("grey"), 1, 0);
    ASSERT_EQ(merged, dir_.File("grey.jpg"));
    const cv::Mat read = cv::imread(Encoded(merged), cv::IMREAD_UNCHANGED);
    EXPECT_EQ(read.channels(), 1);
    EXPECT_EQ(read.size(), cv::Size(160, 80));
}

TEST_F(SaverMergeTest, UnreadableOrMissingInputsWriteNothing) {
    const QString a = Write("a.png", 100, 50, cv::Scalar(0, 0, 0));
    CImageSaver saver = Saver(0);
    EXPECT_TRUE(saver.MergeImages(a, dir_.File("missing.jpg"), dir_.File("m"), 1, 0).isEmpty());
    EXPECT_TRUE(saver.MergeImages(a, QString(), dir_.File("m"), 1, 0).isEmpty());
    EXPECT_TRUE(saver.MergeImages(a, a, QString(), 1, 0).isEmpty());
    EXPECT_FALSE(QFile::exists(dir_.File("m.jpg")));
}

}  // namespace
}  // namespace orbisk
