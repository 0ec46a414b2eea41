// The program's cameras behind the main window's camera port: the camera
// controller of the video layer.

#include "app/main_dlg/camera_port.h"
#include "video/camera_controller.h"
#include "video/dialogs/camera_property_dialog.h"
#include "video/dialogs/recording_camera.h"

#include <QCoreApplication>

#include <climits>

namespace orbisk {
namespace {

class ControllerCamera : public CameraPort {
  public:
    ControllerCamera(bool threadedDisplay, int sourceKind)
        : controller_(threadedDisplay ? 1 : 0, sourceKind), sourceKind_(sourceKind) {}

    int CountDevices(const QString& vid, const QString& pid) override {
        return controller_.CountDevices(vid, pid);
    }
    QSize LargestFrameSize(const QString& vid, const QString& pid) override {
        std::unique_ptr<CVideoBaseClass> probe = CreateVideoSource(sourceKind_);
        QSize largest;
        if (!probe) return largest;
        const int count = probe->GetDeviceResolutionCount(vid, pid, 0);
        for (int i = 0; i < count; ++i) {
            int width = 0, height = 0;
            if (probe->GetDeviceResolutionAt(vid, pid, 0, i, width, height) >= 0 &&
                qint64(width) * height > qint64(largest.width()) * largest.height()) {
                largest = QSize(width, height);
            }
        }
        return largest;
    }
    int SetResolution(int width, int height) override {
        return controller_.SetResolution(width, height);
    }
    void SetFormatPreference(int format) override { controller_.SetFormatPreference(format); }
    int Open(QWidget* parent, const QString& vid, const QString& pid, const IntRect& r,
             bool stillPin, int deviceIndex) override {
        return controller_.Open(parent, vid, pid, QString(), r.left, r.top, r.right, r.bottom,
                                stillPin, deviceIndex);
    }
    bool GetFormats(std::vector<int>& formats) override { return controller_.GetFormats(formats); }
    bool Run() override { return controller_.Run(); }
    bool Stop() override { return controller_.Stop(); }
    bool ShowPreview(bool visible) override { return controller_.ShowPreview(visible); }
    bool SetCropMargins(int left, int top, int right, int bottom) override {
        return controller_.SetCropMargins(left, top, right, bottom);
    }
    int GetCameraControlRange(int property, platform::PropertyRange& r) override {
        return controller_.GetCameraControlRange(property, r.minimum, r.maximum, r.step,
                                                 r.defaultValue, r.flags);
    }
    int GetCameraControl(int property, int& value, int& flags) override {
        return controller_.GetCameraControl(property, value, flags);
    }
    int SetCameraControl(int property, int value) override {
        return controller_.SetCameraControl(property, value);
    }
    void ShowDevicePropertyPage(QWidget* owner) override {
        controller_.ShowDevicePropertyPage(owner);
    }
    void ShowFormatPropertyPage(QWidget* owner) override {
        controller_.ShowFormatPropertyPage(owner);
    }
    bool IsAutoDetectOn() const override { return controller_.IsAutoDetectOn(); }
    void SetRotation(int degrees) override { controller_.SetRotation(degrees); }
    void SetAutoDetect(bool on, int several, float threshold) override {
        controller_.SetAutoDetect(on, several, threshold);
    }
    void EnableCustomCropBox(bool on) override { controller_.EnableCustomCropBox(on); }
    bool GetCustomCropRect(IntRect& rect) override { return controller_.GetCustomCropRect(rect); }
    bool SetCustomCropRect(const IntRect& r, bool keepAspect) override {
        return controller_.SetCustomCropRect(r.left, r.top, r.right, r.bottom, keepAspect);
    }
    void SetPreviewRect(const IntRect& r) override {
        controller_.SetPreviewRect(r.left, r.top, r.right, r.bottom);
    }
    void MovePreview() override { controller_.MovePreview(); }
    void GetResolution(int& width, int& height) override {
        controller_.GetResolution(width, height);
    }
    cv::Mat GetFrame() override { return controller_.GetFrame(); }
    std::vector<cv::Mat> GetCroppedImages() override { return controller_.GetCroppedImages(); }
    std::unique_ptr<IRecordingCamera> Recorder() override {
        return std::make_unique<ControllerRecordingCamera>(&controller_);
    }

    void SetLostHandler(std::function<void()> lost) override {
        if (!lost) {
            controller_.SetLostNotify(nullptr);
            return;
        }
        // The stream's thread tells the UI thread, which asks the source for
        // its report; a camera deleted meanwhile hears nothing.
        std::weak_ptr<bool> alive = alive_;
        controller_.SetLostNotify([this, alive, lost = std::move(lost)] {
            QMetaObject::invokeMethod(
                qApp,
                [this, alive, lost] {
                    if (!alive.lock()) return;
                    int kind = kEventNone, code = 0;
                    if (controller_.PollGraphEvent(kind, code) && kind == kEventDeviceLost) lost();
                },
                Qt::QueuedConnection);
        });
    }

  private:
    CCameraController controller_;
    int sourceKind_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace

int AutomaticValue(int minimum, int maximum) {
    return maximum < INT_MAX ? maximum + 1 : (minimum > INT_MIN ? minimum - 1 : maximum);
}

CameraFactory ControllerCameraFactory() {
    // The program's cameras show their property pages as our dialogs.
    static CameraPropertyPages pages;
    InstallCameraPages(&pages);
    return [](bool threadedDisplay, int sourceKind) -> std::unique_ptr<CameraPort> {
        return std::make_unique<ControllerCamera>(threadedDisplay, sourceKind);
    };
}

}  // namespace orbisk
