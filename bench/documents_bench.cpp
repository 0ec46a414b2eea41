// Speed of the image file writers and of barcode reading on camera-sized pages.
//
//   JPEG: our writer on an 8 MP page beside a bare cv::imencode of the same
//         matrix at the same quality; ours should stay within 1.1 times.
//   G4 TIFF: one black-and-white 8 MP page, target at most 150 ms.
//   Barcodes: a cropped 2 MP colour page with a QR code and an EAN-13, target
//         at most 100 ms.

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QTemporaryDir>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <string>
#include <vector>

#include "documents/barcode_reader.h"
#include "documents/bilevel_tiff_writer.h"
#include "documents/image_files.h"
#include "tests/support/barcode_symbols.h"
#include "tests/support/scene_generator.h"

namespace {

using namespace orbisk;

const cv::Size k8Mp(3264, 2448);
const cv::Size k2Mp(1632, 1224);
constexpr int kJpegQuality = 80;

const cv::Mat& ColourPage8Mp() {
    static const cv::Mat page = test::MakeShadedPage(k8Mp).image;
    return page;
}

void BM_JpegWriteFile(benchmark::State& state) {
    cv::setNumThreads(1);
    QTemporaryDir dir;
    const QString path = dir.filePath("page.jpg");
    const cv::Mat& page = ColourPage8Mp();
    QByteArray written;
    for (auto _ : state) {
        if (!WriteJpegFile(path, page, written, 300, 300, kJpegQuality)) {
            state.SkipWithError("write failed");
            break;
        }
    }
}
BENCHMARK(BM_JpegWriteFile)->Unit(benchmark::kMillisecond);

// The reference: OpenCV's encoder into memory, no file at all.
void BM_JpegImencode(benchmark::State& state) {
    cv::setNumThreads(1);
    const cv::Mat& page = ColourPage8Mp();
    std::vector<unsigned char> bytes;
    for (auto _ : state) {
        cv::imencode(".jpg", page, bytes, {cv::IMWRITE_JPEG_QUALITY, kJpegQuality});
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_JpegImencode)->Unit(benchmark::kMillisecond);

void BM_BilevelTiffPage(benchmark::State& state) {
    cv::setNumThreads(1);
    QTemporaryDir dir;
    const cv::Mat page = ~test::MakeShadedPage(k8Mp).ink;  // black text on white
    for (auto _ : state) {
        CBilevelTiffWriter writer;
        writer.SetPath(dir.filePath("page.tif"));
        writer.SetResolution(300, 300);
        if (writer.AddPage(page) != 0) {
            state.SkipWithError("write failed");
            break;
        }
    }
}
BENCHMARK(BM_BilevelTiffPage)->Unit(benchmark::kMillisecond);

// A cropped page with a QR code at the top right and an EAN-13 at the bottom,
// each printed on a blank patch of the paper.
cv::Mat BarcodePage2Mp() {
    cv::Mat page = test::MakeShadedPage(k2Mp, 5).image;
    auto print = [&page](const cv::Mat& symbol, cv::Point at) {
        const cv::Rect patch = cv::Rect(at, symbol.size()) + cv::Size(40, 40) - cv::Point(20, 20);
        page(patch).setTo(cv::mean(page(patch)));
        page(cv::Rect(at, symbol.size())).setTo(cv::Scalar::all(40), symbol < 128);
    };
    print(test::ZintSymbol(BARCODE_QRCODE, "https://example.org/document/4711", 3), {1300, 100});
    print(test::ZintSymbol(BARCODE_EANX, "400638133393", 2), {200, 900});
    return page;
}

// Argument: OpenCV's thread count for the binarisation; 0 keeps its default,
// as the program runs it.
void BM_BarcodeDecode(benchmark::State& state) {
    cv::setNumThreads(state.range(0) > 0 ? static_cast<int>(state.range(0)) : -1);
    const cv::Mat page = BarcodePage2Mp();
    CBarcodeReader reader;
    BarcodeResults results;
    for (auto _ : state) {
        reader.Decode(page, results, false);
    }
    state.SetLabel(results.size() == 4 ? results[0] + ", " + results[2] : "");
    if (results.size() != 4) {
        state.SkipWithError("the two symbols were not both found");
    }
}
BENCHMARK(BM_BarcodeDecode)->ArgName("threads")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
