// One PDF of 50 camera pages saved as JPEG (8 MP, quality 80), the way the
// page-collection dialog combines them. The pages go in unchanged after a
// check of their data, so the target is at most 1 s, and the file within
// 1 % of the pages' bytes (counter size_ratio; the run stops with an error
// outside that).

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <opencv2/imgcodecs.hpp>

#include <cmath>
#include <vector>

#include "documents/image_files.h"
#include "documents/pdf_document.h"
#include "tests/support/scene_generator.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace orbisk;

constexpr int kPages = 50;

void BM_PdfOfFiftyJpegPages(benchmark::State& state) {
    QTemporaryDir dir;
    std::vector<unsigned char> jpeg;
    cv::imencode(".jpg", test::MakeShadedPage(cv::Size(3264, 2448)).image, jpeg,
                 {cv::IMWRITE_JPEG_QUALITY, 80});
    const QByteArray bytes(reinterpret_cast<const char*>(jpeg.data()),
                           static_cast<qsizetype>(jpeg.size()));
    QStringList pages;
    for (int i = 0; i < kPages; ++i) {
        pages << dir.filePath(QString("Tmp%1.jpg").arg(i, 3, 10, QChar('0')));
        if (!test::WriteBytes(pages.back(), bytes)) {
            state.SkipWithError("cannot write the pages");
            return;
        }
    }
    CPdfDocument document;
    document.SetTargetName(dir.filePath("batch.pdf"));
    for (auto _ : state) {
        if (document.WriteImages(pages) != 0) {
            state.SkipWithError("write failed");
            return;
        }
    }
    const double ratio =
        double(QFileInfo(document.TargetName()).size()) / (double(bytes.size()) * kPages);
    state.counters["size_ratio"] = ratio;
    state.counters["page_bytes"] = double(bytes.size());
    if (std::abs(ratio - 1.0) > 0.01) {
        state.SkipWithError("the PDF is not within 1 % of the pages' bytes");
    }
}
BENCHMARK(BM_PdfOfFiftyJpegPages)->Unit(benchmark::kMillisecond);

// The check each JPEG page gets before it goes in unchanged (and before a
// TIFF combine decodes it): a whole decode at 1/8 scale of one camera page.
void BM_JpegPageCheck(benchmark::State& state) {
    QTemporaryDir dir;
    std::vector<unsigned char> jpeg;
    cv::imencode(".jpg", test::MakeShadedPage(cv::Size(3264, 2448)).image, jpeg,
                 {cv::IMWRITE_JPEG_QUALITY, 80});
    const QString page = dir.filePath("Tmp001.jpg");
    if (!test::WriteBytes(page, QByteArray(reinterpret_cast<const char*>(jpeg.data()),
                                           static_cast<qsizetype>(jpeg.size())))) {
        state.SkipWithError("cannot write the page");
        return;
    }
    for (auto _ : state) {
        if (!IsSoundPageFile(page)) {
            state.SkipWithError("a whole page refused");
            return;
        }
    }
}
BENCHMARK(BM_JpegPageCheck)->Unit(benchmark::kMillisecond);

}  // namespace
