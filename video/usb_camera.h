#pragma once

#include "platform/camera_controls.h"
#include "platform/capture_device.h"
#include "video/grab_filter.h"
#include "video/video_source.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace orbisk {

// The USB camera as a video source, on a V4L2 capture device (or the
// simulated camera). Open binds the device and chooses size and format; Run
// starts the stream into a new grab filter; the snapshot button, when asked
// for, posts WM_CAMERA_SNAPSHOT to the owner window.
//
// Every operation runs on the UI thread; only the grab filter and the
// snapshot callback are reached from the capture and button threads.
class CUSBCamra : public CVideoBaseClass {
  public:
    CUSBCamra();
    ~CUSBCamra() override;
    CUSBCamra(const CUSBCamra&) = delete;
    CUSBCamra& operator=(const CUSBCamra&) = delete;

    int ListDevices(QStringList& names) override;
    void ShowFormatPropertyPage(QWidget* owner) override;
    void ShowDevicePropertyPage(QWidget* owner) override;
    HResult SetProcAmp(int property, int* value) override;
    HResult GetProcAmp(int property, int& value, int& flags) override;
    HResult GetProcAmpRange(int property, int& minimum, int& maximum, int& step, int& defaultValue,
                            int& flags) override;
    HResult SetCameraControl(int property, int value) override;
    HResult GetCameraControl(int property, int& value, int& flags) override;
    HResult GetCameraControlRange(int property, int& minimum, int& maximum, int& step,
                                  int& defaultValue, int& flags) override;
    // 0 opened (stopped), 1 (kSNoDevice) no such device, kEPointer for an
    // incomplete identity, kEAccessDenied for a device this user may not
    // open, kEDeviceBusy for one busy in another program, kEFail for any
    // other refusal (each logged). The device index is kept with the
    // identity; the first device that fits is bound.
    HResult Open(const QString& vid, const QString& pid, const QString& serial, QObject* owner,
                 bool stillPin, int deviceIndex) override;
    void SetNotify(QObject* window, int message) override;
    IGrabData* GetGrabData() override { return grab_.get(); }
    bool Run() override;
    bool Stop() override;
    int GetResolutionCount() override;
    int GetDeviceResolutionCount(const QString& vid, const QString& pid, int deviceIndex) override;
    bool GetFormats(std::vector<int>& formats) override;
    bool GetDeviceFormats(const QString& vid, const QString& pid, int deviceIndex,
                          std::vector<int>& formats) override;
    int GetResolutionAt(int index, int& width, int& height) override;
    int GetDeviceResolutionAt(const QString& vid, const QString& pid, int deviceIndex, int index,
                              int& width, int& height) override;
    int CountDevicesBySerial(const QString& vid, const QString& pid,
                             const QString& serial) override;
    int CountDevices(const QString& vid, const QString& pid) override;
    int CountDevicesByName(const QString& name) override;
    QString GetDeviceName(const QString& vid, const QString& pid, int index) override;
    cv::Mat TriggerStill() override { return {}; }
    HResult SetResolution(int width, int height) override;
    void GetResolution(int& width, int& height) override;
    HResult SetResolutionIndex(int index) override;
    void SetOption(int option) override { option_ = option; }
    // Reports a lost device (the camera was unplugged while streaming) once.
    bool PollGraphEvent(int& kind, int& eventCode) override;
    void SetLostNotify(std::function<void()> lost) override;
    void SetFormatPreference(int format) override { formatPreference_ = format; }
    int GetState() override { return state_; }

    // The format streamed after Run (or to be streamed), at the size the
    // driver set; for the dialogs.
    const platform::CaptureFormat& ChosenFormat() const { return chosen_; }
    // Streams `format` as it is from the next Run on: what the format page
    // applies. The grab filter (which a preview holds) and the format
    // preference stay; a running stream is restarted.
    HResult ApplyFormat(const platform::CaptureFormat& format);
    // The bound device, or none.
    platform::CaptureDevice* Device() { return device_.get(); }

  private:
    using RangeGetter =
        platform::ControlResult (platform::CameraControls::*)(int, platform::PropertyRange&);
    // A property range of the bound device into the caller's six answers.
    HResult RangeOf(RangeGetter get, int property, int& minimum, int& maximum, int& step,
                    int& defaultValue, int& flags);
    void Teardown();
    // Binds a device for the queries: -1 busy with another identity, -2 the
    // device can't be opened, -3 not found, 0 bound.
    int BindForQuery(const QString& vid, const QString& pid, int deviceIndex);
    HResult Reopen();
    // The device's format at the chosen size, as the driver sets it.
    HResult Negotiate(const platform::CaptureFormat& format);

    std::unique_ptr<platform::CaptureDevice> device_;
    std::unique_ptr<CGrabDataFilter> grab_;
    int option_ = 0;
    int requestedHeight_ = -1;
    int requestedWidth_ = -1;
    int sizeIndex_ = 0;
    int askedHeight_ = -1;  // what SetResolution last asked for
    int askedWidth_ = -1;
    QString vid_, pid_;
    int deviceIndex_ = 0;
    bool built_ = false;
    int state_ = kStateClosed;
    CSampleGrabberCallback still_;
    QObject* owner_ = nullptr;
    bool stillPin_ = false;
    int formatPreference_ = kFormatYuy2;
    QObject* notifyWindow_ = nullptr;
    int notifyMessage_ = 0;
    platform::CaptureFormat chosen_;
    std::atomic<bool> lost_{false};
    bool lostReported_ = false;
    // The capture thread calls it; set from the UI thread.
    std::mutex lostNotifyLock_;
    std::function<void()> lostNotify_;
};

}  // namespace orbisk
