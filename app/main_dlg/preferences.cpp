// The preferences command (button 1041): the dialog edits a copy, and after
// OK the running cameras take what changed before the copy becomes the
// window's settings and Sys.ini is written.

#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"
#include "ui/preferences/system_info_dialog.h"

namespace orbisk {

using namespace ids::main_dlg;

namespace {

bool TrimsDiffer(const SysSettings& a, const SysSettings& b) {
    return a.CutLeft != b.CutLeft || a.CutTop != b.CutTop || a.CutRight != b.CutRight ||
           a.CutBottom != b.CutBottom;
}

}  // namespace

void COrbiskDlg::OnSystemSettings() {
    if (!m_pDocCamera) return;
    CSystemInfoDialog dlg(nullptr);
    dlg.SetSettings(m_settings);
    if (dlg.exec() != QDialog::Accepted) return;
    SysSettings edited = dlg.GetSettings();
    LoadMessageTexts(edited.Language);
    // A failure keeps the master settings, and their language.
    auto fail = [&](int message) {
        Message(message, QMessageBox::Critical);
        LoadMessageTexts(m_settings.Language);
    };

    const bool documentShown = m_settings.CurrentCamera == 0;
    bool run = false;
    bool reopened = false;
    bool cropCleared = false;
    // A camera at another size: the crop of the old size means nothing there.
    auto resize = [&](CameraPort& camera, int width, int height) {
        edited.CUTPAGETYPE = int(CropMode::None);
        cropCleared = true;
        camera.EnableCustomCropBox(false);
        camera.SetAutoDetect(false, 0, kSingleObjectThreshold);
        camera.SetResolution(width, height);
    };
    if (documentShown && m_pDocCamera && edited.FASTMODE != m_settings.FASTMODE) {
        ReleaseCamera(m_pDocCamera.get());
        m_pDocCamera.reset();
        std::unique_ptr<CameraPort> camera = env_.cameras(true, 0);
        if (!camera) return fail(kMsgDocResolution);
        camera->SetFormatPreference(edited.FASTMODE == 1 ? kFormatMjpg : kFormatYuy2);
        // Any failure leaves no controller behind: a later plug opens it anew.
        if (camera->SetResolution(m_settings.DocCamWidth, m_settings.DocCamHeight) != 0 ||
            camera->Open(this, m_settings.DocCamVid, m_settings.DocCamPid, m_rcPreview,
                         m_settings.CHANNELS, 0) != 0) {
            camera.reset();
            RewireWorkers();
            return fail(kMsgDocResolution);
        }
        m_pDocCamera = std::move(camera);
        run = reopened = true;
    }
    // Either axis: the capture rescales each axis by configured/actual.
    if (documentShown && m_pDocCamera &&
        (edited.DocCamWidth != m_settings.DocCamWidth ||
         edited.DocCamHeight != m_settings.DocCamHeight)) {
        resize(*m_pDocCamera, edited.DocCamWidth, edited.DocCamHeight);
        run = true;
    }
    if (m_pDocCamera && documentShown && run) {
        if (!m_pDocCamera->Run()) {
            if (reopened) RewireWorkers();
            return fail(kMsgDocResolution);
        }
        m_pDocCamera->ShowPreview(true);
        m_pDocCamera->SetRotation(m_nDocRotation);
        if (reopened) {
            // A new controller starts without trims.
            ApplyTrims(edited.CutLeft, edited.CutTop, edited.CutRight, edited.CutBottom);
            RewireWorkers();
        }
    }
    if (m_pDocCamera && TrimsDiffer(edited, m_settings)) {
        m_pDocCamera->SetCropMargins(edited.CutLeft, edited.CutTop, edited.CutRight,
                                     edited.CutBottom);
    }
    if (m_settings.CurrentCamera == 1 && m_pPorCamera &&
        (edited.PorCamWidth != m_settings.PorCamWidth ||
         edited.PorCamHeight != m_settings.PorCamHeight)) {
        resize(*m_pPorCamera, edited.PorCamWidth, edited.PorCamHeight);
        if (!m_pPorCamera->Run()) return fail(kMsgPorResolution);
        m_pPorCamera->SetRotation(m_nPorRotation);
    }
    if (edited.Language != m_settings.Language) ApplyLanguageToControls(edited.Language);
    m_settings = edited;
    if (cropCleared) ShowCropMode();
    if (m_settings.DOCCHECK) {
        StartOrientation();
    } else {
        StopOrientation();
    }
    if (m_settings.CUTPAGETYPE == int(CropMode::Automatic) && m_pDocCamera) {
        m_pDocCamera->SetAutoDetect(true, m_settings.ISMUTICUTPAGE, kDocumentThreshold);
    }
    m_settings.Save();
}

}  // namespace orbisk
