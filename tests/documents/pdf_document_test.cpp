#include "documents/pdf_document.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <hpdf.h>
#include <tiffio.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "documents/target_name.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/outside_tool.h"
#include "tests/support/pdf_check.h"
#include "tests/support/progressive_jpeg.h"
#include "tests/support/temp_dir.h"

namespace orbisk {
namespace {

using test::ReadBytes;
using test::RunOutsideTool;
using test::TempDir;
using test::ToolRun;
using test::WriteBytes;

using test::Encoded;

// A page with something on it, so the JPEG is not trivially small.
cv::Mat ColourPage(int cols, int rows) {
    cv::Mat page(rows, cols, CV_8UC3);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < cols; ++x) {
            page.at<cv::Vec3b>(y, x) = {static_cast<uchar>(x * 7), static_cast<uchar>(y * 3),
                                        static_cast<uchar>((x ^ y) & 0xFF)};
        }
    }
    return page;
}

bool WriteJpeg(const QString& path, int cols, int rows) {
    return cv::imwrite(Encoded(path), ColourPage(cols, rows), {cv::IMWRITE_JPEG_QUALITY, 90});
}

// The pattern of the 1-bit pages: 8-pixel squares, and a right-most column
// that is black on even rows only.
bool PatternIsBlack(int x, int y, int width) {
    if (x == width - 1) {
        return y % 2 == 0;
    }
    return ((x / 8) + (y / 8)) % 2 == 0;
}

// A 1-bit CCITT G4 TIFF of exactly `width` pixels, with the photometric
// interpretation given (white is zero, as our writers store it, or black is
// zero).
bool WriteBilevelTiff(const QString& path, int width, int height, uint16_t photometric) {
    TIFF* tif = TIFFOpen(Encoded(path).c_str(), "w");
    if (tif == nullptr) {
        return false;
    }
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(1));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(1));
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(height));
    TIFFSetField(tif, TIFFTAG_COMPRESSION, static_cast<uint16_t>(COMPRESSION_CCITTFAX4));
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, static_cast<uint16_t>(PLANARCONFIG_CONTIG));
    const int bytesPerRow = (width + 7) / 8;
    std::vector<uint8_t> rows(static_cast<std::size_t>(bytesPerRow) * height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool setBit =
                PatternIsBlack(x, y, width) == (photometric == PHOTOMETRIC_MINISWHITE);
            if (setBit) {
                rows[static_cast<std::size_t>(y) * bytesPerRow + x / 8] |= 0x80 >> (x % 8);
            }
        }
    }
    const bool ok =
        TIFFWriteEncodedStrip(tif, 0, rows.data(), static_cast<tmsize_t>(rows.size())) >= 0 &&
        TIFFWriteDirectory(tif);
    TIFFClose(tif);
    return ok;
}

struct PdfPage {
    double width = 0;
    double height = 0;
};

// Page sizes as pdfinfo reports them, in points.
std::vector<PdfPage> PageSizes(const QString& pdf) {
    const ToolRun run = RunOutsideTool("pdfinfo", {"-f", "1", "-l", "9999", pdf});
    EXPECT_TRUE(run.started) << "pdfinfo (poppler-utils) is missing";
    std::vector<PdfPage> pages;
    const QRegularExpression line(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)");
    auto it = line.globalMatch(QString::fromUtf8(run.output));
    while (it.hasNext()) {
        const auto match = it.next();
        pages.push_back({match.captured(1).toDouble(), match.captured(2).toDouble()});
    }
    return pages;
}

struct PdfImage {
    int width = 0;
    int height = 0;
    QString color;  // gray, rgb
    int bitsPerComponent = 0;
    QString encoding;  // jpeg, ccitt, image
};

// The images of the document as pdfimages lists them.
std::vector<PdfImage> Images(const QString& pdf) {
    const ToolRun run = RunOutsideTool("pdfimages", {"-list", pdf});
    EXPECT_TRUE(run.started) << "pdfimages (poppler-utils) is missing";
    std::vector<PdfImage> images;
    const QStringList lines = QString::fromUtf8(run.output).split('\n');
    for (qsizetype i = 2; i < lines.size(); ++i) {  // after the heading and the rule
        const QStringList f = lines[i].split(' ', Qt::SkipEmptyParts);
        if (f.size() >= 9) {
            images.push_back({f[3].toInt(), f[4].toInt(), f[5], f[7].toInt(), f[8]});
        }
    }
    return images;
}

