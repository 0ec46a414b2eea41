#include "platform/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace orbisk::platform {
namespace {

constexpr char kTempPrefix[] = ".orbisk-";
constexpr int kTempLetters = 6;
constexpr int kMaxLinks = 40;  // as the kernel's own limit on a chain of links

bool IsTempName(const char* name) {
    const std::size_t prefix = sizeof(kTempPrefix) - 1;
    if (std::strncmp(name, kTempPrefix, prefix) != 0 ||
        std::strlen(name) != prefix + kTempLetters) {
        return false;
    }
    for (int i = 0; i < kTempLetters; ++i) {
        const char c = name[prefix + i];
        if (!(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z') && !(c >= '0' && c <= '9')) {
            return false;
        }
    }
    return true;
}

// `path` with the symbolic links at its end followed; a dangling link gives
// the path it points to, which the commit then creates.
QString FollowLinks(const QString& path) {
    QString at = QFileInfo(path).absoluteFilePath();
    for (int i = 0; i < kMaxLinks; ++i) {
        const QFileInfo info(at);
        if (!info.isSymLink()) {
            break;
        }
        const QByteArray encoded = QFile::encodeName(at);
        char buffer[4096];
        const ssize_t n = ::readlink(encoded.constData(), buffer, sizeof(buffer));
        if (n <= 0 || std::size_t(n) >= sizeof(buffer)) {
            break;
        }
        const QString link = QFile::decodeName(QByteArray(buffer, n));
        at = QDir::cleanPath(QDir::isAbsolutePath(link) ? link : info.absolutePath() + '/' + link);
    }
    return at;
}

// Removes our temporary files in `folder` that no writer has touched for a
// while: regular files of this user only, never links or folders.
void RemoveStaleTempFiles(const QByteArray& folder) {
    DIR* dir = ::opendir(folder.constData());
    if (dir == nullptr) {
        return;
    }
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTempName(entry->d_name)) {
            continue;
        }
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
            now - st.st_mtime < AtomicFileTarget::kStaleAfterSeconds) {
            continue;
        }
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// Creates a new temporary file in `folder` with 0666 less the umask (the
// kernel applies it); -1 when none can be made.
int CreateTempFile(const QString& folder, QString& path) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = folder + '/' + kTempPrefix;
        for (int i = 0; i < kTempLetters; ++i) {
            name += QChar(kLetters[QRandomGenerator::global()->bounded(int(sizeof(kLetters) - 1))]);
        }
        const int fd = ::open(QFile::encodeName(name).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            path = name;
            return fd;
        }
        if (errno != EEXIST) {
            return -1;
        }
    }
    return -1;
}

}  // namespace

AtomicFileTarget::AtomicFileTarget(const QString& finalPath)
    : finalPath_(finalPath), replacedPath_(FollowLinks(finalPath)) {
    if (finalPath.isEmpty()) {
        return;
    }
    const QByteArray replaced = QFile::encodeName(replacedPath_);
    struct stat old {};
    const bool exists = ::stat(replaced.constData(), &old) == 0;
    if (exists && (!S_ISREG(old.st_mode) ||
                   ::faccessat(AT_FDCWD, replaced.constData(), W_OK, AT_EACCESS) != 0)) {
        return;  // refused: no temporary file, so nothing can be committed
    }
    const QString folder = QFileInfo(replacedPath_).absolutePath();
    RemoveStaleTempFiles(QFile::encodeName(folder));
    // A short name of its own: a final name near the 255-byte limit must still
    // have a temporary name that fits.
    QString temp;
    const int fd = CreateTempFile(folder, temp);
    if (fd < 0) {
        return;
    }
    if (exists) {
        // Only as open as the old file until the commit gives it the old mode
        // exactly; writable by us meanwhile, since libraries reopen it by name.
        ::fchmod(fd, (old.st_mode & 0777) | S_IRUSR | S_IWUSR);
        keepsOldFile_ = true;
        oldMode_ = old.st_mode & 07777;
        oldOwner_ = old.st_uid;
        oldGroup_ = old.st_gid;
    }
    ::close(fd);
    tempPath_ = temp;
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
    const QByteArray temp = QFile::encodeName(tempPath_);
    if (keepsOldFile_) {
        // The owner first: a change of owner clears the set-id bits. Only root
        // may give a file away; anyone else's copy stays theirs.
        if (oldOwner_ != ::geteuid() || oldGroup_ != ::getegid()) {
            [[maybe_unused]] const int ignored = ::chown(temp.constData(), oldOwner_, oldGroup_);
        }
        if (::chmod(temp.constData(), oldMode_) != 0) {
            return false;
        }
    }
    if (std::rename(temp.constData(), QFile::encodeName(replacedPath_).constData()) != 0) {
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
