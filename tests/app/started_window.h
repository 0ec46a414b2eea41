#pragma once

#include "app/main_dlg/orbisk_dlg.h"
#include "core/branding_writer.h"
#include "tests/app/fake_camera.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <QDir>

#include <memory>

namespace orbisk::test {

// A main window after its start-up on a fake document and portrait camera,
// with its files in a folder of its own and named windows of this test only
// (test programs run side by side).
class StartedWindowTest : public testing::Test {
  protected:
    StartedWindowTest() {
        branding_.logo = QImage(20, 10, QImage::Format_RGB888);
        branding_.logo.fill(Qt::red);
        branding_.link = QStringLiteral("https://example.org");
        branding_.deviceEntries = {QStringLiteral("1d6b0d411d6b0e01")};
        branding_.caption = QStringLiteral("Cam");
        cameras_.devices[QStringLiteral("1d6b:0d41")] = 1;
        cameras_.devices[QStringLiteral("1d6b:0e01")] = 1;
        runtimeDir_ = qgetenv("XDG_RUNTIME_DIR");
        QDir().mkpath(dir_.File("run"));
        qputenv("XDG_RUNTIME_DIR", dir_.File("run").toLocal8Bit());
    }
    ~StartedWindowTest() override { qputenv("XDG_RUNTIME_DIR", runtimeDir_); }

    // The numbers of the fake cameras in order of making: the probe first.
    static constexpr int kDocCamera = 1;
    static constexpr int kPorCamera = 2;

    std::unique_ptr<COrbiskDlg> Start(StartupEnvironment env = {}) {
        const QString folder = dir_.File("images");
        WriteBytes(dir_.File("data.dat"), EncodeBrandingFile(branding_));
        const QString ini =
            QStringLiteral("[Language]\nCurrent=EN\n[IMAGE]\nDATEFOLDER=0\n[FILE]\nFOLDPATH=%1\n")
                .arg(folder);
        WriteBytes(dir_.File("Sys.ini"), (ini + fileKeys_).toUtf8());
        env.brandingPath = dir_.File("data.dat");
        env.settingsPath = dir_.File("Sys.ini");
        env.cameras = cameras_.Factory();
        env.messages = [](const QString&, QMessageBox::Icon) {};
        // No sound player process beside the tests, unless the window's own
        // player is what a test is about.
        if (!env.playSound && !windowPlaysSound_) env.playSound = [](const QString&) {};
        bool completed = false;
        auto dlg = StartMainWindow(std::move(env), completed);
        EXPECT_TRUE(completed);
        return dlg;
    }

    TempDir dir_;
    // Lines of the [FILE] section besides the save folder.
    QString fileKeys_;
    bool windowPlaysSound_ = false;
    QByteArray runtimeDir_;
    BrandingContents branding_;
    FakeCameras cameras_;
};

}  // namespace orbisk::test
