// The preview canvas: showing one camera frame (copy in and scale into the
// window's picture) and one paint (overlays, conversion, copy to the window).
// The targets are for one core, so OpenCV runs single-threaded here.
#include "video/object_container.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QImage>
#include <opencv2/core.hpp>

namespace {

constexpr int kViewWidth = 1280;
constexpr int kViewHeight = 800;

cv::Mat NoiseFrame(int width, int height) {
    cv::Mat frame(height, width, CV_8UC3);
    cv::randu(frame, 0, 256);
    return frame;
}

// args: frame width, frame height
void BM_ShowFrame(benchmark::State& state) {
    const cv::Mat frame =
        NoiseFrame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    orbisk::CObjectContainer canvas;
    canvas.resize(kViewWidth, kViewHeight);
    canvas.show();
    canvas.ShowFrame(frame);  // the first frame fits and allocates
    for (auto _ : state) {
        canvas.ShowFrame(frame);
        benchmark::DoNotOptimize(canvas.CleanPicture().data);
    }
}
BENCHMARK(BM_ShowFrame)
    ->Args({1920, 1080})
    ->Args({3264, 2448})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// args: with a crop box (1) or without (0)
void BM_Paint(benchmark::State& state) {
    orbisk::CObjectContainer canvas;
    canvas.resize(kViewWidth, kViewHeight);
    canvas.show();
    canvas.ShowFrame(NoiseFrame(3264, 2448));
    if (state.range(0)) {
        canvas.SetCropRect(800, 600, 2400, 1800, false);
        canvas.CropBox()->Select(true);
    }
    // The window's backing store: a 32-bit picture of the window's size.
    QImage window(kViewWidth, kViewHeight, QImage::Format_RGB32);
    canvas.render(&window);
    for (auto _ : state) {
        canvas.render(&window);
        benchmark::DoNotOptimize(window.constBits());
    }
}
BENCHMARK(BM_Paint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    cv::setNumThreads(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
