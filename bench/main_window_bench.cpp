// The main window's start-up (splash and live picture of the simulated
// camera included), its exit, and a capture by the Space key, as the program
// runs them.
#include "app/main_dlg/orbisk_dlg.h"
#include "bench/simulated_app.h"
#include "core/command_ids.h"
#include "platform/program_folders.h"
#include "platform/simulated_camera.h"
#include "platform/simulated_camera_id.h"
#include "ui/image_tile.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <opencv2/core/utility.hpp>

#include <chrono>
#include <functional>
#include <memory>

namespace {

QApplication& App() { return orbisk::bench::SimulatedCameraApp("main_window_bench"); }

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

// Runs the events until `done`; false after `limit`.
bool RunEventsUntil(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// From plugging the document camera back in to its first new frame, with the
// window's own coalescing of the device events (target: 3 s at most).
void BM_ReplugToLivePicture(benchmark::State& state) {
    App();
    orbisk::StartupEnvironment env = orbisk::StartupEnvironment::Program();
    env.messages = [](const QString&, QMessageBox::Icon) {};
    env.splashMilliseconds = 0;
    orbisk::COrbiskDlg dlg(nullptr, env);
    if (!dlg.OnInitDialog()) state.SkipWithError("the start-up stopped");
    dlg.show();
    const std::string doc = orbisk::platform::kSimulatedDocumentProductId;
    for (auto _ : state) {
        orbisk::platform::SimulatedCamera::Unplug(doc);
        if (!RunEventsUntil([&] { return dlg.DocCamera() == nullptr; }, std::chrono::seconds(10))) {
            state.SkipWithError("the unplug was not noticed");
            break;
        }
        const long delivered = orbisk::platform::SimulatedCamera::FramesDelivered(doc);
        const auto start = std::chrono::steady_clock::now();
        orbisk::platform::SimulatedCamera::Plug(doc);
        if (!RunEventsUntil(
                [&] {
                    return dlg.DocCamera() &&
                           orbisk::platform::SimulatedCamera::FramesDelivered(doc) > delivered;
                },
                std::chrono::seconds(10))) {
            state.SkipWithError("no live picture after the replug");
            break;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    dlg.DestroyWindow();
}
BENCHMARK(BM_ReplugToLivePicture)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Space pressed on the window until the file is written and its tile
// painted: the simulated document camera at 3264 x 2448, the whole frame, a
// JPEG of quality 80 in colour (argument 0) or a black-and-white TIFF (2).
// Run it on one core: taskset -c 0 build/bin/main_window_bench.
void BM_SpaceToFileAndTile(benchmark::State& state) {
    App();
    cv::setNumThreads(1);
    QTemporaryDir work;
    const QString ini = work.filePath(QStringLiteral("Sys.ini"));
    QFile file(ini);
    if (!file.open(QIODevice::WriteOnly)) {
        state.SkipWithError("no Sys.ini");
        return;
    }
    file.write(QStringLiteral("[FILE]\nFOLDPATH=%1/images\nTypeofImageName=0\n[SOUND]\nPlay=false\n"
                              "[IMAGE]\nDATEFOLDER=0\nDocCamWidth=3264\nDocCamHeight=2448\n"
                              "JPGQuality=80\nCOLOR=%2\nCUTPAGETYPE=0\n")
                   .arg(work.path())
                   .arg(state.range(0))
                   .toUtf8());
    file.close();
    orbisk::StartupEnvironment env = orbisk::StartupEnvironment::Program();
    env.settingsPath = ini;
    env.splashMilliseconds = 0;
    QStringList shown;
    env.messages = [&](const QString& text, QMessageBox::Icon) { shown.append(text); };
    orbisk::COrbiskDlg dlg(nullptr, env);
    if (!dlg.OnInitDialog()) {
        state.SkipWithError("the start-up stopped");
        return;
    }
    dlg.show();
    QElapsedTimer waited;
    waited.start();
    while (dlg.DocCamera()->GetFrame().empty() && waited.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QWidget* focus = dlg.Control(orbisk::ids::main_dlg::IDC_EXIT);
    int captures = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(focus, &press);
        dlg.repaint();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        ++captures;
        // Let the live picture run between presses, as between an operator's.
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    const int written =
        static_cast<int>(QDir(dlg.GetSettings().SaveFolder).entryList(QDir::Files).size());
    if (written != captures || !shown.isEmpty()) {
        state.SkipWithError(QStringLiteral("%1 files for %2 captures %3")
                                .arg(written)
                                .arg(captures)
                                .arg(shown.join(' '))
                                .toUtf8()
                                .constData());
    }
    dlg.DestroyWindow();
}
BENCHMARK(BM_SpaceToFileAndTile)
    ->Arg(0)
    ->Arg(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace
