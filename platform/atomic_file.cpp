#include "platform/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace orbisk::platform {

AtomicFileTarget::AtomicFileTarget(const QString& finalPath) : finalPath_(finalPath) {
    const QFileInfo info(finalPath);
    // A short name of its own: a final name near the 255-byte limit must still
    // have a temporary name that fits.
    QTemporaryFile temp(info.absolutePath() + "/.orbisk-XXXXXX");
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

bool WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    AtomicFileTarget target(path);
    if (!target.IsValid()) {
        return false;
    }
    const int fd = ::open(target.TempPathEncoded().constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    bool ok = true;
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = false;
            break;
        }
        data += n;
        left -= n;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    return ok && target.Commit();
}

}  // namespace orbisk::platform
