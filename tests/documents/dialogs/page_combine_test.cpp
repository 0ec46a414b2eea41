#include "documents/dialogs/page_combine.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <sys/resource.h>

#include <functional>
#include <ostream>
#include <string>

#include "documents/bilevel_tiff_writer.h"
#include "documents/tiff_writer.h"
#include "tests/support/hostile_images.h"
#include "tests/support/outside_tool.h"
#include "tests/support/pdf_check.h"
#include "tests/support/temp_dir.h"

namespace orbisk {
namespace {

using test::ReadBytes;
using test::RunOutsideTool;
using test::TempDir;
using test::ToolRun;
using test::WriteBytes;

using test::Encoded;

// A colour, a grey and a black-and-white page as the save pipeline writes
// them.
QStringList ThreePages(const TempDir& dir) {
    cv::Mat colour(120, 160, CV_8UC3, cv::Scalar(200, 40, 10));
    colour(cv::Rect(0, 0, 80, 120)).setTo(cv::Scalar(10, 40, 200));
    cv::Mat grey(100, 90, CV_8UC1, cv::Scalar(180));
    cv::Mat bilevel(80, 101, CV_8UC1, cv::Scalar(255));
    bilevel(cv::Rect(10, 10, 40, 40)).setTo(0);
    const QStringList pages{dir.File("Tmp001.jpg"), dir.File("Tmp002.jpg"), dir.File("Tmp003.tif")};
    EXPECT_TRUE(cv::imwrite(Encoded(pages[0]), colour));
    EXPECT_TRUE(cv::imwrite(Encoded(pages[1]), grey));
    CBilevelTiffWriter writer;
    writer.SetPath(pages[2]);
    EXPECT_EQ(writer.AddPage(bilevel), 0);
    return pages;
}

const std::vector<int> kThreeTypes{kTiffColourPage, kTiffGreyPage, kTiffBilevelPage};

TEST(PageCombineTest, TiffOfThreePagesReadsBackWithTiffinfo) {
    TempDir dir;
    const QStringList pages = ThreePages(dir);
    const QString target = dir.File("batch.tif");
    ASSERT_TRUE(CombinePages(kCombineToTiff, target, pages, kThreeTypes));
    EXPECT_EQ(CombinedFileName(kCombineToTiff, target), target);

    const ToolRun run = RunOutsideTool("tiffinfo", {target});
    ASSERT_TRUE(run.started) << "tiffinfo (libtiff-tools) is missing";
    EXPECT_EQ(run.exitCode, 0) << run.output.constData();
    const QString info = QString::fromUtf8(run.output);
    QStringList compressions;
    auto it = QRegularExpression(R"(Compression Scheme: (.+))").globalMatch(info);
    while (it.hasNext()) {
        compressions << it.next().captured(1).trimmed();
    }
    EXPECT_EQ(compressions, QStringList({"JPEG", "JPEG", "CCITT Group 4"}));
    EXPECT_EQ(info.count(QRegularExpression(R"(Resolution: 200, 200 pixels/inch)")), 3);
    EXPECT_EQ(info.count("Photometric Interpretation: RGB color"), 1);
    EXPECT_EQ(info.count("Photometric Interpretation: min-is-black"), 1);
    EXPECT_EQ(info.count("Photometric Interpretation: min-is-white"), 1);
}

TEST(PageCombineTest, PdfGetsItsOwnExtension) {
    TempDir dir;
    const QStringList pages = ThreePages(dir);
    ASSERT_TRUE(CombinePages(kCombineToPdf, dir.File("batch.tif"), pages, kThreeTypes));
    EXPECT_EQ(CombinedFileName(kCombineToPdf, dir.File("batch.tif")), dir.File("batch.pdf"));
    const ToolRun run = RunOutsideTool("pdfinfo", {dir.File("batch.pdf")});
    EXPECT_TRUE(run.output.contains("Pages:           3")) << run.output.constData();
    EXPECT_TRUE(test::PassesQpdfCheck(dir.File("batch.pdf")));
}

// A page that cannot be read or written fails the whole document: no file,
// or the older file as it was.
TEST(PageCombineTest, FailedPageWritesNothing) {
    TempDir dir;
    QStringList pages = ThreePages(dir);
    pages.insert(1, dir.File("gone.jpg"));
    const std::vector<int> types{kTiffColourPage, kTiffColourPage, kTiffGreyPage, kTiffBilevelPage};
    const QString target = dir.File("batch.tif");
    ASSERT_TRUE(WriteBytes(target, "an older collection"));
    for (int mode : {kCombineToTiff, kCombineToPdf}) {
        SCOPED_TRACE(mode);
        EXPECT_FALSE(CombinePages(mode, target, pages, types));
    }
    EXPECT_EQ(ReadBytes(target), "an older collection");
    EXPECT_FALSE(QFile::exists(dir.File("batch.pdf")));
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Hidden | QDir::Files).size(), 4)
        << "no temporary file stays";

