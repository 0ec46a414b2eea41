#pragma once

#include "video/grab_filter.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <opencv2/core.hpp>

#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace orbisk {

// Result codes of the video sources, in the HRESULT style the callers test:
// 0 success, negative failure.
using HResult = int32_t;
inline constexpr HResult kSOk = 0;
inline constexpr HResult kEFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kEPointer = static_cast<HResult>(0x80004003u);
// Open's own answers beside those: no device fits the identity; the device
// fits but this user may not open it (E_ACCESSDENIED); it is busy in another
// program (ERROR_BUSY as an HRESULT).
inline constexpr HResult kSNoDevice = 1;
inline constexpr HResult kEAccessDenied = static_cast<HResult>(0x80070005u);
inline constexpr HResult kEDeviceBusy = static_cast<HResult>(0x800700AAu);

// Capture formats as the sources report them.
inline constexpr int kFormatYuy2 = 0;
inline constexpr int kFormatMjpg = 1;

// Source states.
inline constexpr int kStateClosed = 0;
inline constexpr int kStateStopped = 1;
inline constexpr int kStateRunning = 2;

// Event kinds of PollGraphEvent.
inline constexpr int kEventNone = 0;
inline constexpr int kEventDeviceLost = 1;
inline constexpr int kEventAbort = 2;
inline constexpr int kEventOtherDevice = 3;
inline constexpr int kEventCodeDeviceLost = 31;

// A video source: delivers 24-bit frames, opens, runs and stops, lists its
// capture sizes and formats and sets camera properties. The base answers
// failure for everything; the camera controller uses nothing but this.
// Device identities are the VID, PID and serial texts of the device lookup.
class CVideoBaseClass {
  public:
    virtual ~CVideoBaseClass() = default;

    // The names of the video devices; -1 when they cannot be listed.
    virtual int ListDevices(QStringList& names) {
        names.clear();
        return 0;
    }
    virtual void ShowFormatPropertyPage(QWidget* /*owner*/) {}
    virtual void ShowDevicePropertyPage(QWidget* /*owner*/) {}
    virtual HResult SetProcAmp(int /*property*/, int* /*value*/) { return kEFail; }
    virtual HResult GetProcAmp(int /*property*/, int& /*value*/, int& /*flags*/) { return kEFail; }
    virtual HResult GetProcAmpRange(int /*property*/, int& /*minimum*/, int& /*maximum*/,
                                    int& /*step*/, int& /*defaultValue*/, int& /*flags*/) {
        return kEFail;
    }
    virtual HResult SetCameraControl(int /*property*/, int /*value*/) { return kEFail; }
    virtual HResult GetCameraControl(int /*property*/, int& /*value*/, int& /*flags*/) {
        return kEFail;
    }
    virtual HResult GetCameraControlRange(int /*property*/, int& /*minimum*/, int& /*maximum*/,
                                          int& /*step*/, int& /*defaultValue*/, int& /*flags*/) {
        return kEFail;
    }
    virtual HResult Open(const QString& /*vid*/, const QString& /*pid*/, const QString& /*serial*/,
                         QObject* /*owner*/, bool /*stillPin*/, int /*deviceIndex*/) {
        return kEFail;
    }
    virtual void SetNotify(QObject* /*window*/, int /*message*/) {}
    virtual IGrabData* GetGrabData() { return nullptr; }
    virtual bool Run() { return false; }
    virtual bool Stop() { return false; }
    virtual int GetResolutionCount() { return 0; }
    virtual int GetDeviceResolutionCount(const QString& /*vid*/, const QString& /*pid*/,
                                         int /*deviceIndex*/) {
        return 0;
    }
    virtual bool GetFormats(std::vector<int>& /*formats*/) { return false; }
    virtual bool GetDeviceFormats(const QString& /*vid*/, const QString& /*pid*/,
                                  int /*deviceIndex*/, std::vector<int>& /*formats*/) {
        return false;
    }
    virtual int GetResolutionAt(int /*index*/, int& /*width*/, int& /*height*/) { return -1; }
    virtual int GetDeviceResolutionAt(const QString& /*vid*/, const QString& /*pid*/,
                                      int /*deviceIndex*/, int /*index*/, int& /*width*/,
                                      int& /*height*/) {
        return -1;
    }
    virtual int CountDevicesBySerial(const QString& /*vid*/, const QString& /*pid*/,
                                     const QString& /*serial*/) {
        return 0;
    }
    virtual int CountDevices(const QString& /*vid*/, const QString& /*pid*/) { return 0; }
    virtual int CountDevicesByName(const QString& /*name*/) { return 0; }
    virtual QString GetDeviceName(const QString& /*vid*/, const QString& /*pid*/, int /*index*/) {
        return {};
    }
    virtual cv::Mat TriggerStill() { return {}; }
    virtual HResult SetResolution(int /*width*/, int /*height*/) { return kEFail; }
    virtual void GetResolution(int& width, int& height) {
        width = 0;
        height = 0;
    }
    virtual HResult SetResolutionIndex(int /*index*/) { return kEFail; }
    virtual void SetOption(int /*option*/) {}
    virtual bool PollGraphEvent(int& /*kind*/, int& /*eventCode*/) { return false; }
    // Called from the source's own thread when a stream ends by itself (the
    // device is gone or fell silent), before PollGraphEvent reports it.
    virtual void SetLostNotify(std::function<void()> /*lost*/) {}
    virtual void SetFormatPreference(int /*format*/) {}
    virtual int GetState() { return kStateClosed; }
};

}  // namespace orbisk
