// One run of the auto-exposure dialog with its real waits (3 s a step) over
// a camera whose exposure range is -13..-1 and which starts at -5: the wall
// time (target: 60 s at most) and the CPU time, which stays far below it
// because the waits are timers, not a busy message loop.
#include "video/dialogs/auto_exposure_dlg.h"

#include <benchmark/benchmark.h>
#include <QApplication>

#include <ctime>

namespace {

struct SteadyCamera : orbisk::IAutoExposureCamera {
    int value = -5;
    int GetExposureRange(int& lo, int& hi) override {
        lo = -13, hi = -1;
        return 0;
    }
    int GetExposure(int& v) override {
        v = value;
        return 0;
    }
    int SetExposure(int v) override {
        value = v;
        return 0;
    }
    // As bright at every step: every step is tried.
    cv::Mat GetFrame() override { return cv::Mat(1080, 1920, CV_8UC3, cv::Scalar(190, 190, 190)); }
};

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void BM_AutoExposureRun(benchmark::State& state) {
    for (auto _ : state) {
        auto camera = std::make_shared<SteadyCamera>();
        orbisk::CAutoExposureDlg dlg(camera);
        const double cpu = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        if (dlg.exec() != QDialog::Accepted) state.SkipWithError("the calibration failed");
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(wall);
        state.counters["cpu_s"] = CpuSeconds() - cpu;
        state.counters["wall_s"] = wall;
    }
}
BENCHMARK(BM_AutoExposureRun)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
