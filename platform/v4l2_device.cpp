#include "platform/v4l2_device.h"

#include "platform/log_categories.h"
#include "platform/v4l2_controls.h"

#include <linux/videodev2.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orbisk::platform {
namespace {

using Clock = std::chrono::steady_clock;
using Wake = WorkerThread::Context::Wake;

constexpr int kBufferCount = 4;

DeviceError ErrorOfErrno(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return DeviceError::kNoAccess;
        case EBUSY:
            return DeviceError::kBusy;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return DeviceError::kNotFound;
        default:
            return DeviceError::kFailed;
    }
}

std::string FormatText(const CaptureFormat& f) {
    const char code[5] = {
        static_cast<char>(f.fourcc & 0xff), static_cast<char>((f.fourcc >> 8) & 0xff),
        static_cast<char>((f.fourcc >> 16) & 0xff), static_cast<char>((f.fourcc >> 24) & 0xff), 0};
    return std::string(code) + " " + std::to_string(f.width) + "x" + std::to_string(f.height);
}

std::unique_ptr<V4l2CaptureDevice> Refuse(const VideoDeviceInfo& info, DeviceError why,
                                          const std::string& detail, DeviceError* error) {
    const char* hint = why == DeviceError::kNoAccess
                           ? "; the user needs read and write access to the node (the \"video\" "
                             "group, or the seat's access)"
                           : "";
    qCWarning(lcCamera, "camera %s refused: %s (%s)%s", DeviceLogName(info).c_str(),
              DeviceErrorText(why), detail.c_str(), hint);
    if (error) *error = why;
    return nullptr;
}

}  // namespace

std::unique_ptr<V4l2CaptureDevice> V4l2CaptureDevice::Open(const VideoDeviceInfo& info,
                                                           DeviceError* error) {
    if (info.node.empty()) {
        return Refuse(info, DeviceError::kNotFound, "no device node", error);
    }
    int openError = 0;
    auto node = OpenV4l2Node(info.node, openError);
    if (!node) {
        return Refuse(info, ErrorOfErrno(openError), std::strerror(openError), error);
    }
    return OnNode(info, std::move(node), error);
}

