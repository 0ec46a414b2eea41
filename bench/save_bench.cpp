// Shutter to file: one 3264 x 2448 frame through CImageSaver, cropped
// automatically (crop mode 1) and written as a JPEG of quality 80, in colour,
// in black and white, and with barcode naming; and the processing of a
// cut-out alone.
//
//   save_bench --benchmark_min_time=2

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <opencv2/imgproc.hpp>

#include <vector>

#include "documents/image_saver.h"
#include "tests/support/barcode_symbols.h"
#include "tests/support/scene_generator.h"

namespace orbisk {
namespace {

constexpr int kEnglish = 2;

// A 3264 x 2448 frame with one slightly turned page; `withCode` adds a QR
// code of "ABC" on the page, so barcode naming finds a name.
cv::Mat MakeFrame(bool withCode) {
    test::Scene scene =
        test::MakeScene({.size = {3264, 2448},
                         .pages = {{.centre = {1632, 1224}, .size = {2300, 1700}, .angle = 4}}});
    if (withCode) {
        cv::Mat code;
        cv::cvtColor(test::ZintSymbol(BARCODE_QRCODE, "ABC", 4), code, cv::COLOR_GRAY2BGR);
        // A white quiet zone of 40 pixels around the code.
        scene.image(cv::Rect(1200, 700, code.cols + 80, code.rows + 80))
            .setTo(cv::Scalar::all(255));
        code.copyTo(scene.image(cv::Rect(1240, 740, code.cols, code.rows)));
    }
    return scene.image;
}

class NoMessages : public ISaverNotifier {
  public:
    void ShowMessage(const QString&, SaverIcon) override {}
    void ReportWriteFailure(const QString&) override {}
};

void ShutterToFile(benchmark::State& state, int colour, bool barcodes) {
    // The targets are for one core.
    cv::setNumThreads(1);
    QTemporaryDir dir(QDir::tempPath() + "/orbisk-bench-XXXXXX");
    SysSettings settings;
    settings.SaveFolder = dir.path();
    settings.CUTPAGETYPE = 1;
    settings.COLOR = colour;
    settings.IMG_FORMAT = 2;  // JPEG even in black and white
    settings.JPGQuality = 80;
    settings.RECOGNIZE = barcodes ? 1 : 0;
    NoMessages notifier;
    const cv::Mat frame = MakeFrame(barcodes);
    int n = 0;
    for (auto _ : state) {
        CImageSaver saver(kEnglish, &notifier);
        saver.SetSettings(settings);
        std::vector<cv::Mat> pages;
        saver.ProcessCapture(frame, pages);
        QStringList written;
        saver.SaveImages(pages, dir.filePath(QString("IMG%1").arg(n++, 5, 10, QChar('0'))),
                         written);
        if (written.size() != 1) {
            state.SkipWithError("nothing written");
            break;
        }
        if (barcodes && !written[0].endsWith("/ABC.jpg")) {
            state.SkipWithError("the code did not name the file");
            break;
        }
        state.PauseTiming();
        QFile::remove(written[0]);
        state.ResumeTiming();
    }
}

// The capture's processing of one cut-out (the whole 3264 x 2448 frame), as
// the capture command runs it before saving.
void ProcessCutOut(benchmark::State& state, int colour) {
    cv::setNumThreads(1);
    SysSettings settings;
    settings.COLOR = colour;
    NoMessages notifier;
    const cv::Mat frame = MakeFrame(false);
    for (auto _ : state) {
        CImageSaver saver(kEnglish, &notifier);
        saver.SetSettings(settings);
        cv::Mat page = saver.ProcessImage(frame);
        benchmark::DoNotOptimize(page.data);
    }
}

BENCHMARK_CAPTURE(ProcessCutOut, Colour, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ProcessCutOut, BlackAndWhite, 2)->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(ShutterToFile, Colour, 0, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShutterToFile, BlackAndWhite, 2, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShutterToFile, ColourWithBarcodeNaming, 0, true)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orbisk
