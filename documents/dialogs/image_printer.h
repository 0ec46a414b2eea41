#pragma once

#include <QRect>
#include <QString>

#include <functional>

#include "core/log_writer.h"
#include "core/sys_settings.h"

class QImage;
class QPainter;
class QPrinter;

namespace orbisk {

struct IntRect;

// Prints one image file on a printer the operator picks, at its true size
// (XDPI, YDPI) or fitted to the page (TYPE 1, or the portrait camera), centred
// either way, and turns an image file into a one-page PDF beside it. Lives for
// one command on the UI thread; each print job writes a few lines to
// "log.log" in the current folder, which the printer starts afresh.
class CImagePrinter {
  public:
    // `language`: 0 simplified Chinese, 1 traditional Chinese, 2 English.
    explicit CImagePrinter(int language);

    // The caller's settings; TYPE, CurrentCamera, XDPI and YDPI are read.
    SysSettings Settings;

    // Lets the operator choose the printer and the number of copies, which go
    // out as one job. 1 when the job was sent; 0, with the failure text shown,
    // when the operator cancelled, when the image cannot be read or placed,
    // or when the job fails (a print to a file that was cut short included):
    // then no page is printed and no cut file stays.
    int Print(const QString& path);

    // Draws the image file on the painter's current page into `page` (device
    // pixels at the painter's resolution). False, drawing nothing, when the
    // image cannot be read or placed.
    bool PrintPage(QPainter& painter, const QRect& page, const QString& path);

    // Writes the image as a one-page PDF beside it: the file name's extension
    // becomes ".pdf". False when nothing was written.
    bool SaveAsPdf(const QString& path);

    // "Print failure" in the language; empty for an unknown language.
    const QString& FailureText() const { return failureText_; }

    // Prepares the printer and says whether to print. By default the system's
    // print dialog, over the active window.
    using PrintSetup = std::function<bool(QPrinter&)>;
    void SetPrintSetup(PrintSetup setup) { printSetup_ = std::move(setup); }
    // Where the failure text goes; by default a stop box without owner or caption.
    void SetMessageSink(std::function<void(const QString&)> sink) {
        messageSink_ = std::move(sink);
    }

  private:
    QImage LoadImage(const QString& path);
    IntRect Target(const QImage& image, const QRect& page, int dpiX, int dpiY);
    int Fail(bool jobStarted);

    CLogWriter log_;
    QString failureText_;
    PrintSetup printSetup_;
    std::function<void(const QString&)> messageSink_;
};

}  // namespace orbisk
