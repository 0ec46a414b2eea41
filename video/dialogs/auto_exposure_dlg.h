#pragma once

#include <QDialog>
#include <opencv2/core/mat.hpp>

#include <chrono>
#include <functional>
#include <memory>

class QProgressBar;

namespace orbisk {

class CCameraController;

// What the calibration asks of a camera: the exposure control in the camera
// layer's units (log2 of seconds, one unit a doubling) and the shown frame.
class IAutoExposureCamera {
  public:
    virtual ~IAutoExposureCamera() = default;
    // 0 when answered.
    virtual int GetExposureRange(int& minimum, int& maximum) = 0;
    virtual int GetExposure(int& value) = 0;
    virtual int SetExposure(int value) = 0;
    // Empty while there is none.
    virtual cv::Mat GetFrame() = 0;
};

// A camera controller as that camera.
std::shared_ptr<IAutoExposureCamera> ControllerExposureCamera(CCameraController& controller);

// The calibration's waits: before it starts, after each step, after the best.
struct AutoExposureTiming {
    std::chrono::milliseconds start{500};
    std::chrono::milliseconds settle{3000};
    std::chrono::milliseconds final{1000};
};

// Tries every exposure step up, then down, from the current one, waits for
// the picture to settle after each, and keeps the step whose foreground
// brightness comes closest to 190. The waits are timers: the window stays
// alive meanwhile, and a camera that goes (its owner drops the shared
// pointer) ends the dialog at the next step.
class CAutoExposureDlg : public QDialog {
  public:
    using Timing = AutoExposureTiming;
    static constexpr int kTargetBrightness = 190;

    explicit CAutoExposureDlg(std::weak_ptr<IAutoExposureCamera> camera, QWidget* parent = nullptr,
                              AutoExposureTiming timing = AutoExposureTiming());

    // The failure message goes here instead of a message box.
    void SetMessageSink(std::function<void(const QString&)> sink) { sink_ = std::move(sink); }

    // The exposure set last; at the end the best one.
    int m_nExposure = 0;
    // Frames judged, the first one included.
    int Trials() const { return trials_; }
    QProgressBar* Progress() const { return progress_; }

    // However the dialog ends, no step follows.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    // Enter and Esc leave the calibration running.
    void keyPressEvent(QKeyEvent* event) override;
    // So does the window's close box (Alt+F4): it is the dialog's cancel.
    void closeEvent(QCloseEvent* event) override;

  private:
    enum class Phase { kUp, kDown };
    void Begin();
    void Next();
    void Judge();
    void Finish();
    void Fail();
    void After(std::chrono::milliseconds wait, void (CAutoExposureDlg::*step)());
    // -1 for no frame.
    int Brightness(IAutoExposureCamera& camera);

    std::weak_ptr<IAutoExposureCamera> camera_;
    Timing timing_;
    std::function<void(const QString&)> sink_;
    QProgressBar* progress_ = nullptr;
    bool begun_ = false;
    bool ended_ = false;
    Phase phase_ = Phase::kUp;
    int minimum_ = 0, maximum_ = 0, start_ = 0, value_ = 0;
    int bestDistance_ = 0, bestValue_ = 0;
    int trials_ = 0;
};

}  // namespace orbisk
