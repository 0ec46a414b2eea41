#include "platform/shared_memory_block.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbisk::platform {

SharedMemoryWrite WriteSharedMemory(const QByteArray& name,
                                    const std::function<void(std::span<char> view)>& write) {
    // shm_open sets close-on-exec itself.
    const int fd = ::shm_open(name.constData(), O_RDWR, 0);
    if (fd < 0) return SharedMemoryWrite::kMissing;
    struct stat info {};
    void* view = MAP_FAILED;
    // The object's own size bounds the view: a write past it would fault.
    if (::fstat(fd, &info) == 0 && info.st_size > 0) {
        view = ::mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ | PROT_WRITE,
                      MAP_SHARED, fd, 0);
    }
    ::close(fd);
    if (view == MAP_FAILED) return SharedMemoryWrite::kNoView;
    const auto size = static_cast<size_t>(info.st_size);
    if (write) write(std::span<char>(static_cast<char*>(view), size));
    ::munmap(view, size);
    return SharedMemoryWrite::kWritten;
}

}  // namespace orbisk::platform
