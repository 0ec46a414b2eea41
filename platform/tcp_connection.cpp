#include "platform/tcp_connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace orbisk::platform {
namespace {

using Clock = TcpConnection::Clock;

int MillisecondsUntil(Clock::time_point until) {
    if (until == Clock::time_point::max()) {
        return -1;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

Clock::time_point After(std::chrono::milliseconds period) {
    if (period >= std::chrono::hours(24 * 365)) {
        return Clock::time_point::max();
    }
    return Clock::now() + period;
}

NetResult PlainWait(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, timeoutMs);
    if (n < 0) {
        return errno == EINTR ? NetResult::kTimedOut : NetResult::kFailed;
    }
    return n == 0 ? NetResult::kTimedOut : NetResult::kOk;
}

}  // namespace

const char* NetResultText(NetResult result) {
    switch (result) {
        case NetResult::kOk:
            return "ok";
        case NetResult::kClosed:
            return "closed by the peer";
        case NetResult::kTimedOut:
            return "timed out";
        case NetResult::kStopped:
            return "stopped";
        case NetResult::kFailed:
            return "failed";
    }
    return "?";
}

TcpConnection::~TcpConnection() { Close(); }

bool TcpConnection::IsOpen() const {
    std::lock_guard lock(fdLock_);
    return fd_ >= 0;
}

void TcpConnection::Close() {
    std::lock_guard lock(fdLock_);
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void TcpConnection::ShutdownSend() {
    std::lock_guard lock(fdLock_);
    if (fd_ >= 0) {
        ::shutdown(fd_, SHUT_WR);
    }
}

void TcpConnection::Shutdown() {
    std::lock_guard lock(fdLock_);
    if (fd_ >= 0) {
        ::shutdown(fd_, SHUT_RDWR);
    }
}

NetResult TcpConnection::WaitFor(short events, Clock::time_point until, const SocketWait& wait) {
    for (;;) {
        int slice = static_cast<int>(kPollSlice.count());
        const int left = MillisecondsUntil(until);
        if (left >= 0) {
            slice = std::min(slice, left);
        }
        const NetResult r = wait ? wait(fd_, events, slice) : PlainWait(fd_, events, slice);
        if (r != NetResult::kTimedOut) {
            return r;
        }
        if (left >= 0 && Clock::now() >= until) {
            return NetResult::kTimedOut;
        }
    }
}

NetResult TcpConnection::Connect(const std::string& host, int port,
                                 std::chrono::milliseconds timeout, const SocketWait& wait) {
    Close();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (port < 1 || port > 65535 || ::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        return NetResult::kFailed;
    }
    address.sin_port = htons(static_cast<uint16_t>(port));
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return NetResult::kFailed;
    }
    // Requests are small and each waits for its answer: no coalescing delay.
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    {
        std::lock_guard lock(fdLock_);
        fd_ = fd;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) {
        return NetResult::kOk;
    }
    if (errno != EINPROGRESS) {
        Close();
        return NetResult::kFailed;
    }
    const NetResult r = WaitFor(POLLOUT, After(timeout), wait);
    if (r != NetResult::kOk) {
        Close();
        return r;
    }
    int error = 0;
    socklen_t size = sizeof(error);
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
        Close();
        return NetResult::kFailed;
    }
    return NetResult::kOk;
}

NetResult TcpConnection::SendAll(const uint8_t* data, size_t length, std::chrono::milliseconds idle,
                                 const SocketWait& wait) {
    if (fd_ < 0) {
        return NetResult::kFailed;
    }
    while (length > 0) {
        const ssize_t n = ::send(fd_, data, length, MSG_NOSIGNAL);
        if (n > 0) {
            data += n;
            length -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const NetResult r = WaitFor(POLLOUT, After(idle), wait);
            if (r != NetResult::kOk) {
                return r;
            }
            continue;
        }
        return n < 0 && (errno == EPIPE || errno == ECONNRESET) ? NetResult::kClosed
                                                                : NetResult::kFailed;
    }
    return NetResult::kOk;
}

NetResult TcpConnection::ReceiveExact(uint8_t* data, size_t length, std::chrono::milliseconds idle,
                                      Clock::time_point deadline, const SocketWait& wait) {
    if (fd_ < 0) {
        return NetResult::kFailed;
    }
    while (length > 0) {
        const ssize_t n = ::recv(fd_, data, length, 0);
        if (n > 0) {
            data += n;
            length -= static_cast<size_t>(n);
            continue;
        }
        if (n == 0) {
            return NetResult::kClosed;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return errno == ECONNRESET ? NetResult::kClosed : NetResult::kFailed;
        }
        const NetResult r = WaitFor(POLLIN, std::min(After(idle), deadline), wait);
        if (r != NetResult::kOk) {
            return r;
        }
    }
    return NetResult::kOk;
}

}  // namespace orbisk::platform
