// The preferences on the simulated camera: from button 1041 until the dialog
// is painted (target: within 300 ms), and one resolution probe of the
// document camera (target: 300 ms at most).
#include "app/main_dlg/orbisk_dlg.h"
#include "bench/simulated_app.h"
#include "core/command_ids.h"
#include "platform/program_folders.h"
#include "platform/simulated_camera_id.h"
#include "ui/preferences/system_info_dialog.h"
#include "video/resolution_probe.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;

QApplication& App() { return orbisk::bench::SimulatedCameraApp("preferences_bench"); }

// Notes the first paint of the preferences dialog, then cancels it.
class FirstPaint : public QObject {
  public:
    std::optional<Clock::time_point> painted;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted) {
            if (auto* dlg = qobject_cast<orbisk::CSystemInfoDialog*>(watched)) {
                painted = Clock::now();
                QTimer::singleShot(0, dlg, &QDialog::reject);
            }
        }
        return false;
    }
};

void BM_PreferencesVisible(benchmark::State& state) {
    App();
    QTemporaryDir work;
    QFile ini(work.filePath(QStringLiteral("Sys.ini")));
    if (!ini.open(QIODevice::WriteOnly)) {
        state.SkipWithError("no Sys.ini");
        return;
    }
    ini.write(QStringLiteral("[FILE]\nFOLDPATH=%1/images\n[SOUND]\nPlay=false\n")
                  .arg(work.path())
                  .toUtf8());
    ini.close();
    orbisk::StartupEnvironment env = orbisk::StartupEnvironment::Program();
    env.settingsPath = ini.fileName();
    env.splashMilliseconds = 0;
    env.messages = [](const QString&, QMessageBox::Icon) {};
    orbisk::COrbiskDlg dlg(nullptr, env);
    if (!dlg.OnInitDialog()) {
        state.SkipWithError("the start-up stopped");
        return;
    }
    dlg.show();
    FirstPaint watch;
    qApp->installEventFilter(&watch);
    for (auto _ : state) {
        watch.painted.reset();
        const auto start = Clock::now();
        dlg.OnCommand(orbisk::ids::main_dlg::IDC_PREFERENCES);
        if (!watch.painted) {
            state.SkipWithError("the dialog was never painted");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(*watch.painted - start).count());
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    qApp->removeEventFilter(&watch);
    dlg.DestroyWindow();
}
BENCHMARK(BM_PreferencesVisible)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// A probe made, counting and reading every size, and released: what the
// image page does once.
void BM_ProbeDocumentCamera(benchmark::State& state) {
    App();
    const QString vid = orbisk::platform::kSimulatedVendorId;
    const QString pid = orbisk::platform::kSimulatedDocumentProductId;
    for (auto _ : state) {
        orbisk::CResolutionProbe probe;
        const int count = probe.CountYuy2Sizes(vid, pid, 0);
        if (count <= 0) {
            state.SkipWithError("no sizes");
            break;
        }
        for (int i = 0; i < count; ++i) {
            int width = 0, height = 0;
            benchmark::DoNotOptimize(probe.GetYuy2Size(i, width, height));
        }
    }
}
BENCHMARK(BM_ProbeDocumentCamera)->Unit(benchmark::kMillisecond);

}  // namespace