// The first page rendered by pdftoppm, as grey, with each point sampled at
// its centre: rendered at ten pixels per point, so the renderer's smoothing
// of edges decides nothing.
cv::Mat RenderFirstPage(const QString& pdf, const QString& prefix) {
    constexpr int kScale = 10;
    const ToolRun run =
        RunOutsideTool("pdftoppm", {"-gray", "-r", QString::number(72 * kScale), "-f", "1", "-l",
                                    "1", "-singlefile", pdf, prefix});
    EXPECT_TRUE(run.started) << "pdftoppm (poppler-utils) is missing";
    const cv::Mat fine = cv::imread(Encoded(prefix + ".pgm"), cv::IMREAD_GRAYSCALE);
    cv::Mat points(fine.rows / kScale, fine.cols / kScale, CV_8UC1);
    for (int y = 0; y < points.rows; ++y) {
        for (int x = 0; x < points.cols; ++x) {
            points.at<uchar>(y, x) =
                fine.at<uchar>(y * kScale + kScale / 2, x * kScale + kScale / 2);
        }
    }
    return points;
}

QStringList FilesIn(const TempDir& dir) {
    return QDir(dir.Path())
        .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TEST(PdfDocumentTest, JpegPagesKeepTheirSizeAndTheirBytes) {
    TempDir dir;
    const QString big = dir.File("Tmp001.jpg"), small = dir.File("Tmp002.jpg");
    ASSERT_TRUE(WriteJpeg(big, 3264, 2448));
    ASSERT_TRUE(WriteJpeg(small, 640, 480));
    CPdfDocument document;
    document.SetTargetName(dir.File("batch.tif"));
    ASSERT_EQ(document.TargetName(), dir.File("batch.pdf"));
    ASSERT_EQ(document.WriteImages({big, small}), 0);
    EXPECT_TRUE(test::PassesQpdfCheck(document.TargetName()));

    const std::vector<PdfPage> pages = PageSizes(document.TargetName());
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_DOUBLE_EQ(pages[0].width, 3264);
    EXPECT_DOUBLE_EQ(pages[0].height, 2448);
    EXPECT_DOUBLE_EQ(pages[1].width, 640);
    EXPECT_DOUBLE_EQ(pages[1].height, 480);

    // pdfimages writes a JPEG stream out as it stands in the file.
    const QString prefix = dir.File("extracted");
    ASSERT_EQ(RunOutsideTool("pdfimages", {"-j", document.TargetName(), prefix}).exitCode, 0);
    EXPECT_EQ(ReadBytes(prefix + "-000.jpg"), ReadBytes(big));
    EXPECT_EQ(ReadBytes(prefix + "-001.jpg"), ReadBytes(small));
}

// Both ways of storing a 1-bit page come out with black where the file is
// black, up to the last pixel of a row whose width is no multiple of 8.
class PdfBilevelTest : public testing::TestWithParam<uint16_t> {};

TEST_P(PdfBilevelTest, OneBitTiffRendersRight) {
    TempDir dir;
    constexpr int kWidth = 1001, kHeight = 64;
    const QString tif = dir.File("bw.tif");
    ASSERT_TRUE(WriteBilevelTiff(tif, kWidth, kHeight, GetParam()));
    CPdfDocument document;
    document.SetTargetName(dir.File("bw.pdf"));
    ASSERT_EQ(document.WriteImages({tif}), 0);
    EXPECT_TRUE(test::PassesQpdfCheck(document.TargetName()));

    const std::vector<PdfImage> images = Images(document.TargetName());
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].width, kWidth);
    EXPECT_EQ(images[0].bitsPerComponent, 1);
    EXPECT_EQ(images[0].color, "gray");

    const cv::Mat rendered = RenderFirstPage(document.TargetName(), dir.File("render"));
    ASSERT_EQ(rendered.cols, kWidth);
    ASSERT_EQ(rendered.rows, kHeight);
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool black = rendered.at<uchar>(y, x) < 128;
            wrong += black != PatternIsBlack(x, y, kWidth) ? 1 : 0;
        }
    }
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Photometric, PdfBilevelTest,
                         testing::Values(uint16_t{PHOTOMETRIC_MINISWHITE},
                                         uint16_t{PHOTOMETRIC_MINISBLACK}),
                         [](const testing::TestParamInfo<uint16_t>& info) {
                             return info.param == PHOTOMETRIC_MINISWHITE
                                        ? std::string("WhiteIsZero")
                                        : std::string("BlackIsZero");
                         });

// Which road a page takes, told by how its image is stored in the PDF.
struct RoadCase {
    const char* name;
    const char* file;
    std::function<bool(const QString&)> write;
    const char* encoding;
    int bitsPerComponent;
    bool bytesUnchanged;
};

