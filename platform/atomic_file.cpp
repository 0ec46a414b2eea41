#include "platform/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>

namespace orbisk::platform {

AtomicFileTarget::AtomicFileTarget(const QString& finalPath) : finalPath_(finalPath) {
    const QFileInfo info(finalPath);
    QTemporaryFile temp(info.absolutePath() + "/." + info.fileName() + ".XXXXXX");
    temp.setAutoRemove(false);
    if (temp.open()) {
        tempPath_ = temp.fileName();
        // Libraries open the path themselves; mkstemp's 0600 would otherwise stay.
        temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ReadGroup | QFileDevice::ReadOther);
        temp.close();
    }
}

AtomicFileTarget::~AtomicFileTarget() {
    if (!committed_ && !tempPath_.isEmpty()) {
        QFile::remove(tempPath_);
    }
}

QByteArray AtomicFileTarget::TempPathEncoded() const { return QFile::encodeName(tempPath_); }

bool AtomicFileTarget::Commit() {
    if (tempPath_.isEmpty() || committed_) {
        return false;
    }
    if (std::rename(QFile::encodeName(tempPath_).constData(),
                    QFile::encodeName(finalPath_).constData()) != 0) {
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace orbisk::platform
