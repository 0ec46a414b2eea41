#include "platform/v4l2_io.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace orbisk::platform {
namespace {

class SystemNode : public V4l2Node {
  public:
    explicit SystemNode(int fd) : fd_(fd) {}
    ~SystemNode() override { ::close(fd_); }
    SystemNode(const SystemNode&) = delete;
    SystemNode& operator=(const SystemNode&) = delete;

    int Ioctl(unsigned long request, void* arg) override {
        int r;
        do {
            r = ::ioctl(fd_, request, arg);
        } while (r < 0 && errno == EINTR);
        return r;
    }
    void* Map(size_t length, uint32_t offset) override {
        void* start = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_,
                             static_cast<off_t>(offset));
        return start == MAP_FAILED ? nullptr : start;
    }
    void Unmap(void* start, size_t length) override { ::munmap(start, length); }
    int PollFd() const override { return fd_; }

  private:
    int fd_;
};

std::mutex g_openerLock;
V4l2NodeOpener g_testOpener;

}  // namespace

std::unique_ptr<V4l2Node> OpenV4l2Node(const std::string& path, int& error) {
    {
        std::lock_guard lock(g_openerLock);
        if (g_testOpener) {
            error = 0;
            return g_testOpener(path, error);
        }
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    error = 0;
    return std::make_unique<SystemNode>(fd);
}

void SetV4l2NodeOpenerForTesting(V4l2NodeOpener opener) {
    std::lock_guard lock(g_openerLock);
    g_testOpener = std::move(opener);
}

}  // namespace orbisk::platform
