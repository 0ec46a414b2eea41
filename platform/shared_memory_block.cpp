#include "platform/shared_memory_block.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace orbisk::platform {

SharedMemoryWrite WriteSharedMemory(const QByteArray& name,
                                    const std::function<QByteArray(std::size_t size)>& contents) {
    // shm_open sets close-on-exec itself.
    const int fd = ::shm_open(name.constData(), O_RDWR, 0);
    if (fd < 0) return SharedMemoryWrite::kMissing;
    struct stat info {};
    // A block another user made is not our client's: whoever made it first
    // would read every path handed over.
    if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid() || info.st_size <= 0) {
        ::close(fd);
        return SharedMemoryWrite::kNoView;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    const QByteArray bytes = contents ? contents(size) : QByteArray();
    const std::size_t length = std::min(static_cast<std::size_t>(bytes.size()), size);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, length - done, off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            return SharedMemoryWrite::kNoView;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return SharedMemoryWrite::kWritten;
}

}  // namespace orbisk::platform