void PrintTo(const RoadCase& c, std::ostream* os) { *os << c.name; }

class PdfPageRoadTest : public testing::TestWithParam<RoadCase> {};

TEST_P(PdfPageRoadTest, PageIsStoredByItsRule) {
    const RoadCase& c = GetParam();
    TempDir dir;
    const QString page = dir.File(c.file);
    ASSERT_TRUE(c.write(page));
    CPdfDocument document;
    document.SetTargetName(dir.File("out.pdf"));
    ASSERT_EQ(document.WriteImages({page}), 0);
    EXPECT_TRUE(test::PassesQpdfCheck(document.TargetName()));

    const std::vector<PdfImage> images = Images(document.TargetName());
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].encoding, c.encoding);
    EXPECT_EQ(images[0].bitsPerComponent, c.bitsPerComponent);
    const std::vector<PdfPage> pages = PageSizes(document.TargetName());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_DOUBLE_EQ(pages[0].width, images[0].width);
    EXPECT_DOUBLE_EQ(pages[0].height, images[0].height);
    if (c.bytesUnchanged) {
        ASSERT_EQ(
            RunOutsideTool("pdfimages", {"-j", document.TargetName(), dir.File("x")}).exitCode, 0);
        EXPECT_EQ(ReadBytes(dir.File("x-000.jpg")), ReadBytes(page));
        QFile::remove(dir.File("x-000.jpg"));
    }
    // Nothing of ours is left beside the pages: no temporary JPEG, no half
    // written document.
    QStringList expected{c.file, "out.pdf"};
    expected.sort();
    EXPECT_EQ(FilesIn(dir), expected);
}

bool WriteImage(const QString& path, const cv::Mat& image) {
    return cv::imwrite(Encoded(path), image);
}

const RoadCase kRoadCases[] = {
    {"UpperCaseJpgPassesThrough", "Tmp001.JPG",
     [](const QString& p) { return WriteJpeg(p, 320, 200); }, "jpeg", 8, true},
    {"PngIsReencoded", "page.png",
     [](const QString& p) { return WriteImage(p, ColourPage(300, 200)); }, "jpeg", 8, false},
    {"GreyPngIsReencoded", "grey.png",
     [](const QString& p) { return WriteImage(p, cv::Mat(120, 90, CV_8UC1, cv::Scalar(90))); },
     "jpeg", 8, false},
    {"OneBitUpperCaseTifIsOneBit", "bw.TIF",
     [](const QString& p) { return WriteBilevelTiff(p, 203, 50, PHOTOMETRIC_MINISWHITE); }, "ccitt",
     1, false},
    {"OneBitTiffEndingIsReencoded", "bw.tiff",
     [](const QString& p) { return WriteBilevelTiff(p, 203, 50, PHOTOMETRIC_MINISWHITE); }, "jpeg",
     8, false},
    {"ColourTifIsReencoded", "colour.tif",
     [](const QString& p) { return WriteImage(p, ColourPage(100, 80)); }, "jpeg", 8, false},
};

INSTANTIATE_TEST_SUITE_P(Roads, PdfPageRoadTest, testing::ValuesIn(kRoadCases),
                         [](const testing::TestParamInfo<RoadCase>& info) {
                             return std::string(info.param.name);
                         });

// libharu refuses pages beyond 14400 points; the user unit grows instead and
// every pixel stays.
TEST(PdfDocumentTest, PageBeyondTheSizeLimitKeepsItsPixels) {
    TempDir dir;
    const QString wide = dir.File("wide.jpg");
    ASSERT_TRUE(WriteJpeg(wide, 20000, 300));
    CPdfDocument document;
    document.SetTargetName(dir.File("wide.pdf"));
    ASSERT_EQ(document.WriteImages({wide}), 0) << std::hex << document.LastError();
    EXPECT_TRUE(test::PassesQpdfCheck(document.TargetName()));

    const std::vector<PdfImage> images = Images(document.TargetName());
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].width, 20000);
    EXPECT_EQ(images[0].height, 300);
    const ToolRun info = RunOutsideTool("pdfinfo", {document.TargetName()});
    EXPECT_TRUE(
        QString::fromUtf8(info.output).contains(QRegularExpression(R"(PDF version:\s+1\.6)")))
        << info.output.constData();
    // pdfinfo gives the page in user units; times the unit it is the image.
    const std::vector<PdfPage> pages = PageSizes(document.TargetName());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_DOUBLE_EQ(pages[0].width, 14400);
    const QRegularExpression unitKey(R"(/UserUnit ([\d.]+))");
    const auto unit = unitKey.match(QString::fromLatin1(ReadBytes(document.TargetName())));
    ASSERT_TRUE(unit.hasMatch());
    EXPECT_NEAR(pages[0].width * unit.captured(1).toDouble(), 20000, 1);
    EXPECT_NEAR(pages[0].height * unit.captured(1).toDouble(), 300, 1);
}

