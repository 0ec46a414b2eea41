#include "video/usb_camera.h"

#include "platform/camera_controls.h"
#include "video/camera_pages.h"
#include "video/device_lookup.h"
#include "video/log_categories.h"

#include <cstdlib>

namespace orbisk {
namespace {

using platform::CaptureFormat;
using platform::ControlResult;
using platform::DeviceError;
using platform::kFourCcMjpg;
using platform::kFourCcYuyv;

std::vector<CaptureFormat> YuyvSizes(const std::vector<CaptureFormat>& formats) {
    std::vector<CaptureFormat> out;
    for (const auto& f : formats) {
        if (f.fourcc == kFourCcYuyv) out.push_back(f);
    }
    return out;
}

HResult ToHResult(ControlResult r) { return r == ControlResult::kOk ? kSOk : kEFail; }

HResult ToHResult(DeviceError e) {
    switch (e) {
        case DeviceError::kNone:
            return kSOk;
        case DeviceError::kNotFound:
            return kSNoDevice;
        case DeviceError::kNoAccess:
            return kEAccessDenied;
        case DeviceError::kBusy:
            return kEDeviceBusy;
        default:
            return kEFail;
    }
}

QString IdentityText(const QString& vid, const QString& pid, const QString& serial) {
    QString text = vid + QLatin1Char(':') + pid;
    if (!serial.isEmpty()) text += QStringLiteral(" \"%1\"").arg(serial);
    return text;
}

bool SameText(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

CUSBCamra::CUSBCamra() = default;

CUSBCamra::~CUSBCamra() { Teardown(); }

void CUSBCamra::Teardown() {
    if (device_) {
        // The stream ends before the grab filter it feeds goes away.
        device_->Stop();
        device_->UnwatchButton();
    }
    device_.reset();
    grab_.reset();
    deviceIndex_ = 0;
    built_ = false;
    state_ = kStateClosed;
    vid_.clear();
    pid_.clear();
    lost_ = false;
    lostReported_ = false;
}

HResult CUSBCamra::RangeOf(RangeGetter get, int property, int& minimum, int& maximum, int& step,
                           int& defaultValue, int& flags) {
    if (!device_) return kEPointer;
    platform::PropertyRange r;
    platform::CameraControls controls(*device_);
    const ControlResult result = (controls.*get)(property, r);
    if (result == ControlResult::kOk) {
        minimum = r.minimum;
        maximum = r.maximum;
        step = r.step;
        defaultValue = r.defaultValue;
        flags = r.flags;
    }
    return ToHResult(result);
}

int CUSBCamra::ListDevices(QStringList& names) {
    names.clear();
    if (!VideoDeviceNames(names)) return -1;
    return static_cast<int>(names.size());
}

void CUSBCamra::ShowFormatPropertyPage(QWidget* owner) {
    if (!built_ || !device_) return;
    // Stopped, not reopened: the preview keeps the grab filter it holds.
    ICameraPages* pages = InstalledCameraPages();
    if (pages == nullptr) return;
    Stop();
    CaptureFormat chosen;
    if (pages->ChooseFormat(owner, device_->Formats(), chosen_, chosen)) ApplyFormat(chosen);
    Run();
}

HResult CUSBCamra::ApplyFormat(const CaptureFormat& format) {
    if (!built_ || !device_) return kEFail;
    if (format == chosen_) return kSOk;
    const bool running = state_ == kStateRunning;
    if (running) Stop();
    const HResult result = Negotiate(format);
    if (result == kSOk) {
        askedWidth_ = askedHeight_ = -1;
        const auto sizes = YuyvSizes(device_->Formats());
        for (int i = 0; i < static_cast<int>(sizes.size()); ++i) {
            if (sizes[i].width == chosen_.width && sizes[i].height == chosen_.height) {
                sizeIndex_ = i;
            }
        }
    }
    if (running) Run();
    return result;
}

HResult CUSBCamra::Negotiate(const CaptureFormat& format) {
    CaptureFormat applied;
    const DeviceError error = device_->SetFormat(format, applied);
    if (error != DeviceError::kNone) {
        // The device logged the reason.
        return error == DeviceError::kNotFound ? kEFail : ToHResult(error);
    }
    chosen_ = applied;
    // What the driver set, not what was asked for.
    requestedWidth_ = applied.width;
    requestedHeight_ = applied.height;
    return kSOk;
}

void CUSBCamra::ShowDevicePropertyPage(QWidget* owner) {
    ICameraPages* pages = InstalledCameraPages();
    if (!device_ || pages == nullptr) return;
    pages->EditControls(owner, *device_);
    Run();
}

HResult CUSBCamra::SetProcAmp(int property, int* value) {
    if (!device_) return kEPointer;
    if (value == nullptr) return kEPointer;
    return ToHResult(platform::CameraControls(*device_).SetProcAmp(property, *value));
}

HResult CUSBCamra::GetProcAmp(int property, int& value, int& flags) {
    if (!device_) return kEPointer;
    return ToHResult(platform::CameraControls(*device_).GetProcAmp(property, value, flags));
}

HResult CUSBCamra::GetProcAmpRange(int property, int& minimum, int& maximum, int& step,
                                   int& defaultValue, int& flags) {
    return RangeOf(&platform::CameraControls::GetProcAmpRange, property, minimum, maximum, step,
                   defaultValue, flags);
}

HResult CUSBCamra::SetCameraControl(int property, int value) {
    if (!device_) return kEPointer;
    return ToHResult(platform::CameraControls(*device_).SetCameraControl(property, value));
}

HResult CUSBCamra::GetCameraControl(int property, int& value, int& flags) {
    if (!device_) return kEPointer;
    return ToHResult(platform::CameraControls(*device_).GetCameraControl(property, value, flags));
}

HResult CUSBCamra::GetCameraControlRange(int property, int& minimum, int& maximum, int& step,
                                         int& defaultValue, int& flags) {
    return RangeOf(&platform::CameraControls::GetCameraControlRange, property, minimum, maximum,
                   step, defaultValue, flags);
}

HResult CUSBCamra::Open(const QString& vid, const QString& pid, const QString& serial,
                        QObject* owner, bool stillPin, int deviceIndex) {
    if (serial.isEmpty() && (vid.isEmpty() || pid.isEmpty())) {
        return kEPointer;
    }
    Teardown();
    vid_ = vid;
    pid_ = pid;
    owner_ = owner;
    deviceIndex_ = deviceIndex;

    platform::VideoDeviceInfo info;
    bool found;
    if (serial.isEmpty()) {
        found = FindDeviceByVidPid(vid, pid, info, 0);
    } else if (!vid.isEmpty() && !pid.isEmpty()) {
        found = FindDeviceBySerial(info, vid, pid, serial);
    } else {
        found = FindDeviceByName(serial, info);
    }
    if (!found) {
        qCInfo(lcVideo, "camera %s: no device fits",
               qUtf8Printable(IdentityText(vid, pid, serial)));
        Teardown();
        return kSNoDevice;
    }
    DeviceError error = DeviceError::kNone;
    device_ = platform::OpenCaptureDevice(info, &error);
    if (!device_) {
        // The device layer logged which node and why.
        Teardown();
        return ToHResult(error);
    }

    // The size: the one nearest in area to the requested size among the
    // YUYV sizes, or the kept size index when no size is requested.
    const std::vector<CaptureFormat> formats = device_->Formats();
    const std::vector<CaptureFormat> sizes = YuyvSizes(formats);
    const int count = static_cast<int>(sizes.size());
    if (requestedWidth_ < 0 && requestedHeight_ < 0) {
        if (sizeIndex_ < 0 || sizeIndex_ >= count) sizeIndex_ = 0;
    } else {
        const long long wanted = static_cast<long long>(requestedWidth_) * requestedHeight_;
        long long best = 100000000;
        for (int i = 0; i < count; ++i) {
            const long long diff =
                std::llabs(static_cast<long long>(sizes[i].width) * sizes[i].height - wanted);
            if (diff < best) {
                best = diff;
                sizeIndex_ = i;
            }
        }
    }
    if (sizeIndex_ >= 0 && sizeIndex_ < count) {
        requestedWidth_ = sizes[sizeIndex_].width;
        requestedHeight_ = sizes[sizeIndex_].height;
    }

    // The format: the preferred one at exactly that size, else YUYV at it
    // (what the device streams when no format is set), else the device's
    // first format.
    const uint32_t preferred = formatPreference_ == kFormatMjpg ? kFourCcMjpg : kFourCcYuyv;
    chosen_ = {};
    for (uint32_t fourcc : {preferred, kFourCcYuyv}) {
        for (const auto& f : formats) {
            if (f.fourcc == fourcc && f.width == requestedWidth_ && f.height == requestedHeight_) {
                chosen_ = f;
                break;
            }
        }
        if (chosen_.fourcc != 0) break;
    }
    if (chosen_.fourcc == 0 && !formats.empty()) {
        chosen_ = formats.front();
    }
    // The driver may adjust the size, and a camera busy in another program
    // refuses here rather than at Run.
    if (chosen_.fourcc != 0) {
        const HResult negotiated = Negotiate(chosen_);
        if (negotiated != kSOk) {
            qCWarning(lcVideo, "camera %s can't be opened: %s",
                      qUtf8Printable(IdentityText(vid, pid, serial)),
                      negotiated == kEDeviceBusy ? "busy in another program"
                                                 : "the device refused its format");
            Teardown();
            return negotiated;
        }
    }

    grab_ = std::make_unique<CGrabDataFilter>();
    grab_->SetNotify(notifyWindow_, notifyMessage_);
    built_ = true;
    state_ = kStateStopped;
    stillPin_ = stillPin;
    if (stillPin) {
        still_.SetTarget(owner);
        // A button that can't be read leaves the camera running without it.
        device_->WatchButton([this] { still_.SampleCB(); });
    }
    return kSOk;
}

void CUSBCamra::SetNotify(QObject* window, int message) {
    notifyWindow_ = window;
    notifyMessage_ = message;
    if (grab_) grab_->SetNotify(window, message);
}

bool CUSBCamra::Run() {
    if (!built_ || !device_ || chosen_.fourcc == 0) return false;
    // A stream that ended by itself (the device was lost) is started anew.
    if (state_ == kStateRunning && device_->IsStreaming()) return true;
    CGrabDataFilter* grab = grab_.get();
    lost_ = false;
    lostReported_ = false;
    if (!device_->Start(
            chosen_, [grab](const platform::FrameSample& s) { grab->Receive(s); },
            [this] {
                lost_ = true;
                std::lock_guard lock(lostNotifyLock_);
                if (lostNotify_) lostNotify_();
            })) {
        return false;
    }
    state_ = kStateRunning;
    return true;
}

bool CUSBCamra::Stop() {
    if (!built_ || !device_) return false;
    device_->Stop();
    state_ = kStateStopped;
    return true;
}

int CUSBCamra::BindForQuery(const QString& vid, const QString& pid, int deviceIndex) {
    const bool same = deviceIndex == deviceIndex_ && SameText(vid, vid_) && SameText(pid, pid_);
    // While a camera is built, a query for another device must not take it
    // from under the preview.
    if (built_ && !same) return -1;
    if (device_ && !same) Teardown();
    if (device_) return 0;
    vid_ = vid;
    pid_ = pid;
    deviceIndex_ = deviceIndex;
    platform::VideoDeviceInfo info;
    if (!FindDeviceByVidPid(vid, pid, info, deviceIndex)) {
        Teardown();
        return -3;
    }
    device_ = platform::OpenCaptureDevice(info);
    if (!device_) {
        Teardown();
        return -2;
    }
    return 0;
}

int CUSBCamra::GetResolutionCount() {
    if (!device_) return -1;
    return GetDeviceResolutionCount(vid_, pid_, deviceIndex_);
}

int CUSBCamra::GetDeviceResolutionCount(const QString& vid, const QString& pid, int deviceIndex) {
    const int bound = BindForQuery(vid, pid, deviceIndex);
    if (bound != 0) return bound;
    return static_cast<int>(YuyvSizes(device_->Formats()).size());
}

bool CUSBCamra::GetFormats(std::vector<int>& formats) {
    if (!device_) {
        formats.clear();
        return false;
    }
    return GetDeviceFormats(vid_, pid_, deviceIndex_, formats);
}

bool CUSBCamra::GetDeviceFormats(const QString& vid, const QString& pid, int deviceIndex,
                                 std::vector<int>& formats) {
    formats.clear();
    if (BindForQuery(vid, pid, deviceIndex) != 0) return false;
    const auto all = device_->Formats();
    const auto has = [&](uint32_t fourcc) {
        for (const auto& f : all) {
            if (f.fourcc == fourcc) return true;
        }
        return false;
    };
    if (has(kFourCcYuyv)) formats.push_back(kFormatYuy2);
    if (has(kFourCcMjpg)) formats.push_back(kFormatMjpg);
    return true;
}

int CUSBCamra::GetResolutionAt(int index, int& width, int& height) {
    if (!device_) return -1;
    return GetDeviceResolutionAt(vid_, pid_, deviceIndex_, index, width, height);
}

int CUSBCamra::GetDeviceResolutionAt(const QString& vid, const QString& pid, int deviceIndex,
                                     int index, int& width, int& height) {
    const int bound = BindForQuery(vid, pid, deviceIndex);
    if (bound != 0) return bound;
    const auto all = device_->Formats();
    if (all.empty()) return -4;
    if (index >= static_cast<int>(all.size())) return -5;
    const auto sizes = YuyvSizes(all);
    if (index < 0 || index >= static_cast<int>(sizes.size())) return -6;
    width = sizes[index].width;
    height = sizes[index].height;
    return 0;
}

int CUSBCamra::CountDevicesBySerial(const QString& vid, const QString& pid, const QString& serial) {
    return CountVideoDevicesBySerial(vid, pid, serial);
}

int CUSBCamra::CountDevices(const QString& vid, const QString& pid) {
    return CountVideoDevices(vid, pid);
}

int CUSBCamra::CountDevicesByName(const QString& name) { return CountVideoDevicesByName(name); }

QString CUSBCamra::GetDeviceName(const QString& vid, const QString& pid, int index) {
    return VideoDeviceName(vid, pid, index);
}

HResult CUSBCamra::Reopen() {
    if (device_ && grab_ && !vid_.isEmpty() && !pid_.isEmpty()) {
        const QString vid = vid_, pid = pid_;
        return Open(vid, pid, QString(), owner_, stillPin_, deviceIndex_);
    }
    return kSOk;
}

HResult CUSBCamra::SetResolution(int width, int height) {
    // The size in use, or the one asked for that the driver set otherwise:
    // a reopen would only replace the grab filter for the same stream.
    if ((width == requestedWidth_ && height == requestedHeight_) ||
        (built_ && width == askedWidth_ && height == askedHeight_)) {
        return kSOk;
    }
    askedWidth_ = width;
    askedHeight_ = height;
    requestedWidth_ = width;
    requestedHeight_ = height;
    return Reopen();
}

void CUSBCamra::GetResolution(int& width, int& height) {
    width = requestedWidth_;
    height = requestedHeight_;
}

HResult CUSBCamra::SetResolutionIndex(int index) {
    if (index == sizeIndex_) return kSOk;
    sizeIndex_ = index;
    askedWidth_ = askedHeight_ = -1;
    requestedWidth_ = -1;
    requestedHeight_ = -1;
    return Reopen();
}

void CUSBCamra::SetLostNotify(std::function<void()> lost) {
    std::lock_guard lock(lostNotifyLock_);
    lostNotify_ = std::move(lost);
}

bool CUSBCamra::PollGraphEvent(int& kind, int& eventCode) {
    if (!device_) return false;
    // A stream that ended by itself lost its device, also in the moment
    // before the capture thread's report arrives.
    const bool lost = lost_.exchange(false) || (state_ == kStateRunning && !device_->IsStreaming());
    if (lost && !lostReported_) {
        lostReported_ = true;
        kind = kEventDeviceLost;
        eventCode = kEventCodeDeviceLost;
    } else {
        kind = kEventNone;
        eventCode = 0;
    }
    return true;
}

}  // namespace orbisk
