#include "platform/program_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <unistd.h>

namespace orbisk::platform {
namespace {

#ifndef ORBISK_SHARE_DIR
#define ORBISK_SHARE_DIR "/usr/local/share/orbisk"
#endif
#ifndef ORBISK_SHARE_DIR_FROM_BIN
#define ORBISK_SHARE_DIR_FROM_BIN "../share/orbisk"
#endif

// The writable test of a folder: create and remove a file there. access(2)
// is not enough: it answers for root whatever the mount or ACL says.
bool FolderIsWritable(const QString& folder) {
    QTemporaryFile probe(folder + "/.orbisk-probe-XXXXXX");
    return probe.open();
}

}  // namespace

QString ExecutableFolder() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    // Before the application object exists (or in tools without one).
    QFileInfo self(QStringLiteral("/proc/self/exe"));
    return self.canonicalFilePath().isEmpty() ? QDir::currentPath()
                                              : QFileInfo(self.canonicalFilePath()).absolutePath();
}

QString HomeOverride() {
    const QString home = qEnvironmentVariable("ORBISK_HOME");
    return home.isEmpty() ? QString() : QDir::cleanPath(QDir(home).absolutePath());
}

QString ResourcePath(const QString& name) {
    QStringList candidates;
    if (const QString home = HomeOverride(); !home.isEmpty()) {
        candidates << home + '/' + name;
    }
    candidates << ExecutableFolder() + '/' + name;
    // An install moved to another prefix (or staged under DESTDIR) keeps its
    // share folder at the same place next to its executable.
    candidates << QDir::cleanPath(ExecutableFolder() +
                                  QStringLiteral("/" ORBISK_SHARE_DIR_FROM_BIN "/") + name);
    candidates << QStringLiteral(ORBISK_SHARE_DIR) + '/' + name;
    for (const QString& candidate : candidates) {
        if (QFileInfo::exists(candidate)) {
            return candidate;
        }
    }
    return ExecutableFolder() + '/' + name;
}

bool IsInstalledProgramFolder(const QString& folder) {
    return QFileInfo::exists(
        QDir::cleanPath(folder + QStringLiteral("/" ORBISK_SHARE_DIR_FROM_BIN "/data.dat")));
}

QString SettingsFolder() {
    if (const QString home = HomeOverride(); !home.isEmpty()) {
        QDir().mkpath(home);
        return home;
    }
    // An installed program's folder (/usr/bin) is shared by every user and
    // owned by the package, even where root could write it.
    const QString beside = ExecutableFolder();
    if (!IsInstalledProgramFolder(beside) && FolderIsWritable(beside)) {
        return beside;
    }
    QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (config.isEmpty()) {
        config = QDir::homePath() + "/.config/orbisk";
    }
    QDir().mkpath(config);
    return QDir::cleanPath(config);
}

}  // namespace orbisk::platform
