#pragma once

#include "platform/named_window.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

// Other programs of the desktop that do their worst to our named windows and
// shared-memory blocks.
namespace orbisk::test {

inline sockaddr_un SocketAddress(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    std::memcpy(address.sun_path, bytes.constData(),
                std::min<std::size_t>(std::size_t(bytes.size()), sizeof address.sun_path - 1));
    return address;
}

// Holds a window title and never takes a connection: it listens with a queue
// of one and fills the queue itself, so that a blocking connect to it would
// wait for as long as it lives.
class ListenerThatNeverAccepts {
  public:
    explicit ListenerThatNeverAccepts(const QString& title)
        : path_(platform::NamedWindowSocketPath(title)) {
        const sockaddr_un address = SocketAddress(path_);
        ::unlink(address.sun_path);
        listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ok_ = listener_ >= 0 &&
              ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
              ::listen(listener_, 0) == 0;
        queued_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        ok_ = ok_ &&
              ::connect(queued_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~ListenerThatNeverAccepts() { GoAway(); }
    ListenerThatNeverAccepts(const ListenerThatNeverAccepts&) = delete;
    ListenerThatNeverAccepts& operator=(const ListenerThatNeverAccepts&) = delete;

    bool Listening() const { return ok_; }
    // Closes and removes the socket: a sender stuck in connect is refused,
    // and later ones find nobody. Any thread.
    void GoAway() {
        std::lock_guard lock(mutex_);
        if (queued_ >= 0) ::close(std::exchange(queued_, -1));
        if (listener_ >= 0) ::close(std::exchange(listener_, -1));
        ::unlink(QFile::encodeName(path_).constData());
    }

  private:
    std::mutex mutex_;
    QString path_;
    int listener_ = -1;
    int queued_ = -1;
    bool ok_ = false;
};

// Connections to a window that never say a word.
class SilentClients {
  public:
    SilentClients(const QString& title, int count) {
        const sockaddr_un address = SocketAddress(platform::NamedWindowSocketPath(title));
        for (int i = 0; i < count; ++i) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
                fds_.push_back(fd);
            } else {
                ::close(fd);
            }
        }
    }
    ~SilentClients() {
        for (int fd : fds_) ::close(fd);
    }
    SilentClients(const SilentClients&) = delete;
    SilentClients& operator=(const SilentClients&) = delete;

    int Connected() const { return int(fds_.size()); }

  private:
    std::vector<int> fds_;
};

// A client that speaks the named windows' wire format itself, so that it can
// send what no well-behaved sender does: the message, wParam and lParam as
// three 64-bit numbers, and one 64-bit number back. It connects and sends
// without waiting; the answer is read when it has come.
class RawClient {
  public:
    explicit RawClient(const QString& title) {
        const sockaddr_un address = SocketAddress(platform::NamedWindowSocketPath(title));
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd_ >= 0 &&
            ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(std::exchange(fd_, -1));
        }
    }
    ~RawClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Connected() const { return fd_ >= 0; }
    bool Send(qint64 message, qint64 wParam = 0, qint64 lParam = 0) {
        const qint64 request[3] = {message, wParam, lParam};
        return fd_ >= 0 && ::send(fd_, request, sizeof request, MSG_NOSIGNAL) ==
                               static_cast<ssize_t>(sizeof request);
    }
    // Whether the answer has come or the window has closed the connection.
    bool Over() const {
        pollfd p{fd_, POLLIN, 0};
        return fd_ < 0 || ::poll(&p, 1, 0) != 0;
    }
    // The answer, once Over; nothing when the window closed the connection
    // without one.
    std::optional<qint64> Answer() const {
        qint64 answer = 0;
        if (fd_ < 0 || ::recv(fd_, &answer, sizeof answer, MSG_DONTWAIT | MSG_WAITALL) !=
                           static_cast<ssize_t>(sizeof answer)) {
            return std::nullopt;
        }
        return answer;
    }

  private:
    int fd_ = -1;
};

// A flood of connections that never say a word: a thread of its own keeps
// the newest `held` of them open, making `perSecond` new ones a second in
// bursts of `burst` as fast as it can, each new one taking the place of the
// oldest.
class ConnectionFlood {
  public:
    ConnectionFlood(const QString& title, int held, int perSecond, int burst)
        : address_(SocketAddress(platform::NamedWindowSocketPath(title))),
          thread_([this, held, perSecond, burst] { Run(held, perSecond, burst); }) {}
    ~ConnectionFlood() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    ConnectionFlood(const ConnectionFlood&) = delete;
    ConnectionFlood& operator=(const ConnectionFlood&) = delete;

    // Connections made so far; whether `held` of them have been open at once.
    int Made() const { return made_; }
    bool Full() const { return full_; }

  private:
    void Run(int held, int perSecond, int burst) {
        std::deque<int> open;
        const auto period = std::chrono::milliseconds(1000 * burst / std::max(1, perSecond));
        std::unique_lock lock(mutex_);
        while (!done_) {
            for (int i = 0; i < burst; ++i) {
                const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
                if (fd < 0) break;
                if (::connect(fd, reinterpret_cast<const sockaddr*>(&address_), sizeof address_) !=
                    0) {
                    ::close(fd);  // the window's queue is full
                    continue;
                }
                ++made_;
                open.push_back(fd);
                if (int(open.size()) > held) {
                    ::close(open.front());
                    open.pop_front();
                }
                if (int(open.size()) == held) full_ = true;
            }
            wake_.wait_for(lock, period, [this] { return done_; });
        }
        for (int fd : open) ::close(fd);
    }

    const sockaddr_un address_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::atomic<int> made_ = 0;
    std::atomic<bool> full_ = false;
    std::thread thread_;
};

// A client's shared-memory block that a thread of the client keeps growing
// and shrinking to nothing as fast as it can.
class ShrinkingBlock {
  public:
    ShrinkingBlock(const QByteArray& name, off_t size) : name_(name) {
        fd_ = ::shm_open(name_.constData(), O_CREAT | O_RDWR, 0600);
        thread_ = std::thread([this, size] {
            while (!done_) {
                [[maybe_unused]] const int grown = ::ftruncate(fd_, size);
                [[maybe_unused]] const int shrunk = ::ftruncate(fd_, 0);
            }
        });
    }
    ~ShrinkingBlock() {
        done_ = true;
        thread_.join();
        ::close(fd_);
        ::shm_unlink(name_.constData());
    }
    ShrinkingBlock(const ShrinkingBlock&) = delete;
    ShrinkingBlock& operator=(const ShrinkingBlock&) = delete;

    bool Made() const { return fd_ >= 0; }

  private:
    QByteArray name_;
    int fd_ = -1;
    std::atomic<bool> done_ = false;
    std::thread thread_;
};

}  // namespace orbisk::test
