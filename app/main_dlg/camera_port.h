#pragma once

#include "core/int_rect.h"
#include "imaging/detection_params.h"
#include "platform/camera_controls.h"
#include "video/video_source.h"

#include <QSize>
#include <QString>
#include <opencv2/core/mat.hpp>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace orbisk {

class IRecordingCamera;

// What the main window asks of one camera: the operations of the camera
// controller it uses, so that tests can stand in for a camera that fails.
class CameraPort {
  public:
    virtual ~CameraPort() = default;

    virtual int CountDevices(const QString& vid, const QString& pid) = 0;
    // The largest frame size the device offers; empty when it offers none.
    virtual QSize LargestFrameSize(const QString& vid, const QString& pid) = 0;
    virtual int SetResolution(int width, int height) = 0;
    virtual void SetFormatPreference(int format) = 0;
    // 0 opened.
    virtual int Open(QWidget* parent, const QString& vid, const QString& pid, const IntRect& rect,
                     bool stillPin, int deviceIndex) = 0;
    virtual bool GetFormats(std::vector<int>& formats) = 0;
    virtual bool Run() = 0;
    virtual bool Stop() = 0;
    virtual bool ShowPreview(bool visible) = 0;
    virtual bool SetCropMargins(int left, int top, int right, int bottom) = 0;
    // 0 when the control exists.
    virtual int GetCameraControlRange(int property, platform::PropertyRange& range) = 0;
    int GetCameraControlRange(int property, int& minimum, int& maximum) {
        platform::PropertyRange range;
        const int result = GetCameraControlRange(property, range);
        if (result == 0) minimum = range.minimum, maximum = range.maximum;
        return result;
    }
    // 0 when read; `flags` kPropertyAuto while the camera runs the control itself.
    virtual int GetCameraControl(int property, int& value, int& flags) = 0;
    // A value outside the range hands the control to the camera's automatic.
    virtual int SetCameraControl(int property, int value) = 0;
    // The driver's pages, modal over `owner`.
    virtual void ShowDevicePropertyPage(QWidget* owner) = 0;
    virtual void ShowFormatPropertyPage(QWidget* owner) = 0;
    virtual void SetRotation(int degrees) = 0;
    virtual void SetAutoDetect(bool on, int several, float threshold) = 0;
    virtual bool IsAutoDetectOn() const = 0;
    virtual void EnableCustomCropBox(bool on) = 0;
    virtual bool GetCustomCropRect(IntRect& rect) = 0;
    virtual bool SetCustomCropRect(const IntRect& rect, bool keepAspect) = 0;
    // Where the preview window goes in the main window; MovePreview puts it there.
    virtual void SetPreviewRect(const IntRect& rect) = 0;
    virtual void MovePreview() = 0;
    // The size the camera really delivers.
    virtual void GetResolution(int& width, int& height) = 0;
    // The current frame and its cut-out documents (or the whole frame);
    // empty when there is none. Any thread.
    virtual cv::Mat GetFrame() = 0;
    virtual std::vector<cv::Mat> GetCroppedImages() = 0;
    // What the recording dialog records through; lives no longer than the
    // camera.
    virtual std::unique_ptr<IRecordingCamera> Recorder() = 0;
    // Told on the UI thread, once a stream, when the camera stopped delivering
    // (unplugged, or silent for too long). Set before Run.
    virtual void SetLostHandler(std::function<void()> lost) = 0;
};

// Makes a camera with threaded display or not, of a source kind.
using CameraFactory =
    std::function<std::unique_ptr<CameraPort>(bool threadedDisplay, int sourceKind)>;

// The program's cameras.
CameraFactory ControllerCameraFactory();

// Detection thresholds: the document camera's automatic crop, and the one of
// the portrait camera, which is also passed whenever detection goes off.
inline constexpr float kDocumentThreshold = kCropDetection.minAreaRatio;
inline constexpr float kSingleObjectThreshold = kPageDetection.minAreaRatio;

// The exposure and focus properties of the camera controls.
inline constexpr int kExposureProperty = platform::kCameraExposure;
inline constexpr int kFocusProperty = platform::kCameraFocus;

// A value the camera layer takes as "automatic": one past the range.
int AutomaticValue(int minimum, int maximum);

}  // namespace orbisk
