#include "core/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace orbisk {
namespace {

QString& StoredTempFolder() {
    static QString folder;
    return folder;
}

}  // namespace

QString PrepareTempFolder() {
    QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (cache.isEmpty()) {
        return QString();
    }
    const QString folder = QDir::cleanPath(cache + "/work");
    if (!QDir().mkpath(folder)) {
        return QString();
    }
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!QDir::setCurrent(folder)) {
        return QString();
    }
    StoredTempFolder() = folder + '/';
    return StoredTempFolder();
}

QString TempFolder() { return StoredTempFolder(); }

}  // namespace orbisk
