// Cameras unplugged and plugged in again, and the workers that read a camera
// controller while the window replaces it.

#include "app/continuous_shoot/continuous_shoot_dlg.h"
#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"

#include <QLabel>
#include <QRadioButton>

#include <utility>

namespace orbisk {

using namespace ids::main_dlg;

void COrbiskDlg::ReleaseCamera(CameraPort* camera) {
    if (!camera) return;
    // The orientation thread reads the document camera: it is joined first.
    if (camera == m_pDocCamera.get()) StopOrientation();
    // The inspection waits for a frame being taken, then sees no camera.
    if (m_pShootCamera && m_pShootCamera->GetController() == camera) {
        m_pShootCamera->SetController(nullptr);
    }
}

void COrbiskDlg::RewireWorkers() {
    if (m_pShootCamera) {
        m_pShootCamera->SetController(m_shootWatchesPortrait ? m_pPorCamera.get()
                                                             : m_pDocCamera.get());
    }
    StartOrientation();
    WatchDocCameraLoss();
}

void COrbiskDlg::WatchDocCameraLoss() {
    if (!m_pDocCamera) return;
    m_pDocCamera->SetLostHandler([this] {
        m_docCameraLost = true;
        if (m_deviceMonitor) m_deviceMonitor->Raise();
    });
}

void COrbiskDlg::StartDeviceWatch() {
    m_deviceMonitor = std::make_unique<platform::DeviceChangeMonitor>([this] { OnDeviceChange(); },
                                                                      env_.deviceChangeDelay);
    WatchDocCameraLoss();
}

void COrbiskDlg::StopDeviceWatch() {
    m_deviceMonitor.reset();
    if (m_pDocCamera) m_pDocCamera->SetLostHandler(nullptr);
}

void COrbiskDlg::OnDeviceChange() {
    if (!started_ || destroyed_ || quit_) return;
    if (m_deviceChangeHolds > 0) {
        m_deviceChangePending = true;
        return;
    }
    std::unique_ptr<CameraPort> probe = env_.cameras ? env_.cameras(false, 0) : nullptr;
    const int count = probe ? probe->CountDevices(m_settings.DocCamVid, m_settings.DocCamPid) : 0;
    probe.reset();
    // A camera that fell silent goes the way of an unplugged one; it comes
    // back with the next device change.
    const bool lost = std::exchange(m_docCameraLost, false);
    if (m_pDocCamera && (count == 0 || lost)) {
        CloseCamerasAfterUnplug();
    } else if (!m_pDocCamera && count > 0) {
        ReopenCamerasAfterReplug();
    }
}

void COrbiskDlg::CloseCamerasAfterUnplug() {
    // Nothing may read a controller while it goes. The batch dialogs keep
    // their pages (files on disk); a capture in progress has its frames.
    ReleaseCamera(m_pDocCamera.get());
    ReleaseCamera(m_pPorCamera.get());
    DeleteShootDialog();
    m_pDocCamera.reset();
    m_pPorCamera.reset();
    m_nDocRotation = 0;
    m_nPorRotation = 0;
    m_nDisplayMode = -1;
    Message(kMsgUnplugged, QMessageBox::Critical);
}

void COrbiskDlg::ReopenCamerasAfterReplug() {
    std::unique_ptr<CameraPort> camera = env_.cameras(true, 0);
    if (!camera) return;
    camera->SetResolution(m_settings.DocCamWidth, m_settings.DocCamHeight);
    camera->SetFormatPreference(m_settings.FASTMODE == 1 ? kFormatMjpg : kFormatYuy2);
    if (camera->Open(this, m_settings.DocCamVid, m_settings.DocCamPid, m_rcPreview,
                     m_settings.CHANNELS, 0) != 0) {
        return;
    }
    m_pDocCamera = std::move(camera);
    SetCameraModel(m_settings.DocCamVid, m_settings.DocCamPid);
    m_settings.CurrentCamera = 0;
    m_nDisplayMode = 0;
    RefreshExposureControls();
    OpenPortraitCamera(m_settings.PorCamVid, m_settings.PorCamPid);

    Control(IDC_PORTRAIT_PREVIEW)->hide();
    m_settings.CUTPAGETYPE = int(CropMode::None);
    ShowCropMode();
    Control(IDC_CROP_AUTO)->setEnabled(true);
    if (!RunDocumentCamera()) Message(kMsgDeviceBusy, QMessageBox::Critical);
    Control(IDC_PREVIEW)->hide();
    // As the start-up: the trims and the operator's rotation.
    ApplyTrims();
    m_nDocRotation = ((m_settings.ROTATION % 360) + 360) % 360;
    if (m_nDocRotation != 0) m_pDocCamera->SetRotation(m_nDocRotation);
    RewireWorkers();
}

}  // namespace orbisk
