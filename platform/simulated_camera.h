#pragma once

#include "platform/capture_device.h"
#include "platform/video_registry.h"

#include <linux/input.h>
#include <opencv2/core.hpp>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A camera without hardware, enabled by ORBISK_CAMERA=simulated: a document
// camera (1d6b:0c01) and a portrait camera (1d6b:0c02) that list, stream,
// offer controls and a snapshot button like a UVC camera. Frames go through
// the same YUYV and MJPG conversion as a real device's; MJPG is encoded on
// the fly. The scene is a page on a desk; ORBISK_CAMERA_IMAGES=<folder>
// cycles through that folder's pictures instead, and ORBISK_CAMERA_FPS sets
// the frame rate (default 15).
//
// Tests drive it through the static operations: queue the next frames,
// press the button, unplug and plug back in, change the formats offered.
namespace orbisk::platform {

class SimulatedCamera {
  public:
    // The registry that lists the plugged simulated devices.
    static VideoRegistry& Registry();
    // A capture device for a device of that registry; nullptr when unplugged.
    static std::unique_ptr<CaptureDevice> OpenDevice(const VideoDeviceInfo& info);

    // Back to two plugged devices with the default formats, controls, frame
    // rate, page clock and scene, no queued frames.
    static void Reset();
    static void SetFrameRate(double framesPerSecond);
    // The clock on which each picture of ORBISK_CAMERA_IMAGES shows for three
    // seconds, from the stream's start; by default the steady clock. A test's
    // own clock turns the pages when the test wants (any thread may call it).
    using PageClock = std::function<std::chrono::steady_clock::time_point()>;
    static void SetPageClock(PageClock clock);
    // Frames (BGR, top-down) sent before the scene again, one per frame
    // period, resized to the stream's size when they differ from it.
    static void QueueFrames(const std::string& productId, std::vector<cv::Mat> frames);
    // Sends a raw input event on the device's button; PressButton sends a
    // press and a release.
    static void SendButtonEvent(const std::string& productId, const input_event& event);
    static void PressButton(const std::string& productId);
    // Whether a capture device of the camera watches its button now.
    static bool ButtonWatched(const std::string& productId);
    // Unplugging ends a running stream the way ENODEV does; the device
    // leaves the registry until it is plugged in again.
    // Both tell the device-change monitors, as udev does of a real camera.
    static void Unplug(const std::string& productId);
    static void Plug(const std::string& productId);
    static void SetFormats(const std::string& productId, std::vector<CaptureFormat> formats);
    // Frames delivered by the device's streams so far.
    static long FramesDelivered(const std::string& productId);

    // The document camera's sizes, 640x480 up to 3264x2448.
    static std::vector<CaptureFormat> DefaultDocumentFormats();
};

}  // namespace orbisk::platform
