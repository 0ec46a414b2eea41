#include "documents/dialogs/image_printer.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "core/image_header.h"
#include "documents/pdf_document.h"
#include "documents/print_layout.h"
#include "platform/language_text.h"

namespace orbisk {
namespace {

constexpr platform::LanguageText kPrintFailure{"打印失败", "列印失敗", "Print failure"};

bool ShowPrintDialog(QPrinter& printer) {
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setMinMax(1, 1);
    return dialog.exec() == QDialog::Accepted;
}

// Qt keeps the write errors of a print to a file to itself: a job cut short
// (a full disk) is told by the file it left, which then goes.
bool OutputFileIsWhole(const QPrinter& printer) {
    const QString file = printer.outputFileName();
    if (file.isEmpty()) {
        return true;  // a printer: the spooler has the job
    }
    if (PdfFileIsComplete(file)) {
        return true;
    }
    if (QFileInfo(file).isFile()) {
        QFile::remove(file);
    }
    return false;
}

}  // namespace

CImagePrinter::CImagePrinter(int language)
    : failureText_(platform::IsLanguageIndex(language) ? kPrintFailure.In(language) : QString()),
      printSetup_(ShowPrintDialog),
      messageSink_([](const QString& text) { QMessageBox::critical(nullptr, QString(), text); }) {
    log_.SetFile(QStringLiteral("log.log"));
    log_.SetTimeStamp(true);
}

int CImagePrinter::Print(const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    // The job's name is also what the print dialog proposes for a print to a
    // file, in the working folder: a folder in it makes that file unwritable.
    printer.setDocName(QFileInfo(path).fileName());
    printer.setFromTo(1, 1);
    if (!printSetup_ || !printSetup_(printer)) {
        // Cancelled or failed alike: the operator is told, nothing is logged.
        messageSink_(failureText_);
        return 0;
    }
    // Everything that can refuse the image is settled before the job starts:
    // a started job cannot be taken back from every printer.
    const QImage image = LoadImage(path);
    const QRect page(0, 0, printer.width(), printer.height());
    const IntRect target = Target(image, page, printer.logicalDpiX(), printer.logicalDpiY());
    if (target.Width() <= 0) {
        return Fail(false);
    }
    QPainter painter;
    const bool started = painter.begin(&printer);
    log_.Write("开始打印任务状态：%d", started ? 1 : 0);
    if (!started) {
        return Fail(true);
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(target.left, target.top, target.Width(), target.Height()), image);
    if (!painter.end() || !OutputFileIsWhole(printer)) {
        return Fail(true);
    }
    log_.Write("打印任务结束");
    return 1;
}

bool CImagePrinter::PrintPage(QPainter& painter, const QRect& page, const QString& path) {
    const QImage image = LoadImage(path);
    QPaintDevice* device = painter.device();
    if (device == nullptr) {
        return false;
    }
    const IntRect target = Target(image, page, device->logicalDpiX(), device->logicalDpiY());
    if (target.Width() <= 0) {
        return false;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(
        QRect(page.left() + target.left, page.top() + target.top, target.Width(), target.Height()),
        image);
    painter.restore();
    return true;
}

bool CImagePrinter::SaveAsPdf(const QString& path) {
    CPdfDocument document;
    document.SetTargetName(path);
    return document.WriteImages({path}) == 0;
}

QImage CImagePrinter::LoadImage(const QString& path) {
    QImage picture;
    if (PageImageSize(path)) {  // what the header promises is decoded only
        QImageReader reader(path);
        reader.setAutoTransform(false);
        picture = reader.read();
    }
    log_.Write("Print模块pPpPicture:H=%d,W=%d", picture.height(), picture.width());
    // The picture in the form the print engine draws, and which one it is.
    const QImage image =
        picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    log_.Write("Print模块hBitmap:%X", static_cast<unsigned>(image.cacheKey()));
    log_.Write("Print模块bitmap:H=%d,W=%d", image.height(), image.width());
    return image;
}

IntRect CImagePrinter::Target(const QImage& image, const QRect& page, int dpiX, int dpiY) {
    const int w = image.width();
    const int h = image.height();
    if (w > 0) {
        const double scale = static_cast<double>(page.width()) / w;
        log_.Write("Print模块pPpPicture:dScale=%f,nScaledHeight=%d", scale,
                   static_cast<int>(h * scale));
    }
    PrintPlacement placement;
    placement.imageWidth = w;
    placement.imageHeight = h;
    placement.pageWidth = page.width();
    placement.pageHeight = page.height();
    placement.deviceDpiX = dpiX;
    placement.deviceDpiY = dpiY;
    placement.imageDpiX = Settings.XDPI;
    placement.imageDpiY = Settings.YDPI;
    placement.fitToPage = PrintsFittedToPage(Settings.TYPE, Settings.CurrentCamera);
    return PrintTargetRect(placement);
}

int CImagePrinter::Fail(bool jobStarted) {
    log_.Write(jobStarted ? "打印任务中断" : "打印任务中断：图像无法打印");
    messageSink_(failureText_);
    return 0;
}

}  // namespace orbisk
