#pragma once

#include "platform/video_registry.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A capture device: what a camera offers (sizes and pixel formats, controls)
// and a stream of frames converted to 24-bit BGR. The real one is a V4L2
// node; the simulated camera implements the same interface.
namespace orbisk::platform {

inline constexpr uint32_t FourCc(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}
inline constexpr uint32_t kFourCcYuyv = FourCc('Y', 'U', 'Y', 'V');
inline constexpr uint32_t kFourCcMjpg = FourCc('M', 'J', 'P', 'G');

// One size of one pixel format, in the device's order.
struct CaptureFormat {
    uint32_t fourcc = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const CaptureFormat&, const CaptureFormat&) = default;
};

// A V4L2 control as VIDIOC_QUERY_EXT_CTRL reports it.
struct ControlInfo {
    uint32_t id = 0;
    uint32_t type = 0;  // V4L2_CTRL_TYPE_*
    std::string name;
    int64_t minimum = 0;
    int64_t maximum = 0;
    int64_t step = 0;
    int64_t defaultValue = 0;
    uint32_t flags = 0;                                 // V4L2_CTRL_FLAG_*
    std::vector<std::pair<int64_t, std::string>> menu;  // index and label, menus only
};

// One converted frame: `height` rows of `width` BGR pixels, `stride` bytes
// apart, `length` bytes in all. A negative height means the rows run
// top-down, the way the converters write them.
struct FrameSample {
    const uint8_t* data = nullptr;
    size_t length = 0;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// Called on the capture thread for every frame; the sample is valid only
// during the call.
using FrameSink = std::function<void(const FrameSample&)>;
// Called once on the capture thread when the device went away.
using LostHandler = std::function<void()>;
// Called on the button's thread for each press of the snapshot button.
using ButtonHandler = std::function<void()>;

// Why a device was refused: it could not be opened or would not take a
// format.
enum class DeviceError {
    kNone,
    kNotFound,    // the node is gone (unplugged since it was listed)
    kNoAccess,    // the user may not open the node
    kBusy,        // another program holds the camera
    kNotCapture,  // the node does not stream video
    kRefused,     // the device does not offer the format
    kFailed,      // any other failure of the device
};
const char* DeviceErrorText(DeviceError error);

// "/dev/video0 (046d:085e, HD Webcam)": how log lines name a device.
std::string DeviceLogName(const VideoDeviceInfo& info);

class CaptureDevice {
  public:
    virtual ~CaptureDevice() = default;

    virtual const VideoDeviceInfo& Info() const = 0;
    // Every (format, size) the device offers, YUYV and MJPG only.
    virtual std::vector<CaptureFormat> Formats() = 0;

    virtual std::vector<ControlInfo> Controls() = 0;
    virtual std::optional<ControlInfo> QueryControl(uint32_t id) = 0;
    virtual bool GetControl(uint32_t id, int32_t& value) = 0;
    virtual bool SetControl(uint32_t id, int32_t value) = 0;

    // Sets the format the next Start streams; the driver may adjust the
    // size, and `applied` is what it set. A device that negotiates nothing
    // takes the format as it is.
    virtual DeviceError SetFormat(const CaptureFormat& format, CaptureFormat& applied) {
        applied = format;
        return DeviceError::kNone;
    }

    // Starts streaming at `format`; frames go to `sink` until Stop or until
    // the device is lost, which `lost` reports. False when the device
    // refuses the format or can't stream.
    virtual bool Start(const CaptureFormat& format, FrameSink sink, LostHandler lost) = 0;
    // Ends the stream and joins the capture thread; safe to call twice.
    virtual void Stop() = 0;
    virtual bool IsStreaming() const = 0;

    // Watches the device's snapshot button; presses call `pressed`. False
    // when the device has no button that can be read (the camera then runs
    // without it).
    virtual bool WatchButton(ButtonHandler pressed) = 0;
    virtual void UnwatchButton() = 0;
};

// Opens the device that the registry listed; nullptr when it can't be
// opened, with the reason in `error` (and a log line).
std::unique_ptr<CaptureDevice> OpenCaptureDevice(const VideoDeviceInfo& info,
                                                 DeviceError* error = nullptr);

// Converts and delivers one frame on a capture thread. Hostile bytes may make
// a conversion throw: that frame is dropped with a log line and the stream
// goes on, for an exception must never end the program from there.
void LogDroppedFrame(const std::string& device, const char* why);
template <typename Deliver>
void DeliverFrameSafely(const std::string& device, Deliver&& deliver) {
    try {
        deliver();
    } catch (const std::exception& e) {
        LogDroppedFrame(device, e.what());
    } catch (...) {
        LogDroppedFrame(device, "unknown exception");
    }
}

}  // namespace orbisk::platform
