#include "platform/named_window.h"

#include "platform/log_categories.h"

#include <QCryptographicHash>
#include <QDir>

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <map>
#include <mutex>

namespace orbisk::platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Request {
    qint64 message;
    qint64 wParam;
    qint64 lParam;
};

// Pauses the caller for up to `period`; false when it is to give up at once.
using Pause = std::function<bool(milliseconds period)>;

bool PauseThread(milliseconds period) {
    ::poll(nullptr, 0, static_cast<int>(period.count()));
    return true;
}

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(std::min<std::int64_t>(left, 60'000)) : 0;
}

// A real folder of ours at `path`, made 0700: made now, or found owned by us
// and not a link. Anything else may be another user's, who could then read,
// hold and replace our sockets.
bool OwnFolder(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) return false;
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid()) {
        return false;
    }
    return (info.st_mode & 07777) == 0700 || ::chmod(name.constData(), 0700) == 0;
}

QString SocketPath(const QString& title) { return NamedWindowSocketPath(title); }

bool FillAddress(const QString& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.isEmpty() || bytes.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, bytes.constData(), bytes.size());
    return true;
}

enum class ConnectResult { kConnected, kQueueFull, kAbsent };

// One non-blocking connect. A listener whose queue of waiting connections is
// full answers at once that it is (a blocking connect would wait for it as
// long as it likes).
ConnectResult TryConnect(int fd, const sockaddr_un& address) {
    for (;;) {
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            return ConnectResult::kConnected;
        }
        if (errno == EINTR) continue;
        return errno == EAGAIN ? ConnectResult::kQueueFull : ConnectResult::kAbsent;
    }
}

// A connected non-blocking socket to the title's window, -1 when none listens
// or it takes no connection before `deadline`.
int Connect(const QString& title, Clock::time_point deadline, const Pause& pause) {
    sockaddr_un address;
    if (!FillAddress(SocketPath(title), address)) return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    // A full queue may drain: try again now and then until the deadline.
    milliseconds step(2);
    for (;;) {
        const ConnectResult result = TryConnect(fd, address);
        if (result == ConnectResult::kConnected) return fd;
        const int left = MillisecondsLeft(deadline);
        if (result == ConnectResult::kAbsent || left == 0 ||
            !pause(std::min(step, milliseconds(left)))) {
            ::close(fd);
            return -1;
        }
        step = std::min(step * 2, milliseconds(50));
    }
}

