#pragma once

#include "platform/named_window.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
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
