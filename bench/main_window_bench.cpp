// The main window's start-up (splash and live picture of the simulated
// camera included) and its exit, as the program runs them.
#include "app/main_dlg/orbisk_dlg.h"
#include "platform/program_folders.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <memory>

namespace {

// One application for every run, on the simulated camera, with its own
// settings folder.
QApplication& App() {
    static QTemporaryDir home;
    static int argc = 1;
    static char name[] = "main_window_bench";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> app = [] {
        qputenv("QT_QPA_PLATFORM",
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
        qputenv("ORBISK_CAMERA", "simulated");
        auto made = std::make_unique<QApplication>(argc, argv);
        QFile::copy(orbisk::platform::ExecutableFolder() + QStringLiteral("/data.dat"),
                    home.filePath(QStringLiteral("data.dat")));
        qputenv("ORBISK_HOME", home.path().toLocal8Bit());
        return made;
    }();
    return *app;
}

void BM_StartUpToLivePicture(benchmark::State& state) {
    App();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        orbisk::COrbiskDlg dlg;
        const bool started = dlg.OnInitDialog();
        dlg.show();
        const auto up = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(up - start).count());
        if (!started) state.SkipWithError("the start-up stopped");
        dlg.DestroyWindow();
    }
}
BENCHMARK(BM_StartUpToLivePicture)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Exit(benchmark::State& state) {
    App();
    for (auto _ : state) {
        orbisk::COrbiskDlg dlg;
        if (!dlg.OnInitDialog()) state.SkipWithError("the start-up stopped");
        dlg.show();
        const auto start = std::chrono::steady_clock::now();
        dlg.DestroyWindow();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_Exit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
