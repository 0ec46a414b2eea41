#include "tests/support/main_window/main_window_test.h"

#include "app/interface_language.h"
#include "platform/simulated_camera.h"
#include "platform/simulated_camera_id.h"

#include <QDir>

namespace orbisk::test {

IniKeys ParseIniKeys(const QString& text) {
    IniKeys keys;
    QString section;
    for (QString line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) continue;
        QString key = line.left(equals);
        QString inSection = section;
        if (const qsizetype slash = key.indexOf(QLatin1Char('/')); slash >= 0) {
            inSection = key.left(slash);
            key = key.mid(slash + 1);
        }
        keys[inSection][key] = line.mid(equals + 1);
    }
    return keys;
}

IniKeys MergedIniKeys(IniKeys base, const IniKeys& over) {
    for (const auto& [section, values] : over) {
        for (const auto& [key, value] : values) base[section][key] = value;
    }
    return base;
}

MainWindowTest::MainWindowTest() {
    branding_.logo = QImage(20, 10, QImage::Format_RGB888);
    branding_.logo.fill(Qt::red);
    branding_.link = QStringLiteral("https://example.org");
    branding_.deviceEntries = {QStringLiteral("1d6b0d411d6b0e01")};
    cameras_.devices[QStringLiteral("1d6b:0d41")] = 1;
    ini_["FILE"]["FOLDPATH"] = dir_.File(QStringLiteral("images"));
    ini_["IMAGE"]["DATEFOLDER"] = QStringLiteral("0");
    env_.splashMilliseconds = 0;
    runtimeDir_ = qgetenv("XDG_RUNTIME_DIR");
    QDir().mkpath(dir_.File(QStringLiteral("run")));
    qputenv("XDG_RUNTIME_DIR", dir_.File(QStringLiteral("run")).toLocal8Bit());
}

MainWindowTest::~MainWindowTest() {
    ResetInterfaceLanguage();
    if (simulated_) {
        qunsetenv("ORBISK_CAMERA");
        qunsetenv("ORBISK_CAMERA_IMAGES");
        platform::SimulatedCamera::Reset();
    }
    qputenv("XDG_RUNTIME_DIR", runtimeDir_);
}

void MainWindowTest::UseSimulatedCamera(const QString& imagesFolder) {
    simulated_ = true;
    qputenv("ORBISK_CAMERA", "simulated");
    if (!imagesFolder.isEmpty()) qputenv("ORBISK_CAMERA_IMAGES", imagesFolder.toLocal8Bit());
    branding_.deviceEntries = {QString::fromLatin1(platform::kSimulatedDeviceEntry)};
    env_.cameras = ControllerCameraFactory();
}

void MainWindowTest::WithPortraitCamera() { cameras_.devices[QStringLiteral("1d6b:0e01")] = 1; }

StartupEnvironment MainWindowTest::PrepareStart(const QString& ini) {
    if (writeBranding_) {
        EXPECT_TRUE(
            WriteBytes(dir_.File(QStringLiteral("data.dat")), EncodeBrandingFile(branding_)));
    }
    if (writeSettings_) {
        QString text;
        for (const auto& [section, values] : MergedIniKeys(ini_, ParseIniKeys(ini))) {
            text += QLatin1Char('[') + section + QStringLiteral("]\n");
            for (const auto& [key, value] : values) text += key + QLatin1Char('=') + value + '\n';
        }
        EXPECT_TRUE(WriteBytes(SettingsPath(), text.toUtf8()));
    }
    StartupEnvironment env = env_;
    env.brandingPath = dir_.File(QStringLiteral("data.dat"));
    env.settingsPath = SettingsPath();
    if (!env.cameras) env.cameras = cameras_.Factory();
    if (!env.messages) {
        env.messages = [this](const QString& text, QMessageBox::Icon icon) {
            shown_.append(text);
            icons_.push_back(icon);
        };
    }
    // No sound player process beside the tests, unless the window's own
    // player is what a test is about.
    if (!env.playSound && !windowPlaysSound_)
        env.playSound = [this](const QString& path) { sounds_.append(path); };
    if (!env.askFileName) {
        env.askFileName = [this](int) {
            ++asked_;
            return answer_;
        };
    }
    return env;
}

std::unique_ptr<COrbiskDlg> MainWindowTest::StartWindow(const QString& ini) {
    auto dlg = std::make_unique<COrbiskDlg>(nullptr, PrepareStart(ini));
    completed_ = dlg->OnInitDialog();
    return dlg;
}

SysSettings StoredSettings(const QString& path) {
    SysSettings s;
    s.EnsureFile(path);
    s.Load();
    return s;
}

SysSettings MainWindowTest::Stored() const { return StoredSettings(SettingsPath()); }

}  // namespace orbisk::test
