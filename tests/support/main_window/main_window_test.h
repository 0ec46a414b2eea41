#pragma once

#include "app/main_dlg/orbisk_dlg.h"
#include "core/branding_writer.h"
#include "core/sys_settings.h"
#include "tests/support/main_window/fake_camera.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace orbisk::test {

// What Sys.ini holds before a start: section, key, value.
using IniKeys = std::map<QString, std::map<QString, QString>>;

// Sys.ini lines as keys: "[SECTION]" lines open a section for the "key=value"
// lines after them, and a line "SECTION/key=value" names its section itself.
// Blank lines and lines without "=" are skipped.
IniKeys ParseIniKeys(const QString& text);

// `over` written over `base`, key by key.
IniKeys MergedIniKeys(IniKeys base, const IniKeys& over);

// The settings the Sys.ini at `path` holds now.
SysSettings StoredSettings(const QString& path);

// The one way tests start a main window. Its files live in a folder of its
// own (data.dat, Sys.ini, the save folder under "images"), its named windows
// in a runtime folder of its own (test programs run side by side), its
// cameras are fakes (or the simulated pair), its message boxes, sounds and
// name questions are recorded or scripted, and it waits for no splash. The
// process-wide state a start changes (the interface language, the simulated
// camera) goes back when the test ends.
class MainWindowTest : public testing::Test {
  protected:
    MainWindowTest();
    ~MainWindowTest() override;

    // Writes data.dat and Sys.ini (the defaults of `ini_` with `ini` over
    // them, in ParseIniKeys' form), builds the window on `env_` and runs its
    // start-up; `completed_` says whether it ran to the end.
    std::unique_ptr<COrbiskDlg> StartWindow(const QString& ini = QString());
    // The files written and the environment filled in as StartWindow does,
    // for a test that builds the window itself.
    StartupEnvironment PrepareStart(const QString& ini = QString());

    // The program's own cameras on the simulated pair instead of the fakes,
    // showing the pictures of `imagesFolder` in turn when one is given.
    void UseSimulatedCamera(const QString& imagesFolder = QString());
    void WithPortraitCamera();

    QString SettingsPath() const { return dir_.File(QStringLiteral("Sys.ini")); }
    // The settings Sys.ini holds now.
    SysSettings Stored() const;

    // The numbers of the fake cameras in order of making: the probe first.
    static constexpr int kDocCamera = 1;
    static constexpr int kPorCamera = 2;

    TempDir dir_;
    BrandingContents branding_;
    FakeCameras cameras_;
    // Sys.ini's keys besides a test's own: the save folder and no date folder.
    IniKeys ini_;
    bool writeBranding_ = true;
    bool writeSettings_ = true;
    // What the window is started on: the test's hooks. The files, the
    // cameras and the recorders below are filled in unless a test set its own.
    StartupEnvironment env_;
    bool completed_ = false;
    // The message boxes shown, texts and icons alike in order.
    QStringList shown_;
    std::vector<QMessageBox::Icon> icons_;
    QStringList sounds_;
    // The answer to every name question, and how many were asked.
    std::optional<QString> answer_ = QStringLiteral("asked");
    int asked_ = 0;
    // The window plays its shutter sound itself instead of telling the test.
    bool windowPlaysSound_ = false;

  private:
    bool simulated_ = false;
    QByteArray runtimeDir_;
};

}  // namespace orbisk::test
