#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <tiffio.h>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "documents/bilevel_tiff_writer.h"
#include "documents/tiff_writer.h"
#include "tests/support/colour_bands.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace orbisk {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// What a TIFF reader sees in one directory.
struct Directory {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t samples = 0;
    std::uint16_t compression = 0;
    std::uint16_t photometric = 0;
    float xResolution = 0;
    float yResolution = 0;
    std::optional<std::uint32_t> subfileType;
    std::optional<std::pair<std::uint16_t, std::uint16_t>> pageNumber;
    cv::Mat pixels;  // BGR, as libtiff renders the page
};

std::vector<Directory> ReadTiff(const QString& path) {
    std::vector<Directory> directories;
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (tif == nullptr) {
        return directories;
    }
    do {
        Directory d;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &d.width);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &d.height);
        TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &d.bitsPerSample);
        TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &d.samples);
        TIFFGetField(tif, TIFFTAG_COMPRESSION, &d.compression);
        TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &d.photometric);
        TIFFGetField(tif, TIFFTAG_XRESOLUTION, &d.xResolution);
        TIFFGetField(tif, TIFFTAG_YRESOLUTION, &d.yResolution);
        std::uint32_t subfile = 0;
        if (TIFFGetField(tif, TIFFTAG_SUBFILETYPE, &subfile) && subfile != 0) {
            d.subfileType = subfile;
        }
        std::uint16_t page = 0;
        std::uint16_t total = 0;
        if (TIFFGetField(tif, TIFFTAG_PAGENUMBER, &page, &total)) {
            d.pageNumber = std::make_pair(page, total);
        }
        std::vector<std::uint32_t> raster(static_cast<std::size_t>(d.width) * d.height);
        if (TIFFReadRGBAImageOriented(tif, d.width, d.height, raster.data(), ORIENTATION_TOPLEFT,
                                      0)) {
            d.pixels.create(static_cast<int>(d.height), static_cast<int>(d.width), CV_8UC3);
            for (std::size_t i = 0; i < raster.size(); ++i) {
                d.pixels.at<cv::Vec3b>(static_cast<int>(i)) = {
                    static_cast<uchar>(TIFFGetB(raster[i])),
                    static_cast<uchar>(TIFFGetG(raster[i])),
                    static_cast<uchar>(TIFFGetR(raster[i]))};
            }
        }
        directories.push_back(std::move(d));
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return directories;
}

// Blue, green and red bands from left to right.
cv::Mat ColourPage() {
    cv::Mat page(48, 96, CV_8UC3, cv::Scalar(255, 0, 0));
    page.colRange(32, 64).setTo(cv::Scalar(0, 255, 0));
    page.colRange(64, 96).setTo(cv::Scalar(0, 0, 255));
    return page;
}

cv::Mat GreyPage() {
    cv::Mat page(40, 80, CV_8UC1, cv::Scalar(200));
    page.colRange(0, 40).setTo(60);
    return page;
}

// Black left half, white right half.
cv::Mat BilevelPage() {
    cv::Mat page(30, 70, CV_8UC1, cv::Scalar(255));
    page.colRange(0, 35).setTo(0);
    return page;
}

// The bands of ColourPage, at mid-height.
void ExpectColourBands(const cv::Mat& pixels) {
    test::ExpectColourBands(pixels, {.blue = {16, 24}, .green = {48, 24}, .red = {80, 24}}, 220,
                            40);
}