// The user unit of the first page, 1 when the page has none.
double UserUnit(const QString& pdf) {
    const auto unit =
        QRegularExpression(R"(/UserUnit ([\d.]+))").match(QString::fromLatin1(ReadBytes(pdf)));
    return unit.hasMatch() ? unit.captured(1).toDouble() : 1.0;
}

struct SmallPageCase {
    const char* name;
    int width;
    int height;
    bool padded;  // no user unit takes both sides within bounds
};

class PdfSmallPageTest : public testing::TestWithParam<SmallPageCase> {};

// libharu refuses pages under 3 points a side; the user unit shrinks instead
// and every pixel stays, one pixel a point.
TEST_P(PdfSmallPageTest, APageUnderThreePointsKeepsItsPixels) {
    const SmallPageCase& c = GetParam();
    TempDir dir;
    const QString page = dir.File("Tmp001.jpg");
    ASSERT_TRUE(WriteJpeg(page, c.width, c.height));
    CPdfDocument document;
    document.SetTargetName(dir.File("strip.pdf"));
    ASSERT_EQ(document.WriteImages({page}), 0) << std::hex << document.LastError();
    EXPECT_TRUE(test::PassesQpdfCheck(document.TargetName()));

    const std::vector<PdfImage> images = Images(document.TargetName());
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].width, c.width);
    EXPECT_EQ(images[0].height, c.height);
    const std::vector<PdfPage> pages = PageSizes(document.TargetName());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_GE(std::min(pages[0].width, pages[0].height), 3.0);
    const double unit = UserUnit(document.TargetName());
    // The unit is written with four decimals.
    EXPECT_NEAR(pages[0].width * unit, c.width, c.width * 1e-5);
    if (c.padded) {
        EXPECT_DOUBLE_EQ(pages[0].height, 3.0) << "the thin side keeps a margin";
    } else {
        EXPECT_NEAR(pages[0].height * unit, c.height, c.height * 1e-5);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PdfSmallPageTest,
                         testing::Values(SmallPageCase{"Strip640x2", 640, 2, false},
                                         SmallPageCase{"Column1x480", 1, 480, false},
                                         SmallPageCase{"OnePixel", 1, 1, false},
                                         SmallPageCase{"LongerThanAnyUnitAllows", 20000, 1, true}),
                         [](const testing::TestParamInfo<SmallPageCase>& info) {
                             return std::string(info.param.name);
                         });

// A JPEG page goes into the document as it is: one that is cut short or
// damaged must fail the document rather than show grey in every reader.
TEST(PdfDocumentTest, AJpegPageCutShortFailsTheDocument) {
    TempDir dir;
    const QString whole = dir.File("Tmp001.jpg");
    ASSERT_TRUE(WriteJpeg(whole, 640, 480));
    const QByteArray bytes = ReadBytes(whole);
    cv::Mat grey(240, 320, CV_8UC1, cv::Scalar(90));
    const std::vector<uint8_t> progressive = test::EncodeProgressiveJpeg(grey, 8);
    const QByteArray progressiveBytes(reinterpret_cast<const char*>(progressive.data()),
                                      qsizetype(progressive.size()));
    const struct {
        const char* file;
        QByteArray bytes;
    } cuts[] = {
        {"half.jpg", bytes.left(bytes.size() / 2)},
        {"no_end_marker.jpg", bytes.left(bytes.size() - 2)},
        {"half.jpeg", bytes.left(bytes.size() / 2)},  // the re-encoding road
        {"progressive.jpg", progressiveBytes.left(progressiveBytes.size() * 2 / 3)},
    };
    CPdfDocument document;
    document.SetTargetName(dir.File("batch.pdf"));
    for (const auto& cut : cuts) {
        SCOPED_TRACE(cut.file);
        ASSERT_TRUE(WriteBytes(dir.File(cut.file), cut.bytes));
        EXPECT_EQ(document.WriteImages({whole, dir.File(cut.file)}), 1);
        EXPECT_FALSE(QFile::exists(document.TargetName()));
    }
    // The whole ones still go in.
    ASSERT_TRUE(WriteBytes(dir.File("progressive.jpg"), progressiveBytes));
    EXPECT_EQ(document.WriteImages({whole, dir.File("progressive.jpg")}), 0);
    EXPECT_TRUE(test::PassesQpdfCheck(document.TargetName()));
}

