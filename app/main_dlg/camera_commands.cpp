// Exposure, focus, the driver's pages and the switch between the document
// and the portrait camera.

#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <cmath>
#include <utility>

namespace orbisk {

using namespace ids::main_dlg;

// While a modal page of a controller runs, a device change waits for its end.
struct COrbiskDlg::DeviceChangeHold {
    explicit DeviceChangeHold(COrbiskDlg& dlg) : dlg_(dlg) { ++dlg_.m_deviceChangeHolds; }
    ~DeviceChangeHold() {
        if (--dlg_.m_deviceChangeHolds == 0 && std::exchange(dlg_.m_deviceChangePending, false)) {
            dlg_.OnDeviceChange();
        }
    }
    COrbiskDlg& dlg_;
};

void COrbiskDlg::ShowExposure(int value) {
    m_nExposure = value;
    const QSignalBlocker blocker(m_exposureSlider);
    m_exposureSlider->setValue(value);
}

// Each notification moves the exposure one unit towards the slider, however
// far it was dragged.
void COrbiskDlg::OnHScroll() {
    if (starting_ || quit_ || !m_pDocCamera) return;
    const int position = m_exposureSlider->value();
    if (position == m_nExposure) return;
    ShowExposure(m_nExposure + (position > m_nExposure ? 1 : -1));
    m_pDocCamera->SetCameraControl(kExposureProperty, m_nExposure);
    m_settings.Exposure = m_nExposure;
    PushToControls();
}

void COrbiskDlg::OnAutoExposure() {
    if (!m_pDocCamera) return;
    if (ControlAs<QCheckBox>(IDC_AUTO_EXPOSURE)->isChecked()) {
        m_exposureSlider->setEnabled(false);
        m_settings.AutoExposure = 1;
        // One past the range is the camera layer's automatic; a fixed value
        // could lie inside a camera's range.
        platform::PropertyRange range;
        if (m_pDocCamera->GetCameraControlRange(kExposureProperty, range) == 0) {
            m_pDocCamera->SetCameraControl(kExposureProperty,
                                           AutomaticValue(range.minimum, range.maximum));
        }
        return;
    }
    m_settings.AutoExposure = 0;
    int value = 0, flags = 0;
    if (m_pDocCamera->GetCameraControl(kExposureProperty, value, flags) == 0) {
        m_settings.Exposure = value;
        ShowExposure(value);
        PushToControls();
        // Writing the value makes the exposure manual again.
        m_pDocCamera->SetCameraControl(kExposureProperty, value);
    }
    m_exposureSlider->setEnabled(true);
}

void COrbiskDlg::OnTimer(int id) {
    if (id != kExposureTimer || !m_pDocCamera) return;
    if (!ControlAs<QCheckBox>(IDC_AUTO_EXPOSURE)->isChecked()) return;
    int value = 0, flags = 0;
    if (m_pDocCamera->GetCameraControl(kExposureProperty, value, flags) != 0) return;
    m_settings.Exposure = value;
    ShowExposure(value);
    ControlAs<QLineEdit>(IDC_EXPOSURE_EDIT)->setText(QString::asprintf("%d", value));
}

void COrbiskDlg::OnAutoFocus() {
    if (!m_pDocCamera) return;
    platform::PropertyRange range;
    if (m_pDocCamera->GetCameraControlRange(kFocusProperty, range) != 0) return;
    m_pDocCamera->SetCameraControl(kFocusProperty, range.defaultValue);
    m_pDocCamera->SetCameraControl(kFocusProperty, AutomaticValue(range.minimum, range.maximum));
}

void COrbiskDlg::OnVideoParams() {
    if (!m_pDocCamera) return;
    const DeviceChangeHold hold(*this);
    if (m_settings.CurrentCamera == 1) {
        if (m_pPorCamera) m_pPorCamera->ShowDevicePropertyPage(this);
        return;
    }
    m_pDocCamera->ShowDevicePropertyPage(this);
    // The page may have changed the exposure.
    int value = 0, flags = 0;
    if (m_pDocCamera->GetCameraControl(kExposureProperty, value, flags) != 0) return;
    const bool automatic = flags == platform::kPropertyAuto;
    m_settings.AutoExposure = automatic ? 1 : 0;
    m_exposureSlider->setEnabled(!automatic);
    ControlAs<QCheckBox>(IDC_AUTO_EXPOSURE)->setChecked(automatic);
    m_settings.Exposure = value;
    ShowExposure(value);
    PushToControls();
}

void COrbiskDlg::OnFormatProperties() {
    if (!m_pDocCamera) return;
    const DeviceChangeHold hold(*this);
    m_pDocCamera->ShowFormatPropertyPage(this);
}

void COrbiskDlg::ShowCropModeOf(CameraPort& camera) {
    IntRect rect;
    if (camera.IsAutoDetectOn()) {
        m_settings.CUTPAGETYPE = int(CropMode::Automatic);
    } else if (camera.GetCustomCropRect(rect) && rect.left != rect.right) {
        m_settings.CUTPAGETYPE = int(CropMode::CustomRectangle);
    } else {
        m_settings.CUTPAGETYPE = int(CropMode::None);
    }
    ShowCropMode();
}

void COrbiskDlg::RefreshExposureControls() {
    if (!m_pDocCamera) return;
    platform::PropertyRange range;
    m_pDocCamera->GetCameraControlRange(kExposureProperty, range);
    int value = 0, flags = 0;
    m_pDocCamera->GetCameraControl(kExposureProperty, value, flags);
    auto* automatic = ControlAs<QCheckBox>(IDC_AUTO_EXPOSURE);
    automatic->setEnabled(true);
    const bool isAuto = flags == platform::kPropertyAuto;
    m_exposureSlider->setEnabled(!isAuto);
    automatic->setChecked(isAuto);
    {
        const QSignalBlocker blocker(m_exposureSlider);
        m_exposureSlider->setRange(range.minimum, range.maximum);
    }
    ShowExposure(value);
    PushToControls();
}

void COrbiskDlg::OnSwitchCamera() {
    if (!m_pDocCamera || !m_pPorCamera) return;
    {
        // No radio stays set: the group is exclusive.
        const QSignalBlocker blocker(m_cropGroup);
        m_cropGroup->setExclusive(false);
        for (int id : {IDC_CROP_NONE, IDC_CROP_AUTO, IDC_CROP_CUSTOM}) {
            ControlAs<QRadioButton>(id)->setChecked(false);
        }
        m_cropGroup->setExclusive(true);
    }
    m_settings.CUTPAGETYPE = int(CropMode::None);
    if (m_nDisplayMode == 1) {
        if (SwitchToDocumentCamera()) {
            m_nDisplayMode = 0;
            m_settings.CurrentCamera = 0;
        }
    } else if (m_nDisplayMode == 0) {
        if (SwitchToPortraitCamera()) {
            m_nDisplayMode = 1;
            m_settings.CurrentCamera = 1;
        } else {
            SwitchToDocumentCamera();
            m_settings.CurrentCamera = 0;
        }
    }
    if (m_settings.CurrentCamera == 0 && m_pDocCamera) {
        Control(IDC_CROP_AUTO)->setEnabled(true);
        ShowCropModeOf(*m_pDocCamera);
        RefreshExposureControls();
    } else if (m_settings.CurrentCamera == 1 && m_pPorCamera) {
        Control(IDC_CROP_AUTO)->setEnabled(false);
        ShowCropModeOf(*m_pPorCamera);
        // The portrait camera's exposure is not controlled.
        m_exposureSlider->setEnabled(false);
        auto* automatic = ControlAs<QCheckBox>(IDC_AUTO_EXPOSURE);
        automatic->setEnabled(false);
        automatic->setChecked(true);
    }
}

bool COrbiskDlg::SwitchToDocumentCamera() {
    if (!m_pDocCamera) return false;
    if (m_pPorCamera && (!m_pPorCamera->Stop() || !m_pPorCamera->ShowPreview(false))) return false;
    if (!m_pDocCamera->Run() || !m_pDocCamera->ShowPreview(true)) return false;
    m_pDocCamera->SetPreviewRect(m_rcPreview);
    m_pDocCamera->MovePreview();
    return true;
}

namespace {

// A rectangle of a frame of `from` in a frame of `to`: each edge scaled by
// new/old, rounded, kept inside the new frame.
IntRect ScaledCropRect(const IntRect& r, QSize from, QSize to) {
    if (from.width() <= 0 || from.height() <= 0) return r;
    const double sx = double(to.width()) / from.width();
    const double sy = double(to.height()) / from.height();
    auto scale = [](int v, double s, int limit) {
        return std::clamp(int(std::lround(v * s)), 0, std::max(0, limit));
    };
    return {scale(r.left, sx, to.width()), scale(r.top, sy, to.height()),
            scale(r.right, sx, to.width()), scale(r.bottom, sy, to.height())};
}

}  // namespace

bool COrbiskDlg::SwitchToPortraitCamera() {
    if (!m_pDocCamera || !m_pPorCamera || !m_pDocCamera->Stop()) return false;
    int width = 0, height = 0;
    m_pPorCamera->GetResolution(width, height);
    if (width != m_settings.PorCamWidth || height != m_settings.PorCamHeight) {
        IntRect kept;
        const bool hadRect = m_pPorCamera->GetCustomCropRect(kept);
        ReleaseCamera(m_pPorCamera.get());
        m_pPorCamera.reset();
        m_nPorRotation %= 360;
        std::unique_ptr<CameraPort> camera = env_.cameras(true, 0);
        bool opened = false;
        if (camera) {
            camera->SetResolution(m_settings.PorCamWidth, m_settings.PorCamHeight);
            opened = camera->Open(this, m_settings.PorCamVid, m_settings.PorCamPid, m_rcPreview,
                                  false, 0) == 0 &&
                     camera->Run();
        }
        if (!opened) {
            camera.reset();
            RewireWorkers();
            Message(kMsgPortraitBusy, QMessageBox::Critical);
            return false;
        }
        m_pPorCamera = std::move(camera);
        // What the old controller showed, the new one shows too.
        if (m_nPorRotation != 0) m_pPorCamera->SetRotation(m_nPorRotation);
        if (hadRect && kept.left != kept.right && kept.top != kept.bottom) {
            m_pPorCamera->SetCustomCropRect(
                ScaledCropRect(kept, {width, height},
                               {m_settings.PorCamWidth, m_settings.PorCamHeight}),
                false);
        }
        RewireWorkers();
    } else if (!m_pPorCamera->Run()) {
        return false;
    }
    m_settings.CurrentCamera = 1;
    if (!m_pDocCamera->ShowPreview(false) || !m_pPorCamera->ShowPreview(true)) return false;
    m_pPorCamera->SetPreviewRect(m_rcPreview);
    m_pPorCamera->MovePreview();
    return true;
}

void COrbiskDlg::ApplyTrims(int left, int top, int right, int bottom) {
    if (!m_pDocCamera) return;
    if (left != 0 || top != 0 || right != 0 || bottom != 0) {
        m_pDocCamera->SetCropMargins(left, top, right, bottom);
    }
}

}  // namespace orbisk