TEST(BilevelTiffWriterTest, PageIsGroup4WithWidthRoundedUpThresholdAndPageTags) {
    // Column 0 holds 124 (black), column 1 holds 125 (white), the last column
    // 0 (black); everything else is white. 1001 columns are stored as 1008.
    cv::Mat page(5, 1001, CV_8UC1, cv::Scalar(255));
    page.col(0).setTo(124);
    page.col(1).setTo(125);
    page.col(1000).setTo(0);

    TempDir dir;
    CBilevelTiffWriter writer;
    writer.SetPath(dir.File("page.tif"));
    ASSERT_TRUE(writer.SetResolution(300, 200));
    ASSERT_EQ(writer.AddPage(page), 0);

    const std::vector<Directory> dirs = ReadTiff(dir.File("page.tif"));
    ASSERT_EQ(dirs.size(), 1u);
    const Directory& d = dirs[0];
    EXPECT_EQ(d.width, 1008u);
    EXPECT_EQ(d.height, 5u);
    EXPECT_EQ(d.bitsPerSample, 1);
    EXPECT_EQ(d.samples, 1);
    EXPECT_EQ(d.compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(d.photometric, PHOTOMETRIC_MINISWHITE);
    EXPECT_FLOAT_EQ(d.xResolution, 300);
    EXPECT_FLOAT_EQ(d.yResolution, 200);
    EXPECT_EQ(d.subfileType, std::optional<std::uint32_t>(FILETYPE_PAGE));
    EXPECT_EQ(d.pageNumber, std::make_optional(std::make_pair<std::uint16_t, std::uint16_t>(0, 1)));

    ASSERT_EQ(d.pixels.cols, 1008);
    cv::Mat expected(5, 1008, CV_8UC3, cv::Scalar::all(255));
    expected.col(0).setTo(cv::Scalar::all(0));
    expected.col(1000).setTo(cv::Scalar::all(0));
    EXPECT_EQ(cv::norm(d.pixels, expected, cv::NORM_INF), 0) << "padding columns read as white";
}

TEST(BilevelTiffWriterTest, EveryPageAddedRewritesTheFileWithAllPages) {
    TempDir dir;
    CBilevelTiffWriter writer;
    writer.SetPath(dir.File("pages.tif"));
    ASSERT_EQ(writer.AddPage(BilevelPage()), 0);
    ASSERT_EQ(writer.AddPage(BilevelPage()), 0);
    const std::vector<Directory> dirs = ReadTiff(dir.File("pages.tif"));
    ASSERT_EQ(dirs.size(), 2u);
    EXPECT_EQ(dirs[0].subfileType, std::optional<std::uint32_t>(FILETYPE_PAGE));
    EXPECT_EQ(dirs[0].pageNumber,
              std::make_optional(std::make_pair<std::uint16_t, std::uint16_t>(0, 2)));
    EXPECT_FALSE(dirs[1].subfileType.has_value());
    EXPECT_EQ(dirs[1].pageNumber,
              std::make_optional(std::make_pair<std::uint16_t, std::uint16_t>(1, 2)));
    EXPECT_FLOAT_EQ(dirs[1].xResolution, 96) << "the resolution at construction";
}

TEST(BilevelTiffWriterTest, FailuresAreReportedByTheirCodes) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir.File("file"), "a regular file"));
    CBilevelTiffWriter writer;
    EXPECT_FALSE(writer.SetResolution(0, 300));
    EXPECT_FALSE(writer.SetResolution(300, -1));
    writer.SetPath(dir.File("page.tif"));
    EXPECT_EQ(writer.AddPage(cv::Mat()), 1) << "empty page";
    EXPECT_FALSE(QFile::exists(dir.File("page.tif")));

    writer.SetPath(dir.File("file/page.tif"));
    EXPECT_EQ(writer.AddPage(BilevelPage()), 2) << "the file cannot be created";
    // The refused page stayed in the list: the next file holds it as well.
    writer.SetPath(dir.File("page.tif"));
    ASSERT_EQ(writer.AddPage(BilevelPage()), 0);
    EXPECT_EQ(ReadTiff(dir.File("page.tif")).size(), 2u);
}

TEST(TiffWriterTest, WritePageCountsUpToThePageTotal) {
    TempDir dir;
    const QString path = dir.File("batch.tif");
    CTiffWriter writer;
    writer.SetResolution(300, 150);
    ASSERT_TRUE(writer.Open(path, 2));
    EXPECT_FALSE(writer.Open(path, 2)) << "already open";
    EXPECT_TRUE(writer.WritePage(ColourPage(), kTiffColourPage));
    EXPECT_TRUE(writer.WritePage(GreyPage(), kTiffGreyPage));
    EXPECT_FALSE(writer.WritePage(BilevelPage(), kTiffBilevelPage)) << "page total reached";
    writer.Close();
    writer.Close();  // nothing open: nothing happens

    const std::vector<Directory> dirs = ReadTiff(path);
    ASSERT_EQ(dirs.size(), 2u);
    EXPECT_EQ(dirs[0].subfileType, std::optional<std::uint32_t>(FILETYPE_PAGE));
    EXPECT_FALSE(dirs[1].subfileType.has_value()) << "only the first directory is marked";
    EXPECT_EQ(dirs[0].pageNumber,
              std::make_optional(std::make_pair<std::uint16_t, std::uint16_t>(0, 2)));
    EXPECT_EQ(dirs[1].pageNumber,
              std::make_optional(std::make_pair<std::uint16_t, std::uint16_t>(1, 2)));
    EXPECT_FLOAT_EQ(dirs[1].xResolution, 300);
    EXPECT_FLOAT_EQ(dirs[1].yResolution, 150);
    ExpectColourBands(dirs[0].pixels);
    ASSERT_FALSE(dirs[1].pixels.empty());
    EXPECT_NEAR(dirs[1].pixels.at<cv::Vec3b>(20, 10)[0], 60, 4);
    EXPECT_NEAR(dirs[1].pixels.at<cv::Vec3b>(20, 70)[0], 200, 4);
}

