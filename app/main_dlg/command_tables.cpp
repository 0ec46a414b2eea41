// The main window's dispatch: control, command and accelerator ids to their
// handlers, and accelerator keys to their commands.

#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"
#include "platform/window_messages.h"

#include <QKeyEvent>

namespace orbisk {

using namespace ids::main_dlg;

const CommandEntry<COrbiskDlg> COrbiskDlg::kCommands[] = {
    {IDC_EXIT, &COrbiskDlg::OnExit},
    {IDC_ROTATE_LEFT, &COrbiskDlg::OnRotateLeft},
    {IDC_ROTATE_180, &COrbiskDlg::OnRotate180},
    {IDC_ROTATE_RIGHT, &COrbiskDlg::OnRotateRight},
    {IDC_BROWSE_IMAGES, &COrbiskDlg::OnBrowseImages},
    {ids::tile_menu::ID_TILE_DELETE, &COrbiskDlg::OnTileDelete},
    {ids::tile_menu::ID_TILE_OPEN, &COrbiskDlg::OnTileOpen},
    {IDC_CAPTURE, &COrbiskDlg::OnCapture},
    {ID_ACCEL_CAPTURE, &COrbiskDlg::OnAccelCapture},
    {IDC_CAPTURE_TO_PDF, &COrbiskDlg::OnCaptureToPdf},
    {ID_ACCEL_CAPTURE_TO_PDF, &COrbiskDlg::OnAccelCaptureToPdf},
    {IDC_PHOTOCOPY, &COrbiskDlg::OnPhotocopy},
    {ID_ACCEL_PHOTOCOPY, &COrbiskDlg::OnAccelPhotocopy},
    {IDC_RECOGNIZE_TEXT, &COrbiskDlg::OnRecognizeText},
    {IDC_RECORD_VIDEO, &COrbiskDlg::OnRecordVideo},
    {IDC_CONTINUOUS_SHOOT, &COrbiskDlg::OnContinuousShoot},
    {IDC_NAMING_PREFIX, &COrbiskDlg::OnNamingPrefix},
    {IDC_NAMING_TIME, &COrbiskDlg::OnNamingTime},
    {IDC_NAMING_CUSTOM, &COrbiskDlg::OnNamingCustom},
    {IDC_BARCODE_NAMING, &COrbiskDlg::OnBarcodeNaming},
    {IDC_CROP_NONE, &COrbiskDlg::OnCropNone},
    {IDC_CROP_AUTO, &COrbiskDlg::OnCropAuto},
    {IDC_CROP_CUSTOM, &COrbiskDlg::OnCropCustom},
    {IDC_COLOR_COLOR, &COrbiskDlg::OnColorModeColor},
    {IDC_COLOR_GRAY, &COrbiskDlg::OnColorModeGray},
    {IDC_COLOR_MONO, &COrbiskDlg::OnColorModeMono},
    {IDC_MERGE, &COrbiskDlg::OnMergeImages},
    {IDC_ONE_PDF, &COrbiskDlg::OnSaveAsOnePdf},
    {IDC_MULTI_PAGE_TIF, &COrbiskDlg::OnSaveAsMultiPageTif},
    {IDC_PREFERENCES, &COrbiskDlg::OnSystemSettings},
    {IDC_AUTO_EXPOSURE, &COrbiskDlg::OnAutoExposure},
    {IDC_AUTO_FOCUS, &COrbiskDlg::OnAutoFocus},
    {IDC_VIDEO_PARAMS, &COrbiskDlg::OnVideoParams},
    {ID_FORMAT_PROPERTIES, &COrbiskDlg::OnFormatProperties},
    {IDC_SWITCH_CAMERA, &COrbiskDlg::OnSwitchCamera},
};

const MessageEntry<COrbiskDlg> COrbiskDlg::kMessages[] = {
    {platform::WM_CROP_BOX_DONE, &COrbiskDlg::OnCropBoxDone},
    {platform::WM_TILE_CLICKED, &COrbiskDlg::OnTileClicked},
    {platform::WM_PAGE_DLG_CLOSED, &COrbiskDlg::OnPageDialogClosed},
    {platform::WM_MERGE_DLG_CLOSED, &COrbiskDlg::OnMergeDialogClosed},
    {platform::WM_IMAGE_PATH_REQUEST, &COrbiskDlg::OnImagePathRequest},
    {platform::WM_SHOOT_REQUEST, &COrbiskDlg::OnShootRequest},
    {platform::WM_CAMERA_SNAPSHOT, &COrbiskDlg::OnCameraButton},
    {platform::WM_PREFIX_CHANGED, &COrbiskDlg::OnPrefixChanged},
    {platform::WM_ORIENTATION_RESULT, &COrbiskDlg::OnOrientationResult},
};

// Nothing acts on the window before its start-up has filled the controls and
// opened the cameras: the splash wait and the start-up's message boxes run the
// event loop meanwhile.
bool COrbiskDlg::OnCommand(int id) {
    if (starting_ || quit_) return false;
    return DispatchCommand(kCommands, *this, id);
}

bool COrbiskDlg::OnWindowMessage(int message, qintptr wParam, qintptr lParam, qintptr& result) {
    if (starting_ || quit_) return false;
    return DispatchMessage(kMessages, *this, message, wParam, lParam, result);
}

void COrbiskDlg::ReleaseHeldMessages() {
    std::vector<HeldMessage> held;
    held.swap(m_heldMessages);
    if (quit_) return;
    for (const HeldMessage& m : held) {
        platform::PostWindowMessage(this, m.message, m.wParam, m.lParam);
    }
}

bool COrbiskDlg::event(QEvent* event) {
    if (event->type() == platform::WindowMessageEvent::Type()) {
        const auto* m = static_cast<platform::WindowMessageEvent*>(event);
        // A message of the start-up's time waits for its end; one of a start-up
        // that stops goes with it.
        if (starting_ || quit_) {
            if (!quit_) m_heldMessages.push_back({m->Message(), m->WParam(), m->LParam()});
            return true;
        }
        qintptr result = 0;
        OnWindowMessage(m->Message(), m->WParam(), m->LParam(), result);
        return true;
    }
    return QDialog::event(event);
}

qintptr COrbiskDlg::OnCropBoxDone(qintptr, qintptr) { return 0; }

bool COrbiskDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int command =
            AcceleratorCommand(MainAccelerators(), key->key(), key->modifiers(), key->text());
        if (command != 0) {
            OnCommand(command);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace orbisk
