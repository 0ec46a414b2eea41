#pragma once

#include "core/int_rect.h"
#include "video/show_video.h"
#include "video/video_recorder.h"
#include "video/video_source.h"

#include <functional>
#include <memory>
#include <shared_mutex>
#include <vector>

class QWidget;

namespace orbisk {

// The video source of a kind: 0 the USB camera, any other the TCP picture
// source (the main window always asks for kind 0).
std::unique_ptr<CVideoBaseClass> CreateVideoSource(int sourceKind);

// One camera as the main window sees it: its video source, the live preview
// that shows it and, while one runs, the recording. Every operation runs on
// the UI thread, except GetFrame and GetCroppedImages, which worker threads
// call too: they read the preview under a shared guard that Open and the
// destructor hold exclusively while they replace or delete the preview.
class CCameraController {
  public:
    // What the controller makes: its source, its preview (threaded display
    // or not) and a recorder. Tests replace them.
    struct Factories {
        std::function<std::unique_ptr<CVideoBaseClass>(int sourceKind)> source = CreateVideoSource;
        std::function<std::unique_ptr<IShowHWnd>(bool threaded)> preview;
        // The ASF recorder by default.
        std::function<std::unique_ptr<IVideoRecorder>()> recorder;
    };

    CCameraController(int threadedDisplay, int sourceKind);
    CCameraController(int threadedDisplay, int sourceKind, Factories factories);
    ~CCameraController();
    CCameraController(const CCameraController&) = delete;
    CCameraController& operator=(const CCameraController&) = delete;

    int CountDevices(const QString& vid, const QString& pid);
    // 0 opened, 1 no such device (both with a new preview), negative: the
    // source failed and is deleted. kEFail when the new preview's window
    // can't be made.
    int Open(QWidget* parent, const QString& vid, const QString& pid, const QString& serial,
             int left, int top, int right, int bottom, bool stillPin, int deviceIndex);
    void SetPreviewRect(int left, int top, int right, int bottom);
    void MovePreview();
    bool ShowPreview(bool visible);
    bool Run();
    bool Stop();
    int SetResolution(int width, int height);
    void GetResolution(int& width, int& height);
    bool GetFormats(std::vector<int>& formats);
    void SetFormatPreference(int format);
    int SetCameraControl(int property, int value);
    int GetCameraControl(int property, int& value, int& flags);
    int GetCameraControlRange(int property, int& minimum, int& maximum, int& step,
                              int& defaultValue, int& flags);
    // A lost stream: told on the source's thread; PollGraphEvent (UI thread)
    // then reports it once.
    void SetLostNotify(std::function<void()> lost);
    bool PollGraphEvent(int& kind, int& eventCode);
    void ShowFormatPropertyPage(QWidget* owner);
    void ShowDevicePropertyPage(QWidget* owner);
    // Quarter turns only; -90 reaches the preview as 270.
    void SetRotation(int degrees);
    bool SetCropMargins(int left, int top, int right, int bottom);
    void SetAutoDetect(bool on, int several, float threshold);
    bool IsAutoDetectOn() const { return autoDetect_; }
    void EnableCustomCropBox(bool on);
    bool GetCustomCropRect(IntRect& rect);
    bool SetCustomCropRect(int left, int top, int right, int bottom, bool keepAspect);
    // Any thread.
    cv::Mat GetFrame();
    std::vector<cv::Mat> GetCroppedImages();
    int StartRecording(const QString& path, int width, int height, int framesPerSecond,
                       int bitRate);
    int StopRecording();
    // kSOk while the recording runs as it should, the failure that ended it
    // early (a write the file refused) otherwise; kEPointer without one.
    int RecordingStatus() const;

    // For tests.
    IShowHWnd* Preview() const { return preview_.get(); }
    CVideoBaseClass* Source() const { return source_.get(); }
    bool IsRecording() const { return recorder_ != nullptr; }

  private:
    void EnsureSource();
    // Takes the preview out under the exclusive guard and deletes it.
    void DeletePreview();
    void AttachGrabData();

    int threadedDisplay_;
    int sourceKind_;
    IntRect rect_;
    std::unique_ptr<IShowHWnd> preview_;
    std::unique_ptr<CVideoBaseClass> source_;
    std::unique_ptr<IVideoRecorder> recorder_;
    QWidget* parent_ = nullptr;
    bool autoDetect_ = false;
    std::function<void()> lostNotify_;

    Factories factories_;
    mutable std::shared_mutex previewGuard_;
};

}  // namespace orbisk