// Open, then the pages appended through handles of their own, then Close: the
// file holds exactly the appended pages, the first one first.
TEST(TiffWriterTest, AppendedColourGreyAndBilevelPagesFormOneReadableFile) {
    TempDir dir;
    const QString path = dir.File("collection.tif");
    CTiffWriter writer;
    ASSERT_TRUE(writer.Open(path, 3));
    ASSERT_TRUE(writer.AppendPageToFile(path, ColourPage(), kTiffColourPage));
    ASSERT_TRUE(writer.AppendPageToFile(path, GreyPage(), kTiffGreyPage));
    ASSERT_TRUE(writer.AppendPageToFile(path, BilevelPage(), kTiffBilevelPage));
    writer.Close();

    const std::vector<Directory> dirs = ReadTiff(path);
    ASSERT_EQ(dirs.size(), 3u);
    const struct {
        std::uint16_t compression, photometric, samples, bits;
        std::uint32_t width;
    } expected[] = {{COMPRESSION_JPEG, PHOTOMETRIC_RGB, 3, 8, 96},
                    {COMPRESSION_JPEG, PHOTOMETRIC_MINISBLACK, 1, 8, 80},
                    {COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE, 1, 1, 72}};
    for (std::size_t i = 0; i < dirs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(dirs[i].compression, expected[i].compression);
        EXPECT_EQ(dirs[i].photometric, expected[i].photometric);
        EXPECT_EQ(dirs[i].samples, expected[i].samples);
        EXPECT_EQ(dirs[i].bitsPerSample, expected[i].bits);
        EXPECT_EQ(dirs[i].width, expected[i].width);
        EXPECT_FLOAT_EQ(dirs[i].xResolution, 200) << "the resolution at construction";
        EXPECT_FALSE(dirs[i].subfileType.has_value());
        EXPECT_FALSE(dirs[i].pageNumber.has_value());
        EXPECT_FALSE(dirs[i].pixels.empty());
    }
    ExpectColourBands(dirs[0].pixels);
    EXPECT_EQ(dirs[2].pixels.at<cv::Vec3b>(10, 5), cv::Vec3b(0, 0, 0));
    EXPECT_EQ(dirs[2].pixels.at<cv::Vec3b>(10, 69), cv::Vec3b(255, 255, 255));
}

TEST(TiffWriterTest, RefusedPagesChangeNothing) {
    TempDir dir;
    const QString path = dir.File("batch.tif");
    CTiffWriter writer;
    EXPECT_FALSE(writer.WritePage(ColourPage(), kTiffColourPage)) << "not open";
    ASSERT_TRUE(writer.Open(path, 2));
    EXPECT_FALSE(writer.AddPageFromFile(dir.File("missing.png"), kTiffColourPage));
    EXPECT_FALSE(writer.WritePage(cv::Mat(10, 10, CV_8UC2), kTiffColourPage));
    EXPECT_FALSE(writer.WritePage(ColourPage(), 3));
    ASSERT_TRUE(writer.WritePage(GreyPage(), kTiffGreyPage));
    writer.Close();
    const std::vector<Directory> dirs = ReadTiff(path);
    ASSERT_EQ(dirs.size(), 1u);
    EXPECT_EQ(dirs[0].pageNumber,
              std::make_optional(std::make_pair<std::uint16_t, std::uint16_t>(0, 2)));

    const QByteArray before = ReadBytes(path);
    EXPECT_FALSE(writer.AppendPageToFile(path, cv::Mat(10, 10, CV_8UC2), kTiffColourPage));
    EXPECT_FALSE(writer.AppendPageToFile(path, ColourPage(), 3));
    EXPECT_FALSE(writer.AppendPageToFile(path, cv::Mat(), kTiffGreyPage));
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_FALSE(
        writer.AppendPageToFile(dir.File("batch.tif/below.tif"), GreyPage(), kTiffGreyPage));
    EXPECT_FALSE(writer.Open(dir.File("batch.tif/below.tif"), 1));
}

