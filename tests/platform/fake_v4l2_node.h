#pragma once

#include "platform/capture_device.h"
#include "platform/v4l2_io.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

namespace orbisk::platform {

// "YUYV 640x480" in test failures.
inline void PrintTo(const CaptureFormat& f, std::ostream* os) {
    for (int shift = 0; shift < 32; shift += 8)
        *os << static_cast<char>((f.fourcc >> shift) & 0xff);
    *os << ' ' << f.width << 'x' << f.height;
}

}  // namespace orbisk::platform

namespace orbisk::test {

// A UVC camera as its V4L2 node behaves, without hardware: it lists
// formats, lets S_FMT pick the size nearest in area (or a size of its own,
// as a driver that aligns does), streams through memory buffers the frames a
// test pushes, and fails on demand: busy, no frames, unplugged (the queue
// answers EIO once, and every call ENODEV after). The descriptor it hands
// out for polling is a pipe: a byte per pending frame, hung up at unplug.
class FakeV4l2Camera {
  public:
    FakeV4l2Camera() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
            readFd_ = fds[0];
            writeFd_ = fds[1];
        }
    }
    ~FakeV4l2Camera() {
        if (readFd_ >= 0) ::close(readFd_);
        if (writeFd_ >= 0) ::close(writeFd_);
    }
    FakeV4l2Camera(const FakeV4l2Camera&) = delete;
    FakeV4l2Camera& operator=(const FakeV4l2Camera&) = delete;

    // What the test sets before the device uses it.
    std::vector<platform::CaptureFormat> formats;
    // A pixel format whose sizes are a stepwise range rather than a list.
    struct SizeRange {
        uint32_t fourcc;
        int minWidth, minHeight, maxWidth, maxHeight;
    };
    std::vector<SizeRange> ranges;
    std::optional<std::pair<int, int>> driverSize;  // what S_FMT sets, whatever is asked
    uint32_t deviceCaps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    int queryCapError = 0;
    int setFormatError = 0;  // EBUSY: another program streams
    int requestBuffersError = 0;

    // A frame of the current format's bytes, dequeued by the next DQBUF.
    void PushFrame(std::vector<uint8_t> bytes) {
        std::lock_guard l(lock_);
        if (unplugged_) return;
        frames_.push_back(std::move(bytes));
        const char one = 1;
        [[maybe_unused]] const auto n = ::write(writeFd_, &one, 1);
    }
    void Unplug() {
        std::lock_guard l(lock_);
        unplugged_ = true;
        ::close(writeFd_);  // the poll sees a hang-up
        writeFd_ = -1;
    }
    platform::CaptureFormat Current() const {
        std::lock_guard l(lock_);
        return current_;
    }
    int PollFd() const { return readFd_; }
    // Every ioctl request the device was sent, in order.
    std::vector<unsigned long> Requests() const {
        std::lock_guard l(lock_);
        return requests_;
    }

    int Ioctl(unsigned long request, void* arg) {
        std::lock_guard l(lock_);
        requests_.push_back(request);
        if (unplugged_) {
            // The first dequeue after the unplug fails with EIO, then the
            // node is gone.
            if (request == VIDIOC_DQBUF && !eioGiven_) {
                eioGiven_ = true;
                return Fail(EIO);
            }
            return Fail(ENODEV);
        }
        switch (request) {
            case VIDIOC_QUERYCAP: {
                if (queryCapError) return Fail(queryCapError);
                auto* cap = static_cast<v4l2_capability*>(arg);
                *cap = {};
                cap->capabilities = deviceCaps | V4L2_CAP_DEVICE_CAPS;
                cap->device_caps = deviceCaps;
                return 0;
            }
            case VIDIOC_ENUM_FMT: {
                auto* desc = static_cast<v4l2_fmtdesc*>(arg);
                const auto codes = FourCcs();
                if (desc->index >= codes.size()) return Fail(EINVAL);
                desc->pixelformat = codes[desc->index];
                return 0;
            }
            case VIDIOC_ENUM_FRAMESIZES: {
                auto* size = static_cast<v4l2_frmsizeenum*>(arg);
                for (const auto& r : ranges) {
                    if (r.fourcc != size->pixel_format) continue;
                    if (size->index != 0) return Fail(EINVAL);
                    size->type = V4L2_FRMSIZE_TYPE_STEPWISE;
                    size->stepwise = {
                        static_cast<uint32_t>(r.minWidth),  static_cast<uint32_t>(r.maxWidth),  8,
                        static_cast<uint32_t>(r.minHeight), static_cast<uint32_t>(r.maxHeight), 8};
                    return 0;
                }
                uint32_t i = 0;
                for (const auto& f : formats) {
                    if (f.fourcc != size->pixel_format) continue;
                    if (i++ == size->index) {
                        size->type = V4L2_FRMSIZE_TYPE_DISCRETE;
                        size->discrete.width = static_cast<uint32_t>(f.width);
                        size->discrete.height = static_cast<uint32_t>(f.height);
                        return 0;
                    }
                }
                return Fail(EINVAL);
            }
            case VIDIOC_S_FMT:
                return SetFormat(*static_cast<v4l2_format*>(arg));
            case VIDIOC_REQBUFS:
                return RequestBuffers(*static_cast<v4l2_requestbuffers*>(arg));
            case VIDIOC_QUERYBUF: {
                auto* buf = static_cast<v4l2_buffer*>(arg);
                if (buf->index >= buffers_.size()) return Fail(EINVAL);
                buf->length = static_cast<uint32_t>(buffers_[buf->index].size());
                buf->m.offset = buf->index * kOffsetStep;
                return 0;
            }
            case VIDIOC_QBUF: {
                auto* buf = static_cast<v4l2_buffer*>(arg);
                if (buf->index >= buffers_.size()) return Fail(EINVAL);
                queued_.push_back(buf->index);
                return 0;
            }
            case VIDIOC_DQBUF:
                return Dequeue(*static_cast<v4l2_buffer*>(arg));
            case VIDIOC_STREAMON:
                streaming_ = true;
                return 0;
            case VIDIOC_STREAMOFF:
                streaming_ = false;
                queued_.clear();
                return 0;
            default:
                return Fail(EINVAL);  // no controls
        }
    }

    void* Map(size_t length, uint32_t offset) {
        std::lock_guard l(lock_);
        const size_t index = offset / kOffsetStep;
        if (unplugged_ || index >= buffers_.size() || length > buffers_[index].size()) {
            errno = EINVAL;
            return nullptr;
        }
        return buffers_[index].data();
    }

  private:
    static constexpr uint32_t kOffsetStep = 1u << 28;

    static int Fail(int error) {
        errno = error;
        return -1;
    }

    std::vector<uint32_t> FourCcs() const {
        std::vector<uint32_t> out;
        for (const auto& f : formats) {
            if (std::find(out.begin(), out.end(), f.fourcc) == out.end()) out.push_back(f.fourcc);
        }
        for (const auto& r : ranges) {
            if (std::find(out.begin(), out.end(), r.fourcc) == out.end()) out.push_back(r.fourcc);
        }
        return out;
    }

    int SetFormat(v4l2_format& fmt) {
        if (setFormatError) return Fail(setFormatError);
        if (!buffers_.empty()) return Fail(EBUSY);
        auto& pix = fmt.fmt.pix;
        const auto codes = FourCcs();
        if (codes.empty()) return Fail(EINVAL);
        if (std::find(codes.begin(), codes.end(), pix.pixelformat) == codes.end()) {
            pix.pixelformat = codes.front();  // as uvcvideo does
        }
        const long long wanted = static_cast<long long>(pix.width) * pix.height;
        const platform::CaptureFormat* best = nullptr;
        for (const auto& f : formats) {
            const long long d = std::llabs(static_cast<long long>(f.width) * f.height - wanted);
            if (f.fourcc == pix.pixelformat &&
                (!best ||
                 d < std::llabs(static_cast<long long>(best->width) * best->height - wanted))) {
                best = &f;
            }
        }
        current_ = *best;
        if (driverSize) {
            current_.width = driverSize->first;
            current_.height = driverSize->second;
        }
        pix.width = static_cast<uint32_t>(current_.width);
        pix.height = static_cast<uint32_t>(current_.height);
        pix.bytesperline = pix.pixelformat == platform::kFourCcYuyv ? pix.width * 2 : 0;
        pix.sizeimage = pix.width * pix.height * 2;
        return 0;
    }

    int RequestBuffers(v4l2_requestbuffers& req) {
        if (req.count == 0) {
            buffers_.clear();
            queued_.clear();
            return 0;
        }
        if (requestBuffersError) return Fail(requestBuffersError);
        req.count = std::min<uint32_t>(req.count, 4);
        buffers_.assign(req.count, std::vector<uint8_t>(static_cast<size_t>(current_.width) *
                                                        current_.height * 2));
        return 0;
    }

    int Dequeue(v4l2_buffer& buf) {
        if (!streaming_) return Fail(EINVAL);
        if (frames_.empty() || queued_.empty()) return Fail(EAGAIN);
        char byte;
        [[maybe_unused]] const auto n = ::read(readFd_, &byte, 1);
        const uint32_t index = queued_.front();
        queued_.pop_front();
        std::vector<uint8_t> frame = std::move(frames_.front());
        frames_.pop_front();
        auto& memory = buffers_[index];
        const size_t used = std::min(frame.size(), memory.size());
        std::memcpy(memory.data(), frame.data(), used);
        buf.index = index;
        buf.bytesused = static_cast<uint32_t>(used);
        buf.flags = 0;
        return 0;
    }

    mutable std::mutex lock_;
    int readFd_ = -1, writeFd_ = -1;
    bool unplugged_ = false;
    bool eioGiven_ = false;
    bool streaming_ = false;
    std::vector<unsigned long> requests_;
    platform::CaptureFormat current_;
    std::vector<std::vector<uint8_t>> buffers_;
    std::deque<uint32_t> queued_;
    std::deque<std::vector<uint8_t>> frames_;
};

// The node a V4L2 device sees; several may share one camera.
class FakeV4l2Node : public platform::V4l2Node {
  public:
    explicit FakeV4l2Node(std::shared_ptr<FakeV4l2Camera> camera) : camera_(std::move(camera)) {}
    int Ioctl(unsigned long request, void* arg) override { return camera_->Ioctl(request, arg); }
    void* Map(size_t length, uint32_t offset) override { return camera_->Map(length, offset); }
    void Unmap(void*, size_t) override {}
    int PollFd() const override { return camera_->PollFd(); }

  private:
    std::shared_ptr<FakeV4l2Camera> camera_;
};

}  // namespace orbisk::test
