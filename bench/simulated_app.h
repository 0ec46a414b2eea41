#pragma once

#include "platform/program_folders.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace orbisk::bench {

// One application for every run of a bench program, on the simulated camera,
// with its own settings folder holding a copy of the built data.dat.
inline QApplication& SimulatedCameraApp(const char* programName) {
    static QTemporaryDir home;
    static int argc = 1;
    static std::string name = programName;
    static char* argv[] = {name.data(), nullptr};
    static std::unique_ptr<QApplication> app = [] {
        qputenv("QT_QPA_PLATFORM",
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
        qputenv("ORBISK_CAMERA", "simulated");
        auto made = std::make_unique<QApplication>(argc, argv);
        QFile::copy(platform::ExecutableFolder() + QStringLiteral("/data.dat"),
                    home.filePath(QStringLiteral("data.dat")));
        qputenv("ORBISK_HOME", home.path().toLocal8Bit());
        return made;
    }();
    return *app;
}

}  // namespace orbisk::bench
