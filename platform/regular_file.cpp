#include "platform/regular_file.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orbisk::platform {

int OpenRegularFile(const QString& path, int flags, mode_t mode) {
    if (path.isEmpty()) {
        errno = ENOENT;
        return -1;
    }
    // Not blocking while opening: a pipe opens at once (or refuses a writer
    // without a reader), and is then refused for what it is.
    int fd = -1;
    do {
        fd = ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                    mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    struct stat info {};
    const bool known = ::fstat(fd, &info) == 0;
    if (!known || !S_ISREG(info.st_mode)) {
        // fstat's own error, else EINVAL for what is no regular file.
        const int error = known ? EINVAL : errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_size > maxBytes) {
        ::close(fd);
        return std::nullopt;
    }
    // Read to the end, not to the size seen: a file may grow meanwhile, up
    // to the limit.
    QByteArray bytes;
    bytes.reserve(qsizetype(info.st_size));
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || bytes.size() + n > maxBytes) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        bytes.append(chunk, n);
    }
    ::close(fd);
    return bytes;
}

}  // namespace orbisk::platform