// Reads or writes all `size` bytes, waiting at most until `deadline`.
bool Transfer(int fd, void* data, size_t size, bool reading, Clock::time_point deadline) {
    auto* bytes = static_cast<char*>(data);
    size_t done = 0;
    while (done < size) {
        const int left = MillisecondsLeft(deadline);
        if (left == 0) return false;
        pollfd p{fd, static_cast<short>(reading ? POLLIN : POLLOUT), 0};
        const int ready = ::poll(&p, 1, left);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t n = reading ? ::recv(fd, bytes + done, size - done, MSG_DONTWAIT)
                                  : ::send(fd, bytes + done, size - done, MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

QString NamedWindowFolder() {
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const bool shared = base.isEmpty();
    if (shared) {
        base = QDir::tempPath() + QStringLiteral("/orbisk-%1").arg(::getuid());
    } else {
        QDir().mkpath(base);  // the session's own folder
    }
    const QString folder = base + QStringLiteral("/orbisk");
    if ((shared && !OwnFolder(base)) || !OwnFolder(folder)) {
        static std::atomic<bool> told{false};
        if (!told.exchange(true)) {
            qCWarning(lcPlatform) << "no named windows:" << folder
                                  << "is not a private folder of ours";
        }
        return QString();
    }
    return folder;
}

// Titles may hold any character and be long: the socket is named by a digest.
QString NamedWindowSocketPath(const QString& title) {
    const QString folder = NamedWindowFolder();
    if (folder.isEmpty()) return QString();
    const QByteArray digest =
        QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha1).toHex();
    return folder + QLatin1Char('/') + QString::fromLatin1(digest);
}

bool NamedWindowExists(const QString& title) {
    sockaddr_un address;
    if (!FillAddress(SocketPath(title), address)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    // A full queue is a listener too.
    const bool listening = TryConnect(fd, address) != ConnectResult::kAbsent;
    ::close(fd);
    return listening;
}

std::optional<qintptr> SendNamedWindowMessage(const QString& title, int message, qintptr wParam,
                                              qintptr lParam, milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    const int fd = Connect(title, deadline, PauseThread);
    if (fd < 0) return std::nullopt;
    Request request{message, wParam, lParam};
    qint64 answer = 0;
    const bool ok = Transfer(fd, &request, sizeof request, false, deadline) &&
                    Transfer(fd, &answer, sizeof answer, true, deadline);
    ::close(fd);
    if (!ok) return std::nullopt;
    return static_cast<qintptr>(answer);
}

// The posts waiting for the posting thread, and what wakes it.
struct NamedWindowPoster::Queue {
    Queue() : wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~Queue() {
        if (wake >= 0) ::close(wake);
    }
    struct Post {
        QString title;
        Request request;
    };
    std::mutex mutex;
    std::deque<Post> posts;
    milliseconds timeout;
    int wake;
};

NamedWindowPoster::NamedWindowPoster(milliseconds timeout) : queue_(std::make_shared<Queue>()) {
    queue_->timeout = timeout;
    // Started now rather than at the first post: a thread started after the
    // process has run another program confuses the thread checker.
    StartThread();
}

NamedWindowPoster::~NamedWindowPoster() { thread_.Stop(); }

void NamedWindowPoster::SetTimeout(milliseconds timeout) {
    std::lock_guard lock(queue_->mutex);
    queue_->timeout = timeout;
}

void NamedWindowPoster::StartThread() {
    thread_.Stop();  // joins a thread that has ended
    thread_.Start([queue = queue_](WorkerThread::Context& context) {
        const Pause pause = [&context](milliseconds period) { return context.WaitFor(period); };
        while (!context.StopRequested()) {
            std::optional<Queue::Post> post;
            milliseconds timeout{};
            {
                std::lock_guard lock(queue->mutex);
                if (!queue->posts.empty()) {
                    post = std::move(queue->posts.front());
                    queue->posts.pop_front();
                }
                timeout = queue->timeout;
            }
            if (!post) {
                if (context.WaitFd(queue->wake) != WorkerThread::Context::Wake::kReady) return;
                std::uint64_t count = 0;
                [[maybe_unused]] const auto n = ::read(queue->wake, &count, sizeof count);
                continue;
            }
            const auto deadline = Clock::now() + timeout;
            const int fd = Connect(post->title, deadline, pause);
            if (fd < 0) continue;
            // The request is handed over; its answer is nobody's concern.
            Transfer(fd, &post->request, sizeof post->request, false, deadline);
            ::close(fd);
        }
    });
}

bool NamedWindowPoster::Post(const QString& title, int message, qintptr wParam, qintptr lParam) {
    {
        std::lock_guard lock(queue_->mutex);
        if (static_cast<int>(queue_->posts.size()) >= kMaxPending) return false;
        queue_->posts.push_back({title, Request{message, wParam, lParam}});
    }
    if (!thread_.Running()) StartThread();  // it ended on a failed wait
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(queue_->wake, &one, sizeof one);
    return true;
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
        ::listen(fd, kMaxClients) != 0) {
        ::close(fd);
        return false;
    }
    const int events = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event listener{};
    listener.events = EPOLLIN;
    listener.data.fd = fd;
    if (events < 0 || ::epoll_ctl(events, EPOLL_CTL_ADD, fd, &listener) != 0) {
        if (events >= 0) ::close(events);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    thread_.Start([fd, events, handler = std::move(handler)](WorkerThread::Context& context) {
        struct Client {
            Clock::time_point deadline;
            Request request{};
            size_t received = 0;
        };
        std::map<int, Client> clients;
        const auto drop = [&](int client) {
            ::epoll_ctl(events, EPOLL_CTL_DEL, client, nullptr);
            ::close(client);
            clients.erase(client);
        };
        const auto serve = [&](int client) {
            Client& c = clients[client];
            const ssize_t n = ::recv(client, reinterpret_cast<char*>(&c.request) + c.received,
                                     sizeof c.request - c.received, MSG_DONTWAIT);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
            if (n <= 0) {
                drop(client);
                return;
            }
            c.received += static_cast<size_t>(n);
            if (c.received < sizeof c.request) return;
            // The whole number is the message: cut to an int, a number that
            // no window has would pass for one that it has.
            const qint64 message = c.request.message;
            const bool known = message >= std::numeric_limits<int>::min() &&
                               message <= std::numeric_limits<int>::max();
            const qint64 answer = handler && known ? handler(static_cast<int>(message),
                                                             static_cast<qintptr>(c.request.wParam),
                                                             static_cast<qintptr>(c.request.lParam))
                                                   : 0;
            // Eight bytes fit in a fresh socket's buffer; a client that has
            // gone loses its answer.
            [[maybe_unused]] const auto sent =
                ::send(client, &answer, sizeof answer, MSG_DONTWAIT | MSG_NOSIGNAL);
            drop(client);
        };
        // Serves every client whose bytes have come, before anyone is sent
        // away for room.
        const auto serveWaiting = [&] {
            epoll_event ready[kMaxClients + 1];
            const int count = ::epoll_wait(events, ready, kMaxClients + 1, 0);
            for (int i = 0; i < count; ++i) {
                const int which = ready[i].data.fd;
                if (which != fd && clients.count(which)) serve(which);
            }
        };
        // Back to kMaxClients: the connection that has stayed silent longest
        // goes. One that has begun its message goes only when all have.
        const auto makeRoom = [&] {
            if (static_cast<int>(clients.size()) <= kMaxClients) return;
            serveWaiting();
            while (static_cast<int>(clients.size()) > kMaxClients) {
                auto oldest = clients.end();
                const bool anySilent =
                    std::any_of(clients.begin(), clients.end(),
                                [](const auto& entry) { return entry.second.received == 0; });
                for (auto it = clients.begin(); it != clients.end(); ++it) {
                    if (anySilent && it->second.received != 0) continue;
                    if (oldest == clients.end() || it->second.deadline < oldest->second.deadline) {
                        oldest = it;
                    }
                }
                drop(oldest->first);
            }
        };
        // A pass takes a bounded number: under a flood of connections the
        // clients already in, the deadlines and a stop still get their turn.
        const auto accept = [&] {
            for (int taken = 0; taken < 4 * kMaxClients; ++taken) {
                const int client = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                if (client < 0) return;
                epoll_event event{};
                event.events = EPOLLIN;
                event.data.fd = client;
                if (::epoll_ctl(events, EPOLL_CTL_ADD, client, &event) != 0) {
                    ::close(client);
                    continue;
                }
                clients[client].deadline = Clock::now() + kClientDeadline;
                // A client writes its message as soon as it is connected: read
                // it now, before later connections ask for room.
                serve(client);
                makeRoom();
            }
        };
        for (;;) {
            int timeout = -1;
            for (const auto& [client, c] : clients) {
                const int left = MillisecondsLeft(c.deadline);
                timeout = timeout < 0 ? left : std::min(timeout, left);
            }
            const auto wake = context.WaitFd(events, timeout);
            if (wake == WorkerThread::Context::Wake::kStopped ||
                wake == WorkerThread::Context::Wake::kError) {
                break;
            }
            epoll_event ready[16];
            const int count = ::epoll_wait(events, ready, 16, 0);
            for (int i = 0; i < count; ++i) {
                const int which = ready[i].data.fd;
                if (which == fd) {
                    accept();
                } else if (clients.count(which)) {
                    serve(which);
                }
            }
            const auto now = Clock::now();
            for (auto it = clients.begin(); it != clients.end();) {
                const int client = it->first;
                const bool late = it->second.deadline <= now;
                ++it;
                if (late) drop(client);
            }
        }
        while (!clients.empty()) drop(clients.begin()->first);
        ::close(events);
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