// libharu's errors are told on the standard output, one line each: here a
// full disk while it writes the document.
TEST(PdfDocumentTest, ALibharuErrorIsToldOnTheStandardOutput) {
    TempDir dir;
    const QString page = dir.File("Tmp001.jpg");
    ASSERT_TRUE(WriteJpeg(page, 640, 480));
    CPdfDocument document;
    document.SetTargetName(dir.File("batch.pdf"));
    testing::internal::CaptureStdout();
    {
        const test::FileSizeLimit limit(16 * 1024);
        EXPECT_EQ(document.WriteImages({page}), 1);
    }
    const QString out = QString::fromStdString(testing::internal::GetCapturedStdout());
    ASSERT_NE(document.LastError(), 0u);
    EXPECT_EQ(out, QString::asprintf("ERROR: error_no=%04X, detail_no=%u\n", document.LastError(),
                                     document.LastErrorDetail()));
}

TEST(PdfDocumentTest, MissingPageWritesNoDocument) {
    TempDir dir;
    const QString first = dir.File("Tmp001.jpg");
    ASSERT_TRUE(WriteJpeg(first, 64, 48));
    const QString target = dir.File("batch.pdf");
    ASSERT_TRUE(WriteBytes(target, "an older document"));
    CPdfDocument document;
    document.SetTargetName(target);
    EXPECT_EQ(document.WriteImages({first, dir.File("Tmp002.jpg")}), 1);
    EXPECT_EQ(document.LastError(), 0u) << "refused before libharu sees it";
    EXPECT_EQ(ReadBytes(target), "an older document");
    EXPECT_EQ(FilesIn(dir), QStringList({"Tmp001.jpg", "batch.pdf"}));

    // A page that is no image at all, a missing non-JPEG page and no pages.
    ASSERT_TRUE(WriteBytes(dir.File("text.jpg"), "not a JPEG"));
    EXPECT_EQ(document.WriteImages({first, dir.File("text.jpg")}), 1);
    EXPECT_EQ(document.WriteImages({first, dir.File("gone.png")}), 1);
    EXPECT_EQ(document.WriteImages({}), 1);
    EXPECT_EQ(ReadBytes(target), "an older document");
}

TEST(PdfDocumentTest, UnwritableTargetFailsAndLeavesNothing) {
    TempDir dir;
    const QString page = dir.File("Tmp001.jpg");
    ASSERT_TRUE(WriteJpeg(page, 640, 480));
    ASSERT_TRUE(WriteBytes(dir.File("folder"), "a file where a folder should be"));
    CPdfDocument document;
    document.SetTargetName(dir.File("folder/batch.pdf"));
    EXPECT_EQ(document.WriteImages({page}), 1);

    // A full disk: the write fails part way, or only its last bytes are
    // lost when libharu closes the file; no truncated document stays.
    document.SetTargetName(dir.File("whole.pdf"));
    ASSERT_EQ(document.WriteImages({page}), 0);
    EXPECT_TRUE(test::PassesQpdfCheck(document.TargetName()));
    const qint64 size = QFileInfo(document.TargetName()).size();
    ASSERT_TRUE(QFile::remove(document.TargetName()));
    document.SetTargetName(dir.File("batch.pdf"));
    for (const qint64 room : {qint64{16 * 1024}, size - 10}) {
        SCOPED_TRACE(room);
        const test::FileSizeLimit limit(static_cast<rlim_t>(room));
        EXPECT_EQ(document.WriteImages({page}), 1);
    }
    EXPECT_EQ(FilesIn(dir), QStringList({"Tmp001.jpg", "folder"}));
}

TEST(PdfTargetNameTest, OnlyTheFileNameLosesItsExtension) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"/data/scan/Tmp001.jpg", "/data/scan/Tmp001.pdf"},
        {"/home/me/my.scans/page", "/home/me/my.scans/page.pdf"},
        {"/home/me/.cache/orbisk/Tmp001", "/home/me/.cache/orbisk/Tmp001.pdf"},
        {"/home/me/my.scans/report.v2.tif", "/home/me/my.scans/report.v2.pdf"},
        {"/home/me/.hidden", "/home/me/.hidden.pdf"},
        {"page", "page.pdf"},
        {"page.pdf", "page.pdf"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplaceExtension(c.in, ".pdf"), c.out) << c.in;
        CPdfDocument document;
        document.SetTargetName(c.in);
        EXPECT_EQ(document.TargetName(), c.out);
    }
}

}  // namespace
}  // namespace orbisk
