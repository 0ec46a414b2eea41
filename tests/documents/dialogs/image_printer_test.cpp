#include "documents/dialogs/image_printer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <ostream>
#include <string>

#include "tests/support/case_name.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/outside_tool.h"
#include "tests/support/pdf_check.h"
#include "tests/support/temp_dir.h"

namespace orbisk {
namespace {

using test::ReadBytes;
using test::RunOutsideTool;
using test::TempDir;
using test::ToolRun;

using test::Encoded;

// The number of pages pdfinfo finds; -1 when it cannot read the file.
int PageCount(const QString& pdf) {
    const ToolRun run = RunOutsideTool("pdfinfo", {pdf});
    EXPECT_TRUE(run.started) << "pdfinfo (poppler-utils) is missing";
    const auto match = QRegularExpression(R"(Pages:\s+(\d+))").match(QString::fromUtf8(run.output));
    return run.exitCode == 0 && match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Runs in its own current folder, where the printer keeps its log.
class ImagePrinterTest : public testing::Test {
  protected:
    void SetUp() override {
        previous_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir_.Path()));
    }
    void TearDown() override { QDir::setCurrent(previous_); }

    // A printer that prints to `pdf` instead of asking the operator.
    void PrintTo(CImagePrinter& printer, const QString& pdf) {
        printer.SetPrintSetup([pdf](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf);
            return true;
        });
        printer.SetMessageSink([this](const QString& text) { messages_ << text; });
    }

    QString BlackImage(const QString& name, int width, int height) {
        const QString path = dir_.File(name);
        EXPECT_TRUE(
            cv::imwrite(Encoded(path), cv::Mat(height, width, CV_8UC3, cv::Scalar::all(0))));
        return path;
    }

    QString Log() const { return QString::fromUtf8(ReadBytes(dir_.File("log.log"))); }

    TempDir dir_;
    QString previous_;
    QStringList messages_;
};

