// Frames per second of the TCP picture source from the tests' fake picture
// server over loopback: each frame is requested, received, decoded and kept
// as the newest frame before the next request goes out, so the rate of
// requests the server reads is the source's frame rate.
//
// Target: at least 25 frames per second at 1280x960.

#include <benchmark/benchmark.h>

#include <opencv2/imgcodecs.hpp>

#include "bench/desk_scene.h"
#include "tests/support/fake_picture_server.h"
#include "video/frame_store.h"
#include "video/tcp_remote_data.h"

#include <thread>

namespace {

using namespace orbisk;

void BM_TcpFramesOverLoopback(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    std::vector<uint8_t> jpeg;
    cv::imencode(".jpg", test::Desk(w, h), jpeg, {cv::IMWRITE_JPEG_QUALITY, 85});
    test::FakePictureServer server(test::ServeFrames(jpeg));
    CTcpRemoteData source;
    if (source.Open(QStringLiteral("127.0.0.1:%1").arg(server.Port()), "0", {}, nullptr, false,
                    0) != kSOk ||
        !source.Run()) {
        state.SkipWithError("no connection to the fake server");
        return;
    }
    const auto waitFor = [&](long requests) {
        while (server.MessagesRead() < requests) std::this_thread::yield();
    };
    waitFor(2);  // the first frame is through
    for (auto _ : state) {
        waitFor(server.MessagesRead() + 1);
    }
    CDPrgb24 store;
    int fw = 0, fh = 0;
    if (!source.GetFrame(&store) || !store.GetSize(fw, fh) || fw != w || fh != h) {
        state.SkipWithError("no frame of the size served");
    }
    source.Stop();
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["jpeg_kB"] = static_cast<double>(jpeg.size()) / 1024;
}
BENCHMARK(BM_TcpFramesOverLoopback)
    ->Args({1280, 960})
    ->Args({2592, 1944})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
