// Turning the current camera's picture by quarter turns.

#include "app/main_dlg/orbisk_dlg.h"

namespace orbisk {

void COrbiskDlg::OnRotateLeft() { Rotate(270); }
void COrbiskDlg::OnRotate180() { Rotate(180); }
void COrbiskDlg::OnRotateRight() { Rotate(90); }

// The stored angle grows unreduced whichever camera is shown; the exit stores
// it modulo 360.
void COrbiskDlg::Rotate(int degrees) {
    if (!m_pDocCamera) return;
    const bool portrait = m_settings.CurrentCamera == 1;
    if (!portrait) {
        m_nDocRotation = (m_nDocRotation + degrees) % 360;
        m_pDocCamera->SetRotation(m_nDocRotation);
    } else if (m_pPorCamera) {
        m_nPorRotation = (m_nPorRotation + degrees) % 360;
        m_pPorCamera->SetRotation(m_nPorRotation);
    }
    m_settings.ROTATION += degrees;
}

}  // namespace orbisk
