#include "video/dialogs/auto_exposure_dlg.h"

#include "core/command_ids.h"
#include "imaging/frame_statistics.h"
#include "platform/camera_controls.h"
#include "video/camera_controller.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

#include <opencv2/imgproc.hpp>

#include <climits>
#include <cstdlib>

namespace orbisk {
namespace {

class ControllerCamera : public IAutoExposureCamera {
  public:
    explicit ControllerCamera(CCameraController& c) : c_(c) {}
    int GetExposureRange(int& minimum, int& maximum) override {
        int step = 0, def = 0, flags = 0;
        return c_.GetCameraControlRange(platform::kCameraExposure, minimum, maximum, step, def,
                                        flags);
    }
    int GetExposure(int& value) override {
        int flags = 0;
        return c_.GetCameraControl(platform::kCameraExposure, value, flags);
    }
    int SetExposure(int value) override {
        return c_.SetCameraControl(platform::kCameraExposure, value);
    }
    cv::Mat GetFrame() override { return c_.GetFrame(); }

  private:
    CCameraController& c_;
};

}  // namespace

std::shared_ptr<IAutoExposureCamera> ControllerExposureCamera(CCameraController& controller) {
    return std::make_shared<ControllerCamera>(controller);
}

CAutoExposureDlg::CAutoExposureDlg(std::weak_ptr<IAutoExposureCamera> camera, QWidget* parent,
                                   Timing timing)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowSystemMenuHint),
      camera_(std::move(camera)),
      timing_(timing) {
    // 305 x 65 dialog units.
    setFixedSize(458, 106);
    auto* text = new QLabel(QString::fromUtf8("软件自动曝光控制中，请稍后..."), this);
    text->setGeometry(10, 23, 300, 16);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QString::number(ids::auto_exposure_dlg::IDC_PROGRESS));
    progress_->setGeometry(10, 46, 437, 34);
    progress_->setTextVisible(false);
}

void CAutoExposureDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CAutoExposureDlg::closeEvent(QCloseEvent* event) {
    // The calibration ends the dialog itself, with the best value set.
    if (isVisible() && !ended_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CAutoExposureDlg::done(int result) {
    ended_ = true;
    QDialog::done(result);
}

void CAutoExposureDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (begun_) return;
    begun_ = true;
    // Without a camera it closes once its loop runs.
    After(camera_.expired() ? std::chrono::milliseconds(0) : timing_.start,
          &CAutoExposureDlg::Begin);
}

void CAutoExposureDlg::After(std::chrono::milliseconds wait, void (CAutoExposureDlg::*step)()) {
    QTimer::singleShot(wait, this, [this, step] {
        if (!ended_) (this->*step)();
    });
}

void CAutoExposureDlg::Fail() {
    const QString text = QString::fromUtf8("软件自动控制曝光失败！");
    if (sink_) {
        sink_(text);
    } else {
        QMessageBox::warning(this, QString(), text);
    }
    reject();
}

int CAutoExposureDlg::Brightness(IAutoExposureCamera& camera) {
    const cv::Mat frame = camera.GetFrame();
    // No preview or no frame yet: nothing to judge.
    if (frame.empty()) return -1;
    cv::Mat small;
    cv::resize(frame, small, cv::Size(), 0.2, 0.2, cv::INTER_LINEAR);
    if (small.empty()) return -1;
    return MeasureForegroundBrightness(small);
}

void CAutoExposureDlg::Begin() {
    const std::shared_ptr<IAutoExposureCamera> camera = camera_.lock();
    if (!camera) return reject();
    if (camera->GetExposureRange(minimum_, maximum_) < 0 || minimum_ > maximum_) return Fail();
    if (camera->GetExposure(start_) != 0) return Fail();
    progress_->setRange(0, maximum_ - minimum_ + 1);
    trials_ = 1;
    progress_->setValue(trials_);
    const int b = Brightness(*camera);
    bestDistance_ = b < 0 ? INT_MAX : std::abs(b - kTargetBrightness);
    bestValue_ = start_;
    m_nExposure = start_;
    phase_ = Phase::kUp;
    value_ = start_ + 1;
    Next();
}

void CAutoExposureDlg::Next() {
    if (phase_ == Phase::kUp && value_ > maximum_) {
        phase_ = Phase::kDown;
        value_ = start_ - 1;
    }
    if (phase_ == Phase::kDown && value_ < minimum_) return Finish();
    const std::shared_ptr<IAutoExposureCamera> camera = camera_.lock();
    if (!camera) return reject();
    camera->SetExposure(value_);
    After(timing_.settle, &CAutoExposureDlg::Judge);
}

void CAutoExposureDlg::Judge() {
    const std::shared_ptr<IAutoExposureCamera> camera = camera_.lock();
    if (!camera) return reject();
    ++trials_;
    m_nExposure = value_;
    progress_->setValue(trials_);
    const int b = Brightness(*camera);
    const int step = phase_ == Phase::kUp ? 1 : -1;
    if (b >= 0) {
        const int distance = std::abs(b - kTargetBrightness);
        // Farther and past the target in the direction of travel: no step
        // beyond helps. Anything else becomes the best, even a farther one.
        const bool past = phase_ == Phase::kUp ? b > kTargetBrightness : b < kTargetBrightness;
        if (distance > bestDistance_ && past) {
            if (phase_ == Phase::kDown) return Finish();
            phase_ = Phase::kDown;
            value_ = start_ - 1;
            return Next();
        }
        bestDistance_ = distance;
        bestValue_ = value_;
    }
    value_ += step;
    Next();
}

void CAutoExposureDlg::Finish() {
    const std::shared_ptr<IAutoExposureCamera> camera = camera_.lock();
    if (!camera) return reject();
    m_nExposure = bestValue_;
    camera->SetExposure(bestValue_);
    QTimer::singleShot(timing_.final, this, [this] {
        if (ended_) return;
        if (camera_.expired()) return reject();
        accept();
    });
}

}  // namespace orbisk
