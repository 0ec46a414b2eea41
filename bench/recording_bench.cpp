// Recording to ASF on one core: the cost of one 1280x960 frame (fitting the
// preview's picture into the frame, converting it to yuv420p, WMV2 encoding
// and writing), and a whole recording from the simulated camera through the
// camera controller, counting the frames the recording skipped and how much
// of its frame rate the preview kept meanwhile.
//
// Targets: <= 20 ms a frame (10 frames a second then take under a quarter of
// a core); a 60 s recording at 10 fps skips no frame while the preview keeps
// >= 90 % of its frame rate. ORBISK_RECORD_SECONDS shortens the recording.
#include "bench/desk_scene.h"
#include "platform/asf_writer.h"
#include "platform/simulated_camera.h"
#include "platform/simulated_camera_id.h"
#include "platform/video_registry.h"
#include "video/asf_recorder.h"
#include "video/camera_controller.h"
#include "video/recording_frame.h"
#include "video/show_video_pro.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWidget>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>

#include <vector>

namespace {

using namespace orbisk;

// Pictures that change from frame to frame as a page moved by hand does,
// so that the encoder has motion to code.
std::vector<cv::Mat> MovingDesk(int width, int height, int count) {
    const cv::Mat desk = test::Desk(width + count * 4, height);
    std::vector<cv::Mat> frames;
    for (int i = 0; i < count; ++i) {
        frames.push_back(desk(cv::Rect(i * 4, 0, width, height)).clone());
    }
    return frames;
}

// args: picture width, height (the preview's frame)
void BM_EncodeFrame(benchmark::State& state) {
    cv::setNumThreads(1);
    const auto pictures =
        MovingDesk(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 50);
    QTemporaryDir dir(QDir::tempPath() + "/orbisk-bench-XXXXXX");
    platform::AsfWriter writer;
    if (!writer.Open(dir.filePath("bench.asf"), {1280, 960, 10, 462500}, std::nullopt)) {
        state.SkipWithError("no file");
        return;
    }
    cv::Mat sample = cv::Mat::zeros(960, 1280, CV_8UC3);
    int64_t index = 0;
    for (auto _ : state) {
        ScaleIntoSample(pictures[index % pictures.size()], sample);
        if (!writer.WriteVideo(sample.data, static_cast<int>(sample.step), index++)) {
            state.SkipWithError("write failed");
            break;
        }
    }
    writer.Finish();
    state.counters["fps_on_one_core"] =
        benchmark::Counter(static_cast<double>(index), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EncodeFrame)
    ->ArgNames({"w", "h"})
    ->Args({1280, 960})
    ->Args({1920, 1080})
    ->Args({3264, 2448})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

// The preview's shown frames per second over `ms` of running the UI.
double ShownRate(CShowVideoPro& preview, int ms) {
    const long before = preview.FramesShown();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return static_cast<double>(preview.FramesShown() - before) * 1000.0 /
           static_cast<double>(timer.elapsed());
}

void BM_RecordSimulatedCamera(benchmark::State& state) {
    cv::setNumThreads(1);
    const int seconds = qEnvironmentVariableIsSet("ORBISK_RECORD_SECONDS")
                            ? qEnvironmentVariableIntValue("ORBISK_RECORD_SECONDS")
                            : 60;
    platform::SimulatedCamera::Reset();
    platform::SimulatedCamera::SetFrameRate(15);
    platform::SetVideoRegistryForTesting(std::shared_ptr<platform::VideoRegistry>(
        &platform::SimulatedCamera::Registry(), [](platform::VideoRegistry*) {}));
    QWidget parent;
    parent.resize(1280, 800);
    parent.show();
    CVideoRecorder* recorder = nullptr;
    CCameraController::Factories factories;
    factories.recorder = [&recorder] {
        auto made = std::make_unique<CVideoRecorder>();
        recorder = made.get();
        return made;
    };
    CCameraController controller(1, 0, std::move(factories));
    controller.SetResolution(1920, 1080);
    if (controller.Open(&parent, platform::kSimulatedVendorId,
                        platform::kSimulatedDocumentProductId, "", 0, 0, 1280, 800, false,
                        0) != 0 ||
        !controller.Run()) {
        state.SkipWithError("no camera");
        return;
    }
    auto* preview = dynamic_cast<CShowVideoPro*>(controller.Preview());
    QTemporaryDir dir(QDir::tempPath() + "/orbisk-bench-XXXXXX");
    for (auto _ : state) {
        ShownRate(*preview, 1000);  // the first frames fit the canvas
        const double alone = ShownRate(*preview, 5000);
        if (controller.StartRecording(dir.filePath("camera.asf"), 1280, 960, 10, 462500) != 0) {
            state.SkipWithError("no recording");
            break;
        }
        const double recording = ShownRate(*preview, seconds * 1000);
        const long written = recorder->FramesWritten();
        const long skipped = recorder->FramesSkipped();
        const bool sound = recorder->HasAudio();
        controller.StopRecording();
        state.counters["preview_fps_alone"] = alone;
        state.counters["preview_fps_recording"] = recording;
        state.counters["preview_kept_pct"] = alone > 0 ? 100.0 * recording / alone : 0;
        state.counters["frames_written"] = static_cast<double>(written);
        state.counters["frames_skipped"] = static_cast<double>(skipped);
        state.counters["sound"] = sound ? 1 : 0;
    }
    controller.Stop();
    platform::SetVideoRegistryForTesting(nullptr);
}
BENCHMARK(BM_RecordSimulatedCamera)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
