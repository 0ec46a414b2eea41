// Per-frame cost of the live video road on one core: a camera buffer
// converted (MJPG decoded, YUYV converted) and stored in the grab filter, and
// the frame store's quarter turns.
//
// Targets: MJPG 1920x1080 <= 15 ms, MJPG 2592x1944 <= 40 ms, YUYV 1920x1080
// <= 5 ms, a 2592x1944 turn <= 10 ms.

#include <benchmark/benchmark.h>

#include <opencv2/core/utility.hpp>
#include <opencv2/imgcodecs.hpp>

#include "bench/desk_scene.h"
#include "platform/frame_converter.h"
#include "tests/support/scene_generator.h"
#include "video/frame_store.h"
#include "video/grab_filter.h"

namespace {

using namespace orbisk;
using platform::FrameSample;

// The targets are for one core; OpenCV would otherwise spread conversions.
const bool kOneThread = (cv::setNumThreads(1), true);

using test::Desk;

std::vector<uint8_t> Mjpg(int width, int height) {
    std::vector<uint8_t> jpeg;
    cv::imencode(".jpg", Desk(width, height), jpeg, {cv::IMWRITE_JPEG_QUALITY, 85});
    return jpeg;
}

std::vector<uint8_t> Yuyv(int width, int height) {
    std::vector<uint8_t> out;
    platform::BgrToYuyv(Desk(width, height), out);
    return out;
}

void ConvertToStore(benchmark::State& state, uint32_t fourcc, const std::vector<uint8_t>& buffer,
                    int width, int height) {
    benchmark::DoNotOptimize(kOneThread);
    platform::FrameConverter converter;
    CGrabDataFilter filter;
    FrameSample sample;
    for (auto _ : state) {
        const bool ok =
            converter.Convert(fourcc, width, height, buffer.data(), buffer.size(), 0, sample) &&
            filter.Receive(sample);
        if (!ok) {
            state.SkipWithError("frame refused");
            break;
        }
    }
}

void BM_MjpgToStore(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    const auto jpeg = Mjpg(w, h);
    ConvertToStore(state, platform::kFourCcMjpg, jpeg, w, h);
}
BENCHMARK(BM_MjpgToStore)->Args({1920, 1080})->Args({2592, 1944})->Unit(benchmark::kMillisecond);

void BM_YuyvToStore(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    const auto yuyv = Yuyv(w, h);
    ConvertToStore(state, platform::kFourCcYuyv, yuyv, w, h);
}
BENCHMARK(BM_YuyvToStore)->Args({1920, 1080})->Unit(benchmark::kMillisecond);

void BM_FrameStoreTurn(benchmark::State& state) {
    benchmark::DoNotOptimize(kOneThread);
    const int w = 2592, h = 1944;
    const cv::Mat frame = Desk(w, h);
    CDPrgb24 store;
    const int rotation = static_cast<int>(state.range(0));
    for (auto _ : state) {
        if (!store.SetData(frame.data, w, h, rotation)) {
            state.SkipWithError("refused");
            break;
        }
        benchmark::DoNotOptimize(store.GetData());
    }
}
BENCHMARK(BM_FrameStoreTurn)->Arg(0)->Arg(90)->Arg(180)->Arg(270)->Unit(benchmark::kMillisecond);

}  // namespace