std::unique_ptr<V4l2CaptureDevice> V4l2CaptureDevice::OnNode(const VideoDeviceInfo& info,
                                                             std::unique_ptr<V4l2Node> node,
                                                             DeviceError* error) {
    v4l2_capability cap{};
    if (node->Ioctl(VIDIOC_QUERYCAP, &cap) != 0) {
        const int e = errno;
        return Refuse(info,
                      ErrorOfErrno(e) == DeviceError::kNotFound ? DeviceError::kNotFound
                                                                : DeviceError::kFailed,
                      std::string("VIDIOC_QUERYCAP: ") + std::strerror(e), error);
    }
    const uint32_t caps =
        (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
    if (!(caps & V4L2_CAP_VIDEO_CAPTURE) || !(caps & V4L2_CAP_STREAMING)) {
        return Refuse(info, DeviceError::kNotCapture,
                      !(caps & V4L2_CAP_VIDEO_CAPTURE) ? "no video capture" : "no streaming I/O",
                      error);
    }
    if (error) *error = DeviceError::kNone;
    return std::unique_ptr<V4l2CaptureDevice>(new V4l2CaptureDevice(info, std::move(node)));
}

V4l2CaptureDevice::V4l2CaptureDevice(const VideoDeviceInfo& info, std::unique_ptr<V4l2Node> node)
    : info_(info), logName_(DeviceLogName(info)), node_(std::move(node)) {}

V4l2CaptureDevice::~V4l2CaptureDevice() {
    Stop();
    UnwatchButton();
}

std::vector<CaptureFormat> V4l2CaptureDevice::Formats() {
    std::vector<CaptureFormat> out;
    v4l2_fmtdesc desc{};
    desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (desc.index = 0; node_->Ioctl(VIDIOC_ENUM_FMT, &desc) == 0; ++desc.index) {
        if (desc.pixelformat != kFourCcYuyv && desc.pixelformat != kFourCcMjpg) {
            continue;
        }
        v4l2_frmsizeenum size{};
        size.pixel_format = desc.pixelformat;
        for (size.index = 0; node_->Ioctl(VIDIOC_ENUM_FRAMESIZES, &size) == 0; ++size.index) {
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

std::vector<ControlInfo> V4l2CaptureDevice::Controls() { return v4l2::EnumerateControls(*node_); }

std::optional<ControlInfo> V4l2CaptureDevice::QueryControl(uint32_t id) {
    return v4l2::QueryControl(*node_, id);
}

bool V4l2CaptureDevice::GetControl(uint32_t id, int32_t& value) {
    return v4l2::GetControl(*node_, id, value);
}

bool V4l2CaptureDevice::SetControl(uint32_t id, int32_t value) {
    return v4l2::SetControl(*node_, id, value);
}

DeviceError V4l2CaptureDevice::SetFormat(const CaptureFormat& format, CaptureFormat& applied) {
    if (streaming_) {
        // The capture thread reads the format; the stream is stopped first.
        return DeviceError::kBusy;
    }
    v4l2_format fmt{};
    fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    fmt.fmt.pix.width = static_cast<uint32_t>(format.width);
    fmt.fmt.pix.height = static_cast<uint32_t>(format.height);
    fmt.fmt.pix.pixelformat = format.fourcc;
    fmt.fmt.pix.field = V4L2_FIELD_NONE;
    if (node_->Ioctl(VIDIOC_S_FMT, &fmt) != 0) {
        const int e = errno;
        const DeviceError why = ErrorOfErrno(e);
        qCWarning(lcCamera, "camera %s refused %s: %s (VIDIOC_S_FMT: %s)", logName_.c_str(),
                  FormatText(format).c_str(), DeviceErrorText(why), std::strerror(e));
        return why;
    }
    if (fmt.fmt.pix.pixelformat != format.fourcc) {
        qCWarning(lcCamera, "camera %s refused %s: the driver offers another pixel format",
                  logName_.c_str(), FormatText(format).c_str());
        return DeviceError::kRefused;
    }
    applied = {format.fourcc, static_cast<int>(fmt.fmt.pix.width),
               static_cast<int>(fmt.fmt.pix.height)};
    if (!(applied == format)) {
        qCInfo(lcCamera, "camera %s: the driver set %s for %s", logName_.c_str(),
               FormatText(applied).c_str(), FormatText(format).c_str());
    }
    format_ = applied;
    bytesPerLine_ = static_cast<int>(fmt.fmt.pix.bytesperline);
    return DeviceError::kNone;
}

bool V4l2CaptureDevice::SetupFailed(const char* call, int error) {
    qCWarning(lcCamera, "camera %s can't stream: %s (%s: %s)", logName_.c_str(),
              DeviceErrorText(ErrorOfErrno(error)), call, std::strerror(error));
    ReleaseBuffers();
    return false;
}

bool V4l2CaptureDevice::Start(const CaptureFormat& format, FrameSink sink, LostHandler lost) {
    Stop();
    CaptureFormat applied;
    if (SetFormat(format, applied) != DeviceError::kNone) {
        return false;
    }
    v4l2_requestbuffers req{};
    req.count = kBufferCount;
    req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    req.memory = V4L2_MEMORY_MMAP;
    if (node_->Ioctl(VIDIOC_REQBUFS, &req) != 0) {
        return SetupFailed("VIDIOC_REQBUFS", errno);
    }
    if (req.count == 0) {
        return SetupFailed("VIDIOC_REQBUFS", ENOMEM);
    }
    for (uint32_t i = 0; i < req.count; ++i) {
        v4l2_buffer buf{};
        buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buf.memory = V4L2_MEMORY_MMAP;
        buf.index = i;
        if (node_->Ioctl(VIDIOC_QUERYBUF, &buf) != 0) {
            return SetupFailed("VIDIOC_QUERYBUF", errno);
        }
        void* start = node_->Map(buf.length, buf.m.offset);
        if (start == nullptr) {
            return SetupFailed("mmap", errno);
        }
        buffers_.push_back({start, buf.length});
        if (node_->Ioctl(VIDIOC_QBUF, &buf) != 0) {
            return SetupFailed("VIDIOC_QBUF", errno);
        }
    }
    v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (node_->Ioctl(VIDIOC_STREAMON, &type) != 0) {
        return SetupFailed("VIDIOC_STREAMON", errno);
    }
    streaming_ = true;
    sink_ = std::move(sink);
    lost_ = std::move(lost);
    ended_ = false;
    refusedFrames_ = 0;
    worker_.Start([this](WorkerThread::Context& context) { Loop(context); });
    return true;
}

void V4l2CaptureDevice::Loop(WorkerThread::Context& context) {
    auto lastFrame = Clock::now();
    bool lost = false;
    while (!lost) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            lastFrame + frameTimeout_ - Clock::now());
        short revents = 0;
        const Wake wake = context.WaitFd(
            node_->PollFd(), static_cast<int>(std::max<long>(0, left.count())), POLLIN, &revents);
        if (wake == Wake::kStopped) {
            break;
        }
        if (wake == Wake::kTimeout) {
            if (Clock::now() - lastFrame < frameTimeout_) continue;
            // A camera that stops sending without an error would freeze the
            // preview for good: it is reported as an unplug is.
            qCWarning(lcCamera, "camera %s lost: no frame for %lld ms", logName_.c_str(),
                      static_cast<long long>(frameTimeout_.count()));
            lost = true;
        } else if (wake == Wake::kError) {
            qCWarning(lcCamera, "camera %s lost: poll: %s", logName_.c_str(), std::strerror(errno));
            lost = true;
        } else {
            const Taken taken = TakeBuffer(revents);
            if (taken == Taken::kBuffer) lastFrame = Clock::now();
            lost = taken == Taken::kLost;
        }
    }
    ended_ = true;  // before the handler runs: it may ask
    if (lost && lost_) {
        lost_();
    }
}

V4l2CaptureDevice::Taken V4l2CaptureDevice::TakeBuffer(short revents) {
    v4l2_buffer buf{};
    buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buf.memory = V4L2_MEMORY_MMAP;
    if (node_->Ioctl(VIDIOC_DQBUF, &buf) != 0) {
        const int e = errno;
        if (e == EAGAIN && !(revents & (POLLERR | POLLHUP | POLLNVAL))) {
            return Taken::kNothing;
        }
        // ENODEV: unplugged. Between the unplug and the node's removal the
        // queue answers EIO; either way no frame will come again.
        qCWarning(lcCamera, "camera %s lost: VIDIOC_DQBUF: %s", logName_.c_str(), std::strerror(e));
        return Taken::kLost;
    }
    if (!(buf.flags & V4L2_BUF_FLAG_ERROR) && buf.index < buffers_.size()) {
        const auto* data = static_cast<const uint8_t*>(buffers_[buf.index].start);
        const size_t used = std::min<size_t>(buf.bytesused, buffers_[buf.index].length);
        DeliverFrameSafely(logName_, [&] {
            FrameSample sample;
            if (converter_.Convert(format_.fourcc, format_.width, format_.height, data, used,
                                   bytesPerLine_, sample)) {
                sink_(sample);
            } else if (refusedFrames_++ == 0) {
                // Webcams send a broken frame now and then: the first of a
                // stream is told, the rest only on asking.
                qCInfo(lcCamera, "camera %s: frame dropped: not a whole %s frame (%zu bytes)",
                       logName_.c_str(), FormatText(format_).c_str(), used);
            } else {
                qCDebug(lcCamera, "camera %s: frame dropped (%zu bytes)", logName_.c_str(), used);
            }
        });
    }
    if (node_->Ioctl(VIDIOC_QBUF, &buf) != 0) {
        qCWarning(lcCamera, "camera %s lost: VIDIOC_QBUF: %s", logName_.c_str(),
                  std::strerror(errno));
        return Taken::kLost;
    }
    return Taken::kBuffer;
}

void V4l2CaptureDevice::ReleaseBuffers() {
    for (const auto& b : buffers_) {
        node_->Unmap(b.start, b.length);
    }
    buffers_.clear();
    v4l2_requestbuffers req{};
    req.count = 0;
    req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    req.memory = V4L2_MEMORY_MMAP;
    node_->Ioctl(VIDIOC_REQBUFS, &req);
}

void V4l2CaptureDevice::Stop() {
    worker_.Stop();
    if (streaming_) {
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        node_->Ioctl(VIDIOC_STREAMOFF, &type);
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
