// Speed of the character recogniser and of page-orientation detection.

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdlib>
#include <random>
#include <string>

#include <opencv2/core/utility.hpp>

#include "recognition/doc_ocr.h"
#include "recognition/factories.h"
#include "recognition/ocr_mqdf.h"
#include "tests/recognition/template_writer.h"
#include "tests/recognition/test_glyphs.h"

namespace {

using namespace orbisk;

std::string TempFolder() {
    char name[] = "/tmp/orbisk-bench-XXXXXX";
    const char* made = mkdtemp(name);
    return made != nullptr ? std::string(made) : std::string("/tmp");
}

// 1,000 classes over a 96-value projection of the gradient feature, 8 axes per class.
bool WriteMqdfTemplate(const std::string& path) {
    constexpr int kClasses = 1000, kDim = 96, kAxes = 8, kFeature = 512;
    std::mt19937 random(7);
    std::normal_distribution<double> normal(0.0, 1.0);
    auto values = [&](size_t n) {
        std::vector<double> v(n);
        for (double& x : v) x = normal(random);
        return v;
    };
    test::TemplateWriter w(path);
    w.Text("NEW:RLDA_PLUS_MQDF").Text("-N").Text("LN").Text("-F").Text("GRA").Text("-S").Text("L2");
    w.Text("-TRS").Doubles(kDim, kFeature, values(kDim * kFeature));
    for (int c = 0; c < kClasses; ++c) {
        const std::string label{static_cast<char>('!' + c / 90), static_cast<char>('!' + c % 90)};
        w.Text("+" + label)
            .Doubles(kDim, 1, values(kDim))
            .Doubles(kAxes, kDim, values(kAxes * kDim));
        w.Doubles(1, kAxes, values(kAxes)).Doubles(1, 1, {1.0}).Doubles(1, 1, {0.0});
    }
    return w.Close();
}

void BM_MqdfRecognize(benchmark::State& state) {
    cv::setNumThreads(1);
    const std::string path = TempFolder() + "/mqdf.tpl";
    COCRMQDF mqdf;
    if (!WriteMqdfTemplate(path) || !mqdf.Load(path.c_str())) {
        state.SkipWithError("template");
        return;
    }
    std::remove(path.c_str());
    const cv::Mat glyph = test::GlyphImage(test::TestGlyphs()[5]);
    char labels[3];
    double distance = 0;
    for (auto _ : state) {
        const bool ok = mqdf.Recognize(glyph.data, glyph.cols, glyph.rows, labels, 1, &distance);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_MqdfRecognize)->Unit(benchmark::kMicrosecond);

void BM_DetectPage(benchmark::State& state) {
    cv::setNumThreads(1);
    const std::string path = TempFolder() + "/glyphs.tpl";
    CDocOCR ocr;
    if (!test::WriteGlyphTemplate(path, 25) || !ocr.Initialize(path.c_str())) {
        state.SkipWithError("template");
        return;
    }
    std::remove(path.c_str());
    const cv::Mat page = RotateMat270(test::GlyphPage(2592, 1944, 25));
    for (auto _ : state) {
        int angle = -1;
        const bool ok = ocr.Detect(page, &angle, false);
        benchmark::DoNotOptimize(ok);
        if (!ok || angle != 90) state.SkipWithError("wrong angle");
    }
}
BENCHMARK(BM_DetectPage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// One extraction of each feature key on a normalised glyph (64 x 64).
void BM_ExtractFeature(benchmark::State& state, const char* key) {
    cv::setNumThreads(1);
    const cv::Mat glyph = test::GlyphImage(test::TestGlyphs()[5]);
    OcrMatrixPtr image(CreateOcrMatrix(kOcrUInt8, glyph.rows, glyph.cols));
    std::copy(glyph.data, glyph.data + glyph.total(), static_cast<uint8_t*>(image->data));
    const OcrMatrixPtr normalised = CreateImageNormalizer("LN")->Normalize(image.get());
    const auto extractor = CreateFeatureExtractor(key);
    for (auto _ : state) {
        OcrMatrixPtr feature = extractor->Extract(normalised.get(), 0);
        benchmark::DoNotOptimize(feature.get());
    }
}
BENCHMARK_CAPTURE(BM_ExtractFeature, GRA, "GRA")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ExtractFeature, CrossLine, "CrossLine")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ExtractFeature, StrokePos, "StrokePos")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ExtractFeature, PPF, "PPF")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ExtractFeature, CCF, "CCF")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ExtractFeature, HVH, "HVH")->Unit(benchmark::kMicrosecond);

}  // namespace
