// Continuous shooting from the main window: opening the dialog over the
// preview and deleting it when it asks.

#include "app/continuous_shoot/continuous_shoot_dlg.h"
#include "app/continuous_shoot/shoot_camera.h"
#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"

namespace orbisk {

using namespace ids::main_dlg;

void COrbiskDlg::OnContinuousShoot() { OpenContinuousShootDialog(); }

void COrbiskDlg::OpenContinuousShootDialog() {
    PullFromControls();
    if (m_pShootDlg) return;
    const bool portrait = m_settings.CurrentCamera == 1;
    m_shootWatchesPortrait = portrait;
    m_pShootCamera = std::make_unique<ControllerShootCamera<CameraPort>>(
        portrait ? m_pPorCamera.get() : m_pDocCamera.get());
    m_pShootDlg =
        std::make_unique<CContinuousShootDlg>(this, m_fShootInterval, m_settings.Language, this);
    m_pShootDlg->SetCamera(m_pShootCamera.get());
    m_pShootDlg->SetPortrait(portrait);
    m_pShootDlg->HoldShots(m_captureGate.Busy());
    m_pShootDlg->show();
    // Centred over the preview, its bottom edge on the preview's.
    const QWidget* preview = Control(IDC_PREVIEW);
    const QRect area(preview->mapToGlobal(QPoint(0, 0)), preview->size());
    const QSize size = m_pShootDlg->frameGeometry().size();
    m_pShootDlg->move(area.center().x() - size.width() / 2, area.bottom() + 1 - size.height());
}

void COrbiskDlg::DeleteShootDialog() {
    if (!m_pShootDlg) return;
    // The inspection reads the camera; it ends before anything goes.
    m_pShootDlg->StopInspectThread();
    m_pShootDlg.reset();
    m_pShootCamera.reset();
}

void COrbiskDlg::HoldShooting(bool held) {
    if (m_pShootDlg) m_pShootDlg->HoldShots(held);
}

}  // namespace orbisk
