#include "platform/v4l2_device.h"

#include "platform/v4l2_controls.h"

#include <QtGlobal>

#include <fcntl.h>
#include <linux/videodev2.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orbisk::platform {
namespace {

constexpr int kBufferCount = 4;

}  // namespace

using v4l2::Ioctl;

std::unique_ptr<V4l2CaptureDevice> V4l2CaptureDevice::Open(const VideoDeviceInfo& info) {
    if (info.node.empty()) {
        return nullptr;
    }
    const int fd = ::open(info.node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    v4l2_capability cap{};
    if (Ioctl(fd, VIDIOC_QUERYCAP, &cap) != 0) {
        ::close(fd);
        return nullptr;
    }
    const uint32_t caps =
        (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
    if (!(caps & V4L2_CAP_VIDEO_CAPTURE) || !(caps & V4L2_CAP_STREAMING)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<V4l2CaptureDevice>(new V4l2CaptureDevice(info, fd));
}

V4l2CaptureDevice::V4l2CaptureDevice(const VideoDeviceInfo& info, int fd)
    : info_(info), fd_(fd), wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

V4l2CaptureDevice::~V4l2CaptureDevice() {
    Stop();
    UnwatchButton();
    if (wake_ >= 0) ::close(wake_);
    if (fd_ >= 0) ::close(fd_);
}

std::vector<CaptureFormat> V4l2CaptureDevice::Formats() {
    std::vector<CaptureFormat> out;
    v4l2_fmtdesc desc{};
    desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (desc.index = 0; Ioctl(fd_, VIDIOC_ENUM_FMT, &desc) == 0; ++desc.index) {
        if (desc.pixelformat != kFourCcYuyv && desc.pixelformat != kFourCcMjpg) {
            continue;
        }
        v4l2_frmsizeenum size{};
        size.pixel_format = desc.pixelformat;
        for (size.index = 0; Ioctl(fd_, VIDIOC_ENUM_FRAMESIZES, &size) == 0; ++size.index) {
            if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
                out.push_back({desc.pixelformat, static_cast<int>(size.discrete.width),
                               static_cast<int>(size.discrete.height)});
            } else {
                // A continuous range: offer its largest size.
                out.push_back({desc.pixelformat, static_cast<int>(size.stepwise.max_width),
                               static_cast<int>(size.stepwise.max_height)});
                break;
            }
        }
    }
    return out;
}

std::vector<ControlInfo> V4l2CaptureDevice::Controls() { return v4l2::EnumerateControls(fd_); }

std::optional<ControlInfo> V4l2CaptureDevice::QueryControl(uint32_t id) {
    return v4l2::QueryControl(fd_, id);
}

bool V4l2CaptureDevice::GetControl(uint32_t id, int32_t& value) {
    return v4l2::GetControl(fd_, id, value);
}

bool V4l2CaptureDevice::SetControl(uint32_t id, int32_t value) {
    return v4l2::SetControl(fd_, id, value);
}

bool V4l2CaptureDevice::Start(const CaptureFormat& format, FrameSink sink, LostHandler lost) {
    Stop();
    v4l2_format fmt{};
    fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    fmt.fmt.pix.width = static_cast<uint32_t>(format.width);
    fmt.fmt.pix.height = static_cast<uint32_t>(format.height);
    fmt.fmt.pix.pixelformat = format.fourcc;
    fmt.fmt.pix.field = V4L2_FIELD_NONE;
    if (Ioctl(fd_, VIDIOC_S_FMT, &fmt) != 0 || fmt.fmt.pix.pixelformat != format.fourcc) {
        return false;
    }
    format_ = {format.fourcc, static_cast<int>(fmt.fmt.pix.width),
               static_cast<int>(fmt.fmt.pix.height)};
    bytesPerLine_ = static_cast<int>(fmt.fmt.pix.bytesperline);

    v4l2_requestbuffers req{};
    req.count = kBufferCount;
    req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    req.memory = V4L2_MEMORY_MMAP;
    if (Ioctl(fd_, VIDIOC_REQBUFS, &req) != 0 || req.count == 0) {
        return false;
    }
    for (uint32_t i = 0; i < req.count; ++i) {
        v4l2_buffer buf{};
        buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buf.memory = V4L2_MEMORY_MMAP;
        buf.index = i;
        if (Ioctl(fd_, VIDIOC_QUERYBUF, &buf) != 0) {
            ReleaseBuffers();
            return false;
        }
        void* start =
            ::mmap(nullptr, buf.length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, buf.m.offset);
        if (start == MAP_FAILED) {
            ReleaseBuffers();
            return false;
        }
        buffers_.push_back({start, buf.length});
        if (Ioctl(fd_, VIDIOC_QBUF, &buf) != 0) {
            ReleaseBuffers();
            return false;
        }
    }
    v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Ioctl(fd_, VIDIOC_STREAMON, &type) != 0) {
        ReleaseBuffers();
        return false;
    }
    streaming_ = true;
    sink_ = std::move(sink);
    lost_ = std::move(lost);
    ended_ = false;
    lostDevice_ = false;
    uint64_t drained = 0;
    [[maybe_unused]] const auto n = ::read(wake_, &drained, sizeof(drained));
    thread_ = std::thread([this] { Loop(); });
    return true;
}

void V4l2CaptureDevice::Loop() {
    for (;;) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents) {
            break;
        }
        if (!(fds[0].revents & (POLLIN | POLLERR | POLLHUP))) {
            continue;
        }
        v4l2_buffer buf{};
        buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buf.memory = V4L2_MEMORY_MMAP;
        if (Ioctl(fd_, VIDIOC_DQBUF, &buf) != 0) {
            if (errno == EAGAIN) continue;
            // ENODEV: unplugged. Between the unplug and the node's removal
            // the queue answers EIO; either way no frame will come again.
            lostDevice_ = true;
            break;
        }
        if (!(buf.flags & V4L2_BUF_FLAG_ERROR) && buf.index < buffers_.size()) {
            const size_t used = std::min<size_t>(buf.bytesused, buffers_[buf.index].length);
            FrameSample sample;
            if (converter_.Convert(format_.fourcc, format_.width, format_.height,
                                   static_cast<const uint8_t*>(buffers_[buf.index].start), used,
                                   bytesPerLine_, sample)) {
                sink_(sample);
            }
        }
        if (Ioctl(fd_, VIDIOC_QBUF, &buf) != 0) {
            lostDevice_ = true;
            break;
        }
    }
    ended_ = true;
    if (lostDevice_ && lost_) {
        lost_();
    }
}

void V4l2CaptureDevice::ReleaseBuffers() {
    for (const auto& b : buffers_) {
        ::munmap(b.start, b.length);
    }
    buffers_.clear();
    v4l2_requestbuffers req{};
    req.count = 0;
    req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    req.memory = V4L2_MEMORY_MMAP;
    Ioctl(fd_, VIDIOC_REQBUFS, &req);
}

void V4l2CaptureDevice::Stop() {
    if (thread_.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(wake_, &one, sizeof(one));
        thread_.join();
    }
    if (streaming_) {
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        Ioctl(fd_, VIDIOC_STREAMOFF, &type);
        ReleaseBuffers();
        streaming_ = false;
    }
    sink_ = nullptr;
    lost_ = nullptr;
}

bool V4l2CaptureDevice::WatchButton(ButtonHandler pressed) {
    UnwatchButton();
    button_ = OpenSnapshotButton(info_.usbSysPath, std::move(pressed));
    return button_ != nullptr;
}

void V4l2CaptureDevice::UnwatchButton() { button_.reset(); }

}  // namespace orbisk::platform