TEST(TiffWriterTest, PageFromFileIsReadInColour) {
    TempDir dir;
    const QString source = dir.File("source.png");
    ASSERT_TRUE(cv::imwrite(QFile::encodeName(source).toStdString(), ColourPage()));
    const QString path = dir.File("batch.tif");
    CTiffWriter writer;
    ASSERT_TRUE(writer.Open(path, 1));
    ASSERT_TRUE(writer.AddPageFromFile(source, kTiffColourPage));
    writer.Close();
    const std::vector<Directory> dirs = ReadTiff(path);
    ASSERT_EQ(dirs.size(), 1u);
    ExpectColourBands(dirs[0].pixels);
}

TEST(TiffWriterTest, JpegQualityBelow25Becomes25) {
    TempDir dir;
    auto write = [&](const QString& name, int quality) {
        CTiffWriter writer;
        writer.SetJpegQuality(quality);
        EXPECT_TRUE(writer.AppendPageToFile(dir.File(name), ColourPage(), kTiffColourPage));
        return ReadBytes(dir.File(name));
    };
    const QByteArray at25 = write("q25.tif", 25);
    EXPECT_EQ(write("q10.tif", 10), at25);
    EXPECT_NE(write("q90.tif", 90), at25);
}

// A page that JPEG cannot squeeze below a few hundred kilobytes.
cv::Mat NoisePage() {
    cv::Mat page(600, 800, CV_8UC3);
    cv::randu(page, cv::Scalar::all(0), cv::Scalar::all(256));
    return page;
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A two-page file that the tests replace or append to.
class TiffReplaceTest : public testing::Test {
  protected:
    void SetUp() override {
        CTiffWriter maker;
        ASSERT_TRUE(maker.AppendPageToFile(path_, ColourPage(), kTiffColourPage));
        ASSERT_TRUE(maker.AppendPageToFile(path_, GreyPage(), kTiffGreyPage));
        before_ = ReadBytes(path_);
    }
    // The old file is there as it was, and nothing else.
    void ExpectOldFileAlone() const {
        EXPECT_EQ(ReadBytes(path_), before_);
        EXPECT_EQ(ReadTiff(path_).size(), 2u);
        EXPECT_EQ(FilesIn(dir_.Path()), QStringList({"batch.tif"}));
    }

    TempDir dir_;
    const QString path_ = dir_.File("batch.tif");
    QByteArray before_;
    CTiffWriter writer_;
};

TEST_F(TiffReplaceTest, FullDiskWhileWritingKeepsTheOldFile) {
    ASSERT_TRUE(writer_.Open(path_, 2));
    EXPECT_TRUE(writer_.WritePage(GreyPage(), kTiffGreyPage));
    {
        test::FileSizeLimit full(4096);
        EXPECT_FALSE(writer_.WritePage(NoisePage(), kTiffColourPage));
    }
    EXPECT_FALSE(writer_.Close());
    ExpectOldFileAlone();
}

TEST_F(TiffReplaceTest, FailedAppendLeavesTheFileAsItWas) {
    {
        test::FileSizeLimit full(before_.size() + 1024);
        EXPECT_FALSE(writer_.AppendPageToFile(path_, NoisePage(), kTiffColourPage));
    }
    ExpectOldFileAlone();
    ASSERT_TRUE(writer_.AppendPageToFile(path_, NoisePage(), kTiffColourPage));
    EXPECT_EQ(ReadTiff(path_).size(), 3u);
}

// A collection built by Open, appends and Close either replaces the old file
// whole or not at all.
TEST_F(TiffReplaceTest, FailedAppendToTheOpenFileKeepsTheOldFile) {
    ASSERT_TRUE(writer_.Open(path_, 1));
    ASSERT_TRUE(writer_.AppendPageToFile(path_, BilevelPage(), kTiffBilevelPage));
    EXPECT_EQ(ReadBytes(path_), before_) << "replaced only on Close";
    {
        test::FileSizeLimit full(8192);
        EXPECT_FALSE(writer_.AppendPageToFile(path_, NoisePage(), kTiffColourPage));
    }
    EXPECT_FALSE(writer_.AppendPageToFile(path_, GreyPage(), kTiffGreyPage)) << "already lost";
    EXPECT_FALSE(writer_.Close());
    ExpectOldFileAlone();

    ASSERT_TRUE(writer_.Open(path_, 1));
    ASSERT_TRUE(writer_.AppendPageToFile(path_, BilevelPage(), kTiffBilevelPage));
    EXPECT_TRUE(writer_.Close());
    EXPECT_EQ(ReadTiff(path_).size(), 1u);
}

}  // namespace
}  // namespace orbisk
