// The capture program. The main window is not part of the program yet: the
// start-up reads the branding file and the settings, prepares the folders,
// shows the splash picture and ends.
#include "app/core/branding_data.h"
#include "app/core/path_utils.h"
#include "app/core/sys_settings.h"
#include "app/core/temp_folder.h"
#include "app/splash_dlg.h"
#include "app/startup_messages.h"
#include "platform/program_folders.h"

#include <QApplication>
#include <QDate>
#include <QMessageBox>
#include <QTextStream>
#include <QThread>
#include <QTimer>

namespace {

void Report(const QString& text) {
    QTextStream(stderr) << text << '\n';
    QMessageBox::critical(nullptr, QString(), text);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orbisk"));

    using namespace orbisk;
    const QString brandingPath = platform::ResourcePath(QStringLiteral("data.dat"));
    const QString settingsPath = platform::SettingsFolder() + QStringLiteral("/Sys.ini");

    SysSettings settings;
    if (!settings.EnsureFile(settingsPath)) {
        Report(StartupMessageText(StartupMessage::SettingsUnavailable, 0));
        return 1;
    }
    settings.Load();
    if (TheBrandingData().Load(brandingPath) != 0) {
        Report(StartupMessageText(StartupMessage::BrandingUnreadable, settings.Language));
        return 1;
    }
    settings.SaveFolder = ComputeSaveFolder(settings, QDate::currentDate());
    CreateDirectoryPath(settings.FOLDPATH);
    CreateDirectoryPath(settings.SaveFolder);
    if (PrepareTempFolder().isEmpty()) {
        Report(StartupMessageText(StartupMessage::TempFolderUnavailable, settings.Language));
    }

    CSplashDlg splash;
    if (splash.HasPicture()) {
        splash.show();
        QTimer::singleShot(1000, &app, &QApplication::quit);
        app.exec();
    }

    QTextStream(stdout) << TheBrandingData().caption << ": settings " << settingsPath << ", images "
                        << settings.SaveFolder << ", temporary folder " << TempFolder() << '\n'
                        << "The main window is not built yet.\n";
    return 0;
}
