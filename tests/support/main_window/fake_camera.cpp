#include "tests/support/main_window/fake_camera.h"

#include "tests/support/temp_dir.h"
#include "video/dialogs/recording_camera.h"

namespace orbisk::test {
namespace {

class FakeRecorder : public IRecordingCamera {
  public:
    FakeRecorder(FakeCameras& shared, int number) : s_(shared), n_(number) {}
    int StartRecording(const QString& path, int, int, int, int) override {
        s_.log.append(QStringLiteral("%1:StartRecording %2").arg(n_).arg(path));
        if (s_.recordResult >= 0) WriteBytes(path, s_.recordedBytes);
        return s_.recordResult;
    }
    int StopRecording() override {
        s_.log.append(QStringLiteral("%1:StopRecording").arg(n_));
        return 0;
    }
    int RecordingStatus() override { return 0; }

  private:
    FakeCameras& s_;
    int n_;
};

class FakeCamera : public CameraPort {
  public:
    FakeCamera(FakeCameras& shared, int number) : s_(shared), n_(number) { s_.alive[n_] = this; }
    ~FakeCamera() override {
        s_.alive.erase(n_);
        s_.lostHandlers.erase(n_);
        if (s_.onDestroyed) s_.onDestroyed(n_);
    }

    int CountDevices(const QString& vid, const QString& pid) override {
        const auto it = s_.devices.find(vid + ':' + pid);
        return it == s_.devices.end() ? 0 : it->second;
    }
    QSize LargestFrameSize(const QString&, const QString&) override { return s_.largestFrame; }
    int SetResolution(int width, int height) override {
        Log(QStringLiteral("SetResolution %1x%2").arg(width).arg(height));
        return 0;
    }
    void SetFormatPreference(int format) override { Log(QStringLiteral("Format %1").arg(format)); }
    int Open(QWidget* parent, const QString& vid, const QString& pid, const IntRect&, bool,
             int deviceIndex) override {
        Log(QStringLiteral("Open %1:%2 %3").arg(vid, pid).arg(deviceIndex));
        window_ = parent;
        const auto it = s_.openResultOf.find(n_);
        return it != s_.openResultOf.end() ? it->second : s_.openResult;
    }
    bool GetFormats(std::vector<int>& formats) override {
        formats = {kFormatYuy2, kFormatMjpg};
        return true;
    }
    bool Run() override {
        Log(QStringLiteral("Run"));
        if (s_.onRun) s_.onRun(window_);
        const auto it = s_.runResultOf.find(n_);
        return it != s_.runResultOf.end() ? it->second : s_.runResult;
    }
    bool Stop() override {
        Log(QStringLiteral("Stop"));
        return true;
    }
    bool ShowPreview(bool visible) override {
        Log(QStringLiteral("ShowPreview %1").arg(visible));
        return true;
    }
    bool SetCropMargins(int l, int t, int r, int b) override {
        Log(QStringLiteral("Margins %1 %2 %3 %4").arg(l).arg(t).arg(r).arg(b));
        return true;
    }
    int GetCameraControlRange(int property, platform::PropertyRange& range) override {
        const auto it = s_.controls.find(property);
        if (it == s_.controls.end()) return -1;
        if (it->second.rangeResult == 0) range = it->second.range;
        return it->second.rangeResult;
    }
    int GetCameraControl(int property, int& value, int& flags) override {
        const auto it = s_.controls.find(property);
        if (it == s_.controls.end()) return -1;
        if (it->second.readResult != 0) return it->second.readResult;
        value = it->second.value;
        flags = it->second.flags;
        return 0;
    }
    int SetCameraControl(int property, int value) override {
        Log(QStringLiteral("Control %1 %2").arg(property).arg(value));
        const auto it = s_.controls.find(property);
        if (it == s_.controls.end()) return -1;
        FakeCameras::Control& c = it->second;
        if (value < c.range.minimum || value > c.range.maximum) {
            c.flags = platform::kPropertyAuto;
        } else {
            c.value = value;
            c.flags = platform::kPropertyManual;
        }
        return 0;
    }
    void ShowDevicePropertyPage(QWidget*) override { Log(QStringLiteral("DevicePage")); }
    void ShowFormatPropertyPage(QWidget*) override { Log(QStringLiteral("FormatPage")); }
    bool IsAutoDetectOn() const override { return autoDetect_; }
    void SetRotation(int degrees) override { Log(QStringLiteral("Rotation %1").arg(degrees)); }
    void SetAutoDetect(bool on, int several, float threshold) override {
        Log(QStringLiteral("AutoDetect %1 %2 %3").arg(on).arg(several).arg(threshold));
        autoDetect_ = on;
    }
    void EnableCustomCropBox(bool on) override { Log(QStringLiteral("CropBox %1").arg(on)); }
    bool GetCustomCropRect(IntRect& rect) override {
        if (!s_.customRect) return false;
        rect = *s_.customRect;
        return true;
    }
    bool SetCustomCropRect(const IntRect& r, bool) override {
        Log(QStringLiteral("CropRect %1 %2 %3 %4")
                .arg(r.left)
                .arg(r.top)
                .arg(r.right)
                .arg(r.bottom));
        return true;
    }
    void SetPreviewRect(const IntRect& r) override {
        Log(QStringLiteral("PreviewRect %1 %2 %3 %4")
                .arg(r.left)
                .arg(r.top)
                .arg(r.right)
                .arg(r.bottom));
    }
    void MovePreview() override { Log(QStringLiteral("MovePreview")); }
    void GetResolution(int& width, int& height) override {
        width = s_.resolution.width();
        height = s_.resolution.height();
    }
    cv::Mat GetFrame() override { return s_.frame ? s_.frame() : cv::Mat(); }
    std::vector<cv::Mat> GetCroppedImages() override {
        Log(QStringLiteral("GetCroppedImages"));
        if (s_.onGrab) s_.onGrab();
        std::vector<cv::Mat> copies;
        for (const cv::Mat& m : s_.cutOuts) copies.push_back(m.clone());
        return copies;
    }
    std::unique_ptr<IRecordingCamera> Recorder() override {
        return std::make_unique<FakeRecorder>(s_, n_);
    }

    void SetLostHandler(std::function<void()> lost) override {
        if (lost) {
            s_.lostHandlers[n_] = std::move(lost);
        } else {
            s_.lostHandlers.erase(n_);
        }
    }

  private:
    void Log(const QString& call) { s_.log.append(QStringLiteral("%1:%2").arg(n_).arg(call)); }
    FakeCameras& s_;
    int n_;
    QWidget* window_ = nullptr;
    bool autoDetect_ = false;
};

}  // namespace

CameraFactory FakeCameras::Factory() {
    return [this](bool, int) { return std::make_unique<FakeCamera>(*this, made++); };
}

void FakeCameras::Lose(int number) {
    const auto it = lostHandlers.find(number);
    if (it != lostHandlers.end()) {
        const std::function<void()> lost = it->second;
        lost();
    }
}

QStringList FakeCameras::CallsOf(int camera) const {
    QStringList calls;
    const QString prefix = QStringLiteral("%1:").arg(camera);
    for (const QString& line : log) {
        if (line.startsWith(prefix)) calls.append(line.mid(prefix.size()));
    }
    return calls;
}

}  // namespace orbisk::test
