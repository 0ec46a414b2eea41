#include "platform/named_window.h"

#include <QCryptographicHash>
#include <QDir>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace orbisk::platform {
namespace {

struct Request {
    qint64 message;
    qint64 wParam;
    qint64 lParam;
};

// Titles may hold any character and be long: the socket is named by a digest.
QString SocketPath(const QString& title) {
    const QByteArray digest =
        QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha1).toHex();
    return NamedWindowFolder() + QLatin1Char('/') + QString::fromLatin1(digest);
}

bool FillAddress(const QString& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return false;
    std::memcpy(address.sun_path, bytes.constData(), bytes.size());
    return true;
}

// A connected socket to the title's window, -1 when none listens.
int Connect(const QString& title) {
    sockaddr_un address;
    if (!FillAddress(SocketPath(title), address)) return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads or writes all `size` bytes, waiting at most until `deadline`.
bool Transfer(int fd, void* data, size_t size, bool reading,
              std::chrono::steady_clock::time_point deadline) {
    auto* bytes = static_cast<char*>(data);
    size_t done = 0;
    while (done < size) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, static_cast<short>(reading ? POLLIN : POLLOUT), 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t n = reading ? ::recv(fd, bytes + done, size - done, 0)
                                  : ::send(fd, bytes + done, size - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

QString NamedWindowFolder() {
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (base.isEmpty()) base = QDir::tempPath() + QStringLiteral("/orbisk-%1").arg(::getuid());
    const QString folder = base + QStringLiteral("/orbisk");
    if (QDir().mkpath(folder)) ::chmod(QFile::encodeName(folder).constData(), 0700);
    return folder;
}

bool NamedWindowExists(const QString& title) {
    const int fd = Connect(title);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

std::optional<qintptr> SendNamedWindowMessage(const QString& title, int message, qintptr wParam,
                                              qintptr lParam, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const int fd = Connect(title);
    if (fd < 0) return std::nullopt;
    Request request{message, wParam, lParam};
    qint64 answer = 0;
    const bool ok = Transfer(fd, &request, sizeof request, false, deadline) &&
                    Transfer(fd, &answer, sizeof answer, true, deadline);
    ::close(fd);
    if (!ok) return std::nullopt;
    return static_cast<qintptr>(answer);
}

bool NamedWindow::Register(const QString& title, Handler handler) {
    Unregister();
    if (NamedWindowExists(title)) return false;
    const QString path = SocketPath(title);
    sockaddr_un address;
    if (!FillAddress(path, address)) return false;
    ::unlink(address.sun_path);  // stale: nobody listens on it
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    thread_.Start([fd, handler = std::move(handler)](WorkerThread::Context& context) {
        while (context.WaitFd(fd) == WorkerThread::Context::Wake::kReady) {
            const int client = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            // A client that does not finish its request in time is dropped.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
            Request request{};
            if (Transfer(client, &request, sizeof request, true, deadline)) {
                qint64 answer = handler ? handler(static_cast<int>(request.message),
                                                  static_cast<qintptr>(request.wParam),
                                                  static_cast<qintptr>(request.lParam))
                                        : 0;
                Transfer(client, &answer, sizeof answer, false, deadline);
            }
            ::close(client);
        }
    });
    return true;
}

void NamedWindow::Unregister() {
    if (fd_ < 0) return;
    thread_.Stop();
    ::close(fd_);
    ::unlink(QFile::encodeName(path_).constData());
    fd_ = -1;
    path_.clear();
}

}  // namespace orbisk::platform