    EXPECT_FALSE(CombinePages(kCombineToTiff, dir.File("other.tif"), ThreePages(dir), {0, 1}))
        << "a type for every page";
    EXPECT_FALSE(CombinePages(2, dir.File("other.tif"), ThreePages(dir), kThreeTypes));
    EXPECT_FALSE(CombinePages(kCombineToTiff, dir.File("other.tif"), {}, {}));
    EXPECT_FALSE(QFile::exists(dir.File("other.tif")));
}

// The most memory the process has held so far, in megabytes.
long PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

struct HostilePageCase {
    const char* name;
    const char* file;
    std::function<QByteArray()> bytes;
};

void PrintTo(const HostilePageCase& c, std::ostream* os) { *os << c.name; }

class HostilePageTest : public testing::TestWithParam<HostilePageCase> {};

// Page files lie in a folder that other programs can write to. A page whose
// header promises too much, or whose JPEG data is cut short, fails the
// document, in either mode, before any decoder takes it on; the pages
// around it are not combined as if all were there.
TEST_P(HostilePageTest, FailsTheDocumentCleanly) {
    TempDir dir;
    QStringList pages = ThreePages(dir);
    const QString hostile = dir.File(GetParam().file);
    ASSERT_TRUE(WriteBytes(hostile, GetParam().bytes()));
    pages.insert(1, hostile);
    const std::vector<int> types{kTiffColourPage, kTiffColourPage, kTiffGreyPage, kTiffBilevelPage};
    const long before = PeakMegabytes();
    for (int mode : {kCombineToTiff, kCombineToPdf}) {
        SCOPED_TRACE(mode);
        EXPECT_FALSE(CombinePages(mode, dir.File("batch.tif"), pages, types));
    }
    EXPECT_LT(PeakMegabytes() - before, 200) << "what the header claims is not allocated";
    EXPECT_FALSE(QFile::exists(dir.File("batch.tif")));
    EXPECT_FALSE(QFile::exists(dir.File("batch.pdf")));
}

QByteArray HalfAJpeg() {
    std::vector<unsigned char> jpeg;
    cv::Mat page(480, 640, CV_8UC3, cv::Scalar(30, 120, 200));
    cv::putText(page, "page", {40, 240}, cv::FONT_HERSHEY_SIMPLEX, 4, cv::Scalar::all(0), 8);
    cv::imencode(".jpg", page, jpeg);
    return QByteArray(reinterpret_cast<const char*>(jpeg.data()), qsizetype(jpeg.size() / 2));
}

const HostilePageCase kHostilePages[] = {
    {"TextChunkClaimingTwoGigabytes", "Tmp009.png", test::PngWithAHugeTextChunk},
    {"FourHundredMegapixelsInOneMegabyte", "Tmp009.png",
     [] { return test::BlackPng(20000, 20000); }},
    {"JpegCutInHalf", "Tmp009.jpg", HalfAJpeg},
};

INSTANTIATE_TEST_SUITE_P(Pages, HostilePageTest, testing::ValuesIn(kHostilePages),
                         [](const testing::TestParamInfo<HostilePageCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace orbisk
