// The live preview on one core: the frame thread's work per frame (take the
// frame from the grab filter, trim, turn, detect, keep the capture copy) at
// 1920x1080 and 3264x2448 with detection off and on, and the time from a
// frame's arrival from the simulated camera to its paint on the canvas.
//
// Targets: detection off <= 8 ms (1080p) and <= 25 ms (3264x2448); detection
// on <= 18 ms and <= 55 ms; arrival to painted <= 50 ms.
#include "bench/desk_scene.h"
#include "platform/simulated_camera.h"
#include "platform/simulated_camera_id.h"
#include "platform/video_registry.h"
#include "platform/window_messages.h"
#include "tests/video/preview_frames.h"
#include "video/camera_controller.h"
#include "video/grab_filter.h"
#include "video/object_container.h"
#include "video/show_video_pro.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QThread>
#include <QWidget>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <mutex>
#include <vector>

namespace {

using namespace orbisk;
using Clock = std::chrono::steady_clock;

// The shared processing without a window: frames are processed, not shown.
class WindowlessPreview : public CShowVideoPro {
  public:
    ~WindowlessPreview() override { StopFrameThread(); }
    QWidget* GetHWnd() override { return nullptr; }
    bool Create(QWidget*, int, int, int, int) override { return true; }
    bool Show(bool) override { return true; }
    void MoveWindow(int, int, int, int) override {}

  protected:
    CObjectContainer* Canvas() override { return nullptr; }
};

using test::Desk;

// args: width, height, detection (0/1), rotation, margin
void BM_ProcessFrame(benchmark::State& state) {
    cv::setNumThreads(1);
    const cv::Mat picture =
        Desk(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    CGrabDataFilter grab;
    grab.Receive(test::TopDownSample(picture));
    WindowlessPreview preview;
    preview.SetPrimaryFrameSource(&grab);
    preview.SetAutoDetect(state.range(2) != 0, false, 0.03f);
    const int margin = static_cast<int>(state.range(4));
    preview.SetMargins(margin, margin, margin, margin);
    preview.SetRotation(static_cast<int>(state.range(3)));
    // The steady state: the first passes allocate the buffers that every
    // later frame reuses, and first touches of fresh memory cost far more
    // than a frame.
    for (int i = 0; i < 3; ++i) {
        preview.ProcessFrame();
    }
    for (auto _ : state) {
        if (!preview.ProcessFrame()) {
            state.SkipWithError("no frame");
            break;
        }
    }
    state.counters["boxes"] = static_cast<double>(preview.Boxes().size());
}
BENCHMARK(BM_ProcessFrame)
    ->ArgNames({"w", "h", "detect", "turn", "margin"})
    ->Args({1920, 1080, 0, 0, 0})
    ->Args({3264, 2448, 0, 0, 0})
    ->Args({1920, 1080, 1, 0, 0})
    ->Args({3264, 2448, 1, 0, 0})
    ->Args({1920, 1080, 0, 90, 8})
    ->Args({3264, 2448, 0, 90, 8})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// Grey levels that survive the camera's YUYV road; the frame's number is its
// level.
constexpr int kCodes = 27;
int Level(int code) { return 24 + code * 8; }
int Decode(const cv::Mat& m) {
    if (m.empty()) return -1;
    const cv::Rect centre(m.cols / 4, m.rows / 4, m.cols / 2, m.rows / 2);
    const double mean = cv::mean(m(centre))[1];
    const int code = static_cast<int>((mean - 24 + 4) / 8);
    return code >= 0 && code < kCodes ? code : -1;
}

// Sees each frame message of the camera as soon as it is posted (on a thread
// of its own), notes the arrival time of the frame's code and hands the
// message on to the preview.
class ArrivalRelay : public QObject {
  public:
    IGrabData* grab = nullptr;
    QObject* preview = nullptr;
    std::mutex lock;
    std::array<Clock::time_point, kCodes> arrived{};

    bool event(QEvent* e) override {
        if (e->type() != platform::WindowMessageEvent::Type()) return QObject::event(e);
        const auto now = Clock::now();
        cv::Mat m;
        if (grab) grab->GetFrameMat(m);
        if (const int code = Decode(m); code >= 0) {
            std::lock_guard l(lock);
            arrived[code] = now;
        }
        platform::PostWindowMessage(preview, platform::WM_FRAME_READY);
        return true;
    }
};

// Notes the paint of each new frame code on the canvas.
class PaintWatch : public QObject {
  public:
    explicit PaintWatch(CObjectContainer* canvas) : canvas_(canvas) {}
    int painted = -1;
    Clock::time_point at;
    bool fresh = false;

    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            const int code = Decode(canvas_->FramePicture());
            if (code >= 0 && code != painted) {
                painted = code;
                at = Clock::now();
                fresh = true;
            }
        }
        return false;
    }

