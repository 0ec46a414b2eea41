#pragma once

#include "platform/capture_device.h"
#include "platform/frame_converter.h"
#include "platform/snapshot_button.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace orbisk::platform {

// A V4L2 capture node streaming through 4 memory-mapped buffers. The capture
// thread waits in poll, dequeues, converts and hands the frame to the sink;
// ENODEV means the camera was unplugged, and the thread ends and reports it.
class V4l2CaptureDevice : public CaptureDevice {
  public:
    static std::unique_ptr<V4l2CaptureDevice> Open(const VideoDeviceInfo& info);
    ~V4l2CaptureDevice() override;

    const VideoDeviceInfo& Info() const override { return info_; }
    std::vector<CaptureFormat> Formats() override;
    std::vector<ControlInfo> Controls() override;
    std::optional<ControlInfo> QueryControl(uint32_t id) override;
    bool GetControl(uint32_t id, int32_t& value) override;
    bool SetControl(uint32_t id, int32_t value) override;
    bool Start(const CaptureFormat& format, FrameSink sink, LostHandler lost) override;
    void Stop() override;
    bool IsStreaming() const override { return thread_.joinable() && !ended_; }
    bool WatchButton(ButtonHandler pressed) override;
    void UnwatchButton() override;

  private:
    V4l2CaptureDevice(const VideoDeviceInfo& info, int fd);
    void Loop();
    void ReleaseBuffers();

    struct Buffer {
        void* start = nullptr;
        size_t length = 0;
    };

    VideoDeviceInfo info_;
    int fd_ = -1;
    int wake_ = -1;
    std::vector<Buffer> buffers_;
    CaptureFormat format_;
    int bytesPerLine_ = 0;
    bool streaming_ = false;
    FrameSink sink_;
    LostHandler lost_;
    FrameConverter converter_;
    std::thread thread_;
    std::atomic<bool> ended_{false};
    std::atomic<bool> lostDevice_{false};
    std::unique_ptr<EvdevButtonReader> button_;
};

}  // namespace orbisk::platform
