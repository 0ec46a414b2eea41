#include "imaging/frame_pool.h"

#include <cstdlib>
#include <deque>
#include <mutex>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace orbisk {
namespace {

// Buffers are whole multiples of a large page, so that frames of one size
// share buffers, and the kernel may back them with large pages: a fault per
// 2 MiB instead of per 4 KiB.
constexpr size_t kGranule = size_t{2} << 20;

size_t Capacity(size_t bytes) { return (bytes + kGranule - 1) / kGranule * kGranule; }

class FramePoolAllocator : public cv::MatAllocator {
  public:
    cv::UMatData* allocate(int dims, const int* sizes, int type, void* data, size_t* step,
                           cv::AccessFlag flags, cv::UMatUsageFlags usage) const override {
        cv::MatAllocator* usual = cv::Mat::getStdAllocator();
        if (data) {
            return usual->allocate(dims, sizes, type, data, step, flags, usage);
        }
        size_t total = CV_ELEM_SIZE(type);
        for (int i = dims - 1; i >= 0; --i) {
            if (step) {
                step[i] = total;
            }
            total *= static_cast<size_t>(sizes[i]);
        }
        if (total < kPooledBytes) {
            return usual->allocate(dims, sizes, type, data, step, flags, usage);
        }
        auto* u = new cv::UMatData(this);
        u->data = u->origdata = Take(Capacity(total));
        u->size = total;
        return u;
    }

    bool allocate(cv::UMatData* u, cv::AccessFlag, cv::UMatUsageFlags) const override {
        return u != nullptr;
    }

    void deallocate(cv::UMatData* u) const override {
        if (!u) {
            return;
        }
        Give(u->origdata, Capacity(u->size));
        u->origdata = nullptr;
        delete u;
    }

    size_t IdleBytes() const {
        std::lock_guard lock(lock_);
        return idleBytes_;
    }

    void ReleaseIdle() const {
        std::deque<Buffer> freed;
        {
            std::lock_guard lock(lock_);
            freed.swap(idle_);
            idleBytes_ = 0;
        }
        for (const Buffer& b : freed) {
            std::free(b.data);
        }
    }

  private:
    struct Buffer {
        uchar* data;
        size_t capacity;
    };

    uchar* Take(size_t capacity) const {
        {
            std::lock_guard lock(lock_);
            for (auto it = idle_.begin(); it != idle_.end(); ++it) {
                if (it->capacity == capacity) {
                    uchar* data = it->data;
                    idleBytes_ -= capacity;
                    idle_.erase(it);
                    return data;
                }
            }
        }
        void* data = nullptr;
        if (posix_memalign(&data, kGranule, capacity) != 0) {
            throw std::bad_alloc();
        }
#if defined(MADV_HUGEPAGE)
        madvise(data, capacity, MADV_HUGEPAGE);  // a hint; refused where unsupported
#endif
        return static_cast<uchar*>(data);
    }

    void Give(uchar* data, size_t capacity) const {
        std::deque<Buffer> freed;
        {
            std::lock_guard lock(lock_);
            idle_.push_back({data, capacity});
            idleBytes_ += capacity;
            // The buffers idle longest go first.
            while (idleBytes_ > kMaxIdleBytes) {
                freed.push_back(idle_.front());
                idleBytes_ -= idle_.front().capacity;
                idle_.pop_front();
            }
        }
        for (const Buffer& b : freed) {
            std::free(b.data);
        }
    }

    mutable std::mutex lock_;
    mutable std::deque<Buffer> idle_;  // oldest first
    mutable size_t idleBytes_ = 0;
};

FramePoolAllocator& Pool() {
    // Never destroyed: matrices in static storage may outlive any other end.
    static auto* pool = new FramePoolAllocator;
    return *pool;
}

}  // namespace

cv::MatAllocator* FramePool() { return &Pool(); }

cv::Mat PooledMat(cv::Size size, int type) {
    cv::Mat m;
    m.allocator = FramePool();
    m.create(size, type);
    return m;
}

cv::Mat PooledClone(const cv::Mat& image) {
    if (image.empty()) {
        return {};
    }
    cv::Mat copy;
    copy.allocator = FramePool();
    image.copyTo(copy);
    return copy;
}

size_t FramePoolIdleBytes() { return Pool().IdleBytes(); }

void ReleaseIdleFrameBuffers() { Pool().ReleaseIdle(); }

}  // namespace orbisk