  private:
    CObjectContainer* canvas_;
};

// args: width, height
void BM_ArrivalToPainted(benchmark::State& state) {
    cv::setNumThreads(1);
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    platform::SimulatedCamera::Reset();
    // The simulated camera's own rate, what a document camera gives at these
    // sizes.
    platform::SimulatedCamera::SetFrameRate(15);
    platform::SetVideoRegistryForTesting(std::shared_ptr<platform::VideoRegistry>(
        &platform::SimulatedCamera::Registry(), [](platform::VideoRegistry*) {}));
    std::vector<cv::Mat> frames;
    for (int i = 0; i < 3000; ++i) {
        frames.emplace_back(48, 64, CV_8UC3, cv::Scalar::all(Level(i % kCodes)));
    }
    platform::SimulatedCamera::QueueFrames(platform::kSimulatedDocumentProductId, frames);

    QWidget parent;
    parent.resize(1280, 800);
    parent.show();
    CCameraController controller(1, 0);
    controller.SetResolution(width, height);
    if (controller.Open(&parent, platform::kSimulatedVendorId,
                        platform::kSimulatedDocumentProductId, "", 0, 0, 1280, 800, false,
                        0) != 0) {
        state.SkipWithError("no camera");
        return;
    }
    QWidget* window = controller.Preview()->GetHWnd();
    auto* canvas = window->findChild<CObjectContainer*>();
    QThread relayThread;
    ArrivalRelay relay;
    relay.grab = controller.Source()->GetGrabData();
    relay.preview = window;
    relay.moveToThread(&relayThread);
    relayThread.start();
    controller.Source()->SetNotify(&relay, platform::WM_FRAME_READY);
    PaintWatch watch(canvas);
    canvas->installEventFilter(&watch);
    controller.Run();

    // The first frames fit the canvas and fill the caches.
    for (int i = 0; i < 5; ++i) {
        watch.fresh = false;
        const auto give_up = Clock::now() + std::chrono::seconds(5);
        while (!watch.fresh && Clock::now() < give_up) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
    std::vector<double> ms;
    for (auto _ : state) {
        watch.fresh = false;
        const auto give_up = Clock::now() + std::chrono::seconds(5);
        while (!watch.fresh && Clock::now() < give_up) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        if (!watch.fresh) {
            state.SkipWithError("nothing painted");
            break;
        }
        Clock::time_point arrived;
        {
            std::lock_guard l(relay.lock);
            arrived = relay.arrived[watch.painted];
        }
        const double latency = std::chrono::duration<double>(watch.at - arrived).count();
        state.SetIterationTime(latency);
        ms.push_back(latency * 1000);
    }
    controller.Stop();
    controller.Source()->SetNotify(window, platform::WM_FRAME_READY);
    relayThread.quit();
    relayThread.wait();
    canvas->removeEventFilter(&watch);
    if (!ms.empty()) {
        std::sort(ms.begin(), ms.end());
        state.counters["p95_ms"] = ms[ms.size() * 95 / 100];
        state.counters["max_ms"] = ms.back();
    }
    platform::SetVideoRegistryForTesting(nullptr);
}
BENCHMARK(BM_ArrivalToPainted)
    ->ArgNames({"w", "h"})
    ->Args({1920, 1080})
    ->Args({3264, 2448})
    ->UseManualTime()
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond);

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
