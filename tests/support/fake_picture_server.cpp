#include "tests/support/fake_picture_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace orbisk::test {
namespace {

void PutInt32(std::vector<uint8_t>& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(bits >> shift));
    }
}

// Waits until `fd` is readable or the server stops; false for the stop.
bool WaitReadable(int fd, int stopFd) {
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int n = ::poll(fds, 2, -1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || fds[1].revents) return false;
        if (fds[0].revents) return true;
    }
}

}  // namespace

std::vector<uint8_t> ReplyBody(const std::vector<ReplyItem>& items) {
    std::vector<uint8_t> body;
    for (const ReplyItem& item : items) {
        PutInt32(body, item.type);
        PutInt32(body, static_cast<int32_t>(item.data.size()));
        body.insert(body.end(), item.data.begin(), item.data.end());
    }
    return body;
}

std::vector<uint8_t> Reply(const std::string& field, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> reply(12 + body.size(), 0);
    std::copy_n(field.begin(), std::min<size_t>(field.size(), 12), reply.begin());
    std::copy(body.begin(), body.end(), reply.begin() + 12);
    return reply;
}

std::vector<uint8_t> Reply(const std::vector<uint8_t>& body) {
    return Reply(std::to_string(body.size()), body);
}

std::vector<uint8_t> Reply(const std::vector<ReplyItem>& items) { return Reply(ReplyBody(items)); }

std::string Bytes(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

bool FakePictureServer::Connection::ReadExact(uint8_t* data, size_t length) {
    while (length > 0) {
        if (!WaitReadable(fd_, server_->stopFd_)) return false;
        const ssize_t n = ::recv(fd_, data, length, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

bool FakePictureServer::Connection::ReadMessage(std::vector<uint8_t>& message) {
    message.assign(4, 0);
    if (!ReadExact(message.data(), 4)) return false;
    size_t length = 0;
    for (size_t i = 0; i < 4 && message[i] >= '0' && message[i] <= '9'; ++i) {
        length = length * 10 + (message[i] - '0');
    }
    message.resize(4 + length);
    if (!ReadExact(message.data() + 4, length)) return false;
    server_->Record(message);
    return true;
}

bool FakePictureServer::Connection::Send(const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void FakePictureServer::Connection::WaitForClose() {
    uint8_t drop[4096];
    while (WaitReadable(fd_, server_->stopFd_)) {
        const ssize_t n = ::recv(fd_, drop, sizeof(drop), 0);
        if (n == 0 || (n < 0 && errno != EINTR)) return;
    }
}

void FakePictureServer::Connection::CloseSend() { ::shutdown(fd_, SHUT_WR); }

FakePictureServer::FakePictureServer(Script script) : script_(std::move(script)) {
    stopFd_ = ::eventfd(0, EFD_CLOEXEC);
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;  // any free port
    socklen_t size = sizeof(address);
    if (stopFd_ < 0 || listenFd_ < 0 ||
        ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listenFd_, 16) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw std::runtime_error("fake picture server: no listening socket");
    }
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

FakePictureServer::~FakePictureServer() {
    const uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(stopFd_, &one, sizeof(one));
    acceptThread_.join();
    {
        std::lock_guard lock(lock_);
        for (int fd : fds_) ::shutdown(fd, SHUT_RDWR);
    }
    for (std::thread& t : connections_) t.join();
    for (int fd : fds_) ::close(fd);
    ::close(listenFd_);
    ::close(stopFd_);
}

void FakePictureServer::AcceptLoop() {
    while (WaitReadable(listenFd_, stopFd_)) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        const int index = accepted_;
        {
            std::lock_guard lock(lock_);
            fds_.push_back(fd);
        }
        ++accepted_;
        connections_.emplace_back([this, fd, index] {
            Connection connection(this, fd, index);
            script_(connection);
            // The script's end closes the connection for the client.
            ::shutdown(fd, SHUT_RDWR);
            ++finished_;
        });
    }
}

void FakePictureServer::Record(const std::vector<uint8_t>& message) {
    std::lock_guard lock(lock_);
    messages_.push_back(message);
    ++messagesRead_;
}

std::vector<std::vector<uint8_t>> FakePictureServer::Messages() const {
    std::lock_guard lock(lock_);
    return messages_;
}

FakePictureServer::Script ServeFrames(std::vector<uint8_t> jpeg) {
    return [jpeg = std::move(jpeg)](FakePictureServer::Connection& c) {
        const std::vector<uint8_t> reply =
            Reply({ReplyItem{1, std::string(jpeg.begin(), jpeg.end())}});
        std::vector<uint8_t> message;
        while (c.ReadMessage(message)) {
            if (!c.Send(reply)) return;
        }
    };
}

}  // namespace orbisk::test