TEST_F(ImagePrinterTest, PrintsOnePageAndLogsTheJob) {
    CImagePrinter printer(2);
    const QString pdf = dir_.File("out.pdf");
    PrintTo(printer, pdf);
    EXPECT_EQ(printer.Print(BlackImage("page.png", 400, 200)), 1);
    EXPECT_EQ(PageCount(pdf), 1);
    EXPECT_TRUE(test::PassesQpdfCheck(pdf));
    EXPECT_TRUE(messages_.isEmpty());
    const QString log = Log();
    EXPECT_TRUE(log.contains(QString::fromUtf8("开始打印任务状态：1"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QString::fromUtf8("打印任务结束"))) << log.toStdString();
    EXPECT_TRUE(log.contains("Print模块pPpPicture:H=200,W=400")) << log.toStdString();
    EXPECT_TRUE(log.contains(QRegularExpression(QString::fromUtf8("Print模块hBitmap:[0-9A-F]+\n"))))
        << log.toStdString();
    EXPECT_TRUE(log.contains("Print模块bitmap:H=200,W=400")) << log.toStdString();
}

// The print dialog proposes the job's name, its extension turned into ".pdf",
// in the working folder for a print to a file; that must be a file it can write.
TEST_F(ImagePrinterTest, TheJobIsNamedWithoutItsFolderSoAPrintToAFileWorks) {
    ASSERT_TRUE(QDir(dir_.Path()).mkdir("my.scans"));
    const QString image = BlackImage("my.scans/Tmp20261211155300.bmp", 40, 20);
    CImagePrinter printer(0);
    printer.SetMessageSink([this](const QString& text) { messages_ << text; });
    QString docName, proposed;
    printer.SetPrintSetup([&](QPrinter& p) {
        docName = p.docName();
        proposed = QDir::currentPath() + '/' + docName.section('.', 0, -2) + ".pdf";
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(proposed);
        return true;
    });
    EXPECT_EQ(printer.Print(image), 1);
    EXPECT_EQ(docName.toStdString(), "Tmp20261211155300.bmp");
    EXPECT_TRUE(test::PassesQpdfCheck(proposed));
    EXPECT_TRUE(messages_.isEmpty());
}

struct PlacementCase {
    const char* name;
    int printMode;
    int camera;
    bool fitted;
};

std::ostream& operator<<(std::ostream& out, const PlacementCase& c) { return out << c.name; }

constexpr PlacementCase kPlacementCases[] = {
    {"TrueSize", 0, 0, false},
    {"FittedToThePage", 1, 0, true},
    {"PortraitCameraFitsAtTrueSizeMode", 0, 1, true},
};

class PrintPlacementTest : public ImagePrinterTest,
                           public testing::WithParamInterface<PlacementCase> {};

// A 400 x 200 image at 100 dpi is 4 x 2 inches at true size; fitted, it is as
// wide as the printable area. Read back from the rendered page either way.
TEST_P(PrintPlacementTest, PutsTheImageInTheMiddleOfThePage) {
    CImagePrinter printer(2);
    printer.Settings.TYPE = GetParam().printMode;
    printer.Settings.CurrentCamera = GetParam().camera;
    printer.Settings.XDPI = printer.Settings.YDPI = 100;
    const QString pdf = dir_.File("out.pdf");
    PrintTo(printer, pdf);
    ASSERT_EQ(printer.Print(BlackImage("page.png", 400, 200)), 1);
    EXPECT_TRUE(test::PassesQpdfCheck(pdf));

    constexpr int kDpi = 50;
    const QString prefix = dir_.File("render");
    const ToolRun run = RunOutsideTool(
        "pdftoppm", {"-gray", "-r", QString::number(kDpi), "-singlefile", pdf, prefix});
    ASSERT_TRUE(run.started) << "pdftoppm (poppler-utils) is missing";
    const cv::Mat page = cv::imread(Encoded(prefix + ".pgm"), cv::IMREAD_GRAYSCALE);
    ASSERT_FALSE(page.empty());
    const cv::Rect ink = cv::boundingRect(page < 128);
    ASSERT_GT(ink.area(), 0);
    EXPECT_NEAR(ink.x + ink.width / 2.0, page.cols / 2.0, 2.0);
    EXPECT_NEAR(ink.y + ink.height / 2.0, page.rows / 2.0, 2.0);
    EXPECT_NEAR(ink.width, 2.0 * ink.height, 3.0) << "aspect ratio kept";
    if (GetParam().fitted) {
        EXPECT_GT(ink.width, page.cols * 0.8);
    } else {
        EXPECT_NEAR(ink.width, 4 * kDpi, 2.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, PrintPlacementTest, testing::ValuesIn(kPlacementCases),
                         [](const auto& info) { return test::CaseName(info.param.name); });

TEST_F(ImagePrinterTest, UnreadableImageIsReportedAndNothingPrinted) {
    CImagePrinter printer(2);
    const QString pdf = dir_.File("out.pdf");
    PrintTo(printer, pdf);
    ASSERT_TRUE(test::WriteBytes(dir_.File("broken.jpg"), "not an image"));
    EXPECT_EQ(printer.Print(dir_.File("broken.jpg")), 0);
    EXPECT_EQ(printer.Print(dir_.File("missing.jpg")), 0);
    EXPECT_EQ(messages_, QStringList({"Print failure", "Print failure"}));
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(Log().contains(QString::fromUtf8("打印任务中断")));
}

TEST_F(ImagePrinterTest, PageOfAnUnreadableImageDrawsNothing) {
    CImagePrinter printer(2);
    printer.Settings.TYPE = 1;
    QImage sheet(300, 300, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    EXPECT_FALSE(printer.PrintPage(painter, sheet.rect(), dir_.File("missing.png")));
    EXPECT_TRUE(printer.PrintPage(painter, sheet.rect(), BlackImage("page.png", 100, 50)));
    painter.end();
    EXPECT_EQ(sheet.pixelColor(150, 150), QColor(Qt::black));
    EXPECT_EQ(sheet.pixelColor(150, 50), QColor(Qt::white)) << "fitted and centred: 300 x 150";
}

TEST_F(ImagePrinterTest, JobThatCannotStartIsReported) {
    CImagePrinter printer(1);
    // The output is a folder: the job cannot start.
    ASSERT_TRUE(QDir(dir_.Path()).mkdir("folder.pdf"));
    PrintTo(printer, dir_.File("folder.pdf"));
    EXPECT_EQ(printer.Print(BlackImage("page.png", 40, 20)), 0);
    EXPECT_EQ(messages_, QStringList({QString::fromUtf8("列印失敗")}));
    EXPECT_TRUE(Log().contains(QString::fromUtf8("开始打印任务状态：0")));
}

TEST_F(ImagePrinterTest, CancelledPrintDialogShowsTheFailureAndLogsNothing) {
    CImagePrinter printer(0);
    PrintTo(printer, dir_.File("out.pdf"));
    printer.SetPrintSetup([](QPrinter&) { return false; });
    EXPECT_EQ(printer.Print(BlackImage("page.png", 40, 20)), 0);
    EXPECT_EQ(messages_, QStringList({QString::fromUtf8("打印失败")}));
    EXPECT_FALSE(QFile::exists(dir_.File("out.pdf")));
    EXPECT_TRUE(Log().isEmpty()) << Log().toStdString();
}

// Qt keeps the write errors of a print to a file to itself; a file cut
// short must not be reported as printed, nor stay.
TEST_F(ImagePrinterTest, APrintToAFullDiskIsReportedAndLeavesNoCutFile) {
    CImagePrinter printer(2);
    const QString pdf = dir_.File("out.pdf");
    PrintTo(printer, pdf);
    const QString image = BlackImage("page.png", 400, 200);
    ASSERT_EQ(printer.Print(image), 1);
    const qint64 whole = QFileInfo(pdf).size();
    ASSERT_TRUE(QFile::remove(pdf));
    for (const qint64 room : {qint64{600}, whole - 10}) {
        SCOPED_TRACE(room);
        messages_.clear();
        {
            const test::FileSizeLimit limit(static_cast<rlim_t>(room));
            EXPECT_EQ(printer.Print(image), 0);
        }
        EXPECT_EQ(messages_, QStringList({"Print failure"}));
        EXPECT_FALSE(QFile::exists(pdf));
    }
}

TEST_F(ImagePrinterTest, FailureTextByLanguage) {
    EXPECT_EQ(CImagePrinter(0).FailureText(), QString::fromUtf8("打印失败"));
    EXPECT_EQ(CImagePrinter(1).FailureText(), QString::fromUtf8("列印失敗"));
    EXPECT_EQ(CImagePrinter(2).FailureText(), "Print failure");
    EXPECT_TRUE(CImagePrinter(3).FailureText().isEmpty());
}

TEST_F(ImagePrinterTest, OnePagePdfBesideTheImageCutsOnlyTheFileName) {
    ASSERT_TRUE(QDir(dir_.Path()).mkdir("my.scans"));
    const QString jpeg = BlackImage("my.scans/IMG00001.jpg", 120, 80);
    CImagePrinter printer(2);
    ASSERT_TRUE(printer.SaveAsPdf(jpeg));
    EXPECT_EQ(PageCount(dir_.File("my.scans/IMG00001.pdf")), 1);
    EXPECT_TRUE(test::PassesQpdfCheck(dir_.File("my.scans/IMG00001.pdf")));

    const QString bare = dir_.File("my.scans/page");
    ASSERT_TRUE(QFile::copy(jpeg, bare));
    ASSERT_TRUE(printer.SaveAsPdf(bare));
    EXPECT_EQ(PageCount(dir_.File("my.scans/page.pdf")), 1);
    EXPECT_TRUE(test::PassesQpdfCheck(dir_.File("my.scans/page.pdf")));
    EXPECT_FALSE(QFile::exists(dir_.File("my.pdf")));

    EXPECT_FALSE(printer.SaveAsPdf(dir_.File("missing.jpg")));
    EXPECT_FALSE(QFile::exists(dir_.File("missing.pdf")));
}

}  // namespace
}  // namespace orbisk
