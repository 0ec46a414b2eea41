#pragma once

#include "platform/capture_device.h"
#include "platform/frame_converter.h"
#include "platform/snapshot_button.h"
#include "platform/v4l2_io.h"
#include "platform/worker_thread.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

namespace orbisk::platform {

// A V4L2 capture node streaming through 4 memory-mapped buffers. The capture
// thread waits on the node, dequeues, converts and hands the frame to the
// sink. The device counts as lost, and the thread ends and reports it, when
// the queue fails (EIO between an unplug and the node's removal, ENODEV
// after) or when no frame has come for the frame timeout.
class V4l2CaptureDevice : public CaptureDevice {
  public:
    static constexpr std::chrono::milliseconds kFrameTimeout{3000};

    // Opens the node the registry listed; nullptr, with the reason in
    // `error` and a log line, when it can't be opened or is no capture node.
    static std::unique_ptr<V4l2CaptureDevice> Open(const VideoDeviceInfo& info,
                                                   DeviceError* error = nullptr);
    // The same on a node that is open already.
    static std::unique_ptr<V4l2CaptureDevice> OnNode(const VideoDeviceInfo& info,
                                                     std::unique_ptr<V4l2Node> node,
                                                     DeviceError* error = nullptr);
    ~V4l2CaptureDevice() override;

    const VideoDeviceInfo& Info() const override { return info_; }
    std::vector<CaptureFormat> Formats() override;
    std::vector<ControlInfo> Controls() override;
    std::optional<ControlInfo> QueryControl(uint32_t id) override;
    bool GetControl(uint32_t id, int32_t& value) override;
    bool SetControl(uint32_t id, int32_t value) override;
    DeviceError SetFormat(const CaptureFormat& format, CaptureFormat& applied) override;
    bool Start(const CaptureFormat& format, FrameSink sink, LostHandler lost) override;
    void Stop() override;
    bool IsStreaming() const override { return worker_.Running() && !ended_; }
    bool WatchButton(ButtonHandler pressed) override;
    void UnwatchButton() override;

    // How long a running stream may go without a frame; for the next Start.
    void SetFrameTimeout(std::chrono::milliseconds timeout) { frameTimeout_ = timeout; }
    // The format of the running (or last) stream, as the driver set it.
    const CaptureFormat& StreamFormat() const { return format_; }

  private:
    V4l2CaptureDevice(const VideoDeviceInfo& info, std::unique_ptr<V4l2Node> node);
    void Loop(WorkerThread::Context& context);
    enum class Taken { kBuffer, kNothing, kLost };
    // Dequeues, delivers and requeues one buffer; kLost (logged) when the
    // queue failed.
    Taken TakeBuffer(short revents);
    void ReleaseBuffers();
    // Logs a failed stream setup call; false.
    bool SetupFailed(const char* call, int error);

    struct Buffer {
        void* start = nullptr;
        size_t length = 0;
    };

    VideoDeviceInfo info_;
    std::string logName_;
    std::unique_ptr<V4l2Node> node_;
    std::vector<Buffer> buffers_;
    CaptureFormat format_;
    int bytesPerLine_ = 0;
    bool streaming_ = false;
    std::chrono::milliseconds frameTimeout_ = kFrameTimeout;
    FrameSink sink_;
    LostHandler lost_;
    FrameConverter converter_;
    long refusedFrames_ = 0;  // frames of this stream the converter refused
    std::atomic<bool> ended_{false};
    WorkerThread worker_;
    std::unique_ptr<EvdevButtonReader> button_;
};

}  // namespace orbisk::platform
