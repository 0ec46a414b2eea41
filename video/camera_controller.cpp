#include "video/camera_controller.h"

#include "imaging/detection_params.h"
#include "platform/window_messages.h"
#include "video/asf_recorder.h"
#include "video/frame_processing.h"
#include "video/show_video_impl.h"
#include "video/show_video_thread.h"
#include "video/tcp_remote_data.h"
#include "video/usb_camera.h"

#include <mutex>

namespace orbisk {
namespace {

std::unique_ptr<IShowHWnd> MakePreview(bool threaded) {
    if (threaded) {
        return std::make_unique<CShowVideoThread>();
    }
    return std::make_unique<CShowVideoImpl>();
}

std::unique_ptr<IVideoRecorder> MakeRecorder() { return std::make_unique<CVideoRecorder>(); }

}  // namespace

std::unique_ptr<CVideoBaseClass> CreateVideoSource(int sourceKind) {
    if (sourceKind == 0) {
        return std::make_unique<CUSBCamra>();
    }
    return std::make_unique<CTcpRemoteData>();
}

CCameraController::CCameraController(int threadedDisplay, int sourceKind)
    : CCameraController(threadedDisplay, sourceKind, Factories{}) {}

CCameraController::CCameraController(int threadedDisplay, int sourceKind, Factories factories)
    : threadedDisplay_(threadedDisplay), sourceKind_(sourceKind), factories_(std::move(factories)) {
    if (!factories_.source) {
        factories_.source = CreateVideoSource;
    }
    if (!factories_.preview) {
        factories_.preview = MakePreview;
    }
    if (!factories_.recorder) {
        factories_.recorder = MakeRecorder;
    }
}

CCameraController::~CCameraController() {
    StopRecording();
    if (preview_) {
        preview_->RemoveSubImageBox();
    }
    if (source_) {
        source_->Stop();
        source_->SetNotify(nullptr, 0);
        if (preview_) {
            preview_->SetPrimaryFrameSource(nullptr);
        }
        source_.reset();
    }
    DeletePreview();
}

void CCameraController::EnsureSource() {
    if (!source_) {
        source_ = factories_.source(sourceKind_);
        if (source_ && lostNotify_) source_->SetLostNotify(lostNotify_);
    }
}

void CCameraController::SetLostNotify(std::function<void()> lost) {
    lostNotify_ = std::move(lost);
    if (source_) source_->SetLostNotify(lostNotify_);
}

bool CCameraController::PollGraphEvent(int& kind, int& eventCode) {
    kind = kEventNone;
    eventCode = 0;
    return source_ && source_->PollGraphEvent(kind, eventCode);
}

void CCameraController::DeletePreview() {
    std::unique_ptr<IShowHWnd> old;
    {
        std::unique_lock guard(previewGuard_);
        old = std::move(preview_);
    }
    // No reader holds it any more.
    old.reset();
}

void CCameraController::AttachGrabData() {
    if (preview_) {
        preview_->SetPrimaryFrameSource(source_ ? source_->GetGrabData() : nullptr);
    }
}

int CCameraController::CountDevices(const QString& vid, const QString& pid) {
    std::unique_ptr<CVideoBaseClass> probe = factories_.source(sourceKind_);
    return probe ? probe->CountDevices(vid, pid) : 0;
}

int CCameraController::Open(QWidget* parent, const QString& vid, const QString& pid,
                            const QString& serial, int left, int top, int right, int bottom,
                            bool stillPin, int deviceIndex) {
    StopRecording();
    EnsureSource();
    if (!source_) {
        return kEFail;
    }
    if (preview_) {
        source_->Stop();
        preview_->SetPrimaryFrameSource(nullptr);
    }
    const int result = source_->Open(vid, pid, serial, WindowObject(parent), stillPin, deviceIndex);
    if (result < 0) {
        source_.reset();
        return result;
    }
    source_->SetNotify(nullptr, 0);
    rect_ = {left, top, right, bottom};
    parent_ = parent;
    DeletePreview();
    // A new preview starts without detection.
    autoDetect_ = false;
    std::unique_ptr<IShowHWnd> preview = factories_.preview(threadedDisplay_ != 0);
    if (!preview || !preview->Create(parent, left, top, right, bottom)) {
        return kEFail;
    }
    {
        std::unique_lock guard(previewGuard_);
        preview_ = std::move(preview);
    }
    AttachGrabData();
    source_->SetNotify(preview_->GetHWnd(), platform::WM_FRAME_READY);
    return result;
}

void CCameraController::SetPreviewRect(int left, int top, int right, int bottom) {
    rect_ = {left, top, right, bottom};
}

void CCameraController::MovePreview() {
    if (preview_) {
        preview_->MoveWindow(rect_.left, rect_.top, rect_.right, rect_.bottom);
    }
}

bool CCameraController::ShowPreview(bool visible) {
    return preview_ ? preview_->Show(visible) : false;
}

bool CCameraController::Run() { return source_ ? source_->Run() : false; }

bool CCameraController::Stop() { return source_ ? source_->Stop() : false; }

int CCameraController::SetResolution(int width, int height) {
    EnsureSource();
    if (!source_) {
        return kEFail;
    }
    // The source may rebuild its grab filter meanwhile.
    if (preview_) {
        preview_->SetPrimaryFrameSource(nullptr);
    }
    const int result = source_->SetResolution(width, height);
    AttachGrabData();
    return result;
}

void CCameraController::GetResolution(int& width, int& height) {
    EnsureSource();
    if (source_) {
        source_->GetResolution(width, height);
    }
}

bool CCameraController::GetFormats(std::vector<int>& formats) {
    EnsureSource();
    return source_ ? source_->GetFormats(formats) : false;
}

void CCameraController::SetFormatPreference(int format) {
    EnsureSource();
    if (source_) {
        source_->SetFormatPreference(format);
    }
}

int CCameraController::SetCameraControl(int property, int value) {
    return source_ ? source_->SetCameraControl(property, value) : kEPointer;
}

int CCameraController::GetCameraControl(int property, int& value, int& flags) {
    return source_ ? source_->GetCameraControl(property, value, flags) : kEPointer;
}

int CCameraController::GetCameraControlRange(int property, int& minimum, int& maximum, int& step,
                                             int& defaultValue, int& flags) {
    return source_ ? source_->GetCameraControlRange(property, minimum, maximum, step, defaultValue,
                                                    flags)
                   : kEPointer;
}

void CCameraController::ShowFormatPropertyPage(QWidget* owner) {
    if (!source_) {
        return;
    }
    // The dialog may reopen the camera at another format: the preview lets go
    // of the frame source meanwhile and takes the one there is afterwards.
    if (preview_) {
        preview_->SetPrimaryFrameSource(nullptr);
    }
    source_->ShowFormatPropertyPage(owner);
    AttachGrabData();
}

void CCameraController::ShowDevicePropertyPage(QWidget* owner) {
    if (source_) {
        source_->ShowDevicePropertyPage(owner);
    }
}

void CCameraController::SetRotation(int degrees) {
    const int turn = NormaliseQuarterTurn(degrees);
    if (turn >= 0 && preview_) {
        preview_->SetRotation(turn);
    }
}

bool CCameraController::SetCropMargins(int left, int top, int right, int bottom) {
    if (left < 0 || top < 0 || right < 0 || bottom < 0 || !preview_) {
        return false;
    }
    preview_->SetMargins(left, top, right, bottom);
    return true;
}

void CCameraController::SetAutoDetect(bool on, int several, float threshold) {
    if (preview_) {
        if (on) {
            preview_->SetAutoDetect(true, several != 0, threshold);
            preview_->EnableCustomCropBox(false);
        } else {
            preview_->SetAutoDetect(false, false, threshold);
        }
    }
    autoDetect_ = on;
}

void CCameraController::EnableCustomCropBox(bool on) {
    if (!preview_) {
        return;
    }
    if (on) {
        autoDetect_ = false;
        preview_->SetAutoDetect(false, false, kPageDetection.minAreaRatio);
        preview_->EnableCustomCropBox(true);
    } else {
        preview_->EnableCustomCropBox(false);
    }
}

bool CCameraController::GetCustomCropRect(IntRect& rect) {
    rect = {};
    return preview_ ? preview_->GetCustomCropRect(rect) : false;
}

bool CCameraController::SetCustomCropRect(int left, int top, int right, int bottom,
                                          bool keepAspect) {
    return preview_ ? preview_->SetCustomCropRect(left, top, right, bottom, keepAspect) : false;
}

cv::Mat CCameraController::GetFrame() {
    std::shared_lock guard(previewGuard_);
    cv::Mat frame;
    if (preview_) {
        preview_->GetFrame(frame);
    }
    return frame;
}

std::vector<cv::Mat> CCameraController::GetCroppedImages() {
    std::shared_lock guard(previewGuard_);
    std::vector<cv::Mat> images;
    if (preview_) {
        preview_->GetCroppedImages(images);
    }
    return images;
}

int CCameraController::StartRecording(const QString& path, int width, int height,
                                      int framesPerSecond, int bitRate) {
    if (!preview_) {
        return kEPointer;
    }
    if (recorder_) {
        if (recorder_->IsBuilt()) {
            recorder_->Stop();
        }
        recorder_.reset();
    }
    std::unique_ptr<IVideoRecorder> recorder = factories_.recorder();
    if (!recorder) {
        return kEFail;
    }
    preview_->SetBurnIn(true);
    const int result =
        recorder->Start(preview_.get(), path, width, height, framesPerSecond, bitRate);
    if (result < 0) {
        // Nothing half-built stays behind, and the preview stops compositing.
        preview_->SetBurnIn(false);
        recorder->Stop();
        return result;
    }
    recorder_ = std::move(recorder);
    return result;
}

int CCameraController::StopRecording() {
    if (!recorder_) {
        return kEPointer;
    }
    if (preview_) {
        preview_->SetBurnIn(false);
    }
    const int result = recorder_->Stop();
    if (recorder_->IsBuilt()) {
        recorder_->Stop();
    }
    recorder_.reset();
    return result;
}

int CCameraController::RecordingStatus() const {
    return recorder_ ? recorder_->Status() : kEPointer;
}

}  // namespace orbisk
