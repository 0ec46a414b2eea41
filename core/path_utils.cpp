#include "core/path_utils.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

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

bool IsWritableFolder(const QString& path) {
    if (!CreateDirectoryPath(path) || !QFileInfo(WithoutTrailingSeparator(path)).isDir()) {
        return false;
    }
    QTemporaryFile probe(WithoutTrailingSeparator(path) + QStringLiteral("/.orbisk-write-XXXXXX"));
    // One byte: a full file system refuses it.
    return probe.open() && probe.write("x", 1) == 1 && probe.flush();
}

}  // namespace orbisk
