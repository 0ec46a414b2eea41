#include "core/path_utils.h"

#include <QDir>
#include <QFileInfo>

namespace orbisk {
namespace {

QString WithoutTrailingSeparator(QString path) {
    while (path.size() > 1 && (path.endsWith('/') || path.endsWith('\\'))) {
        path.chop(1);
    }
    return path;
}

}  // namespace

int PathExists(const QString& path) {
    const QString clean = WithoutTrailingSeparator(path);
    if (clean.isEmpty()) {
        return 0;
    }
    return QFileInfo::exists(clean) ? 1 : 0;
}

int CreateDirectoryPath(const QString& path) {
    if (PathExists(path)) {
        return 1;
    }
    const QString clean = WithoutTrailingSeparator(path);
    if (clean.isEmpty()) {
        return 0;
    }
    QDir().mkpath(clean);
    return QFileInfo(clean).isDir() ? 1 : 0;
}

}  // namespace orbisk
