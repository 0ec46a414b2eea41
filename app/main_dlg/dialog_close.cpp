// The close reports of the modeless batch dialogs: the page collection is
// deleted by the main window, the merge dialog deletes itself and leaves its
// merged file for the strip.

#include "app/main_dlg/orbisk_dlg.h"
#include "documents/dialogs/multi_page_dlg.h"
#include "documents/dialogs/show_image_dlg.h"

namespace orbisk {

void COrbiskDlg::ConnectMergeDialog(CShowImageDlg* dialog) {
    // Queued both: the path comes directly before the close, and the close
    // from the dialog's destruction.
    connect(
        dialog, &CShowImageDlg::MergedImagePath, this,
        [this](const QString& path) { SetMergedImagePath(path); }, Qt::QueuedConnection);
    connect(
        dialog, &CShowImageDlg::Closed, this,
        [this](int message, qintptr address) {
            qintptr result = 0;
            OnWindowMessage(message, address, 0, result);
        },
        Qt::QueuedConnection);
}

void COrbiskDlg::SetMergedImagePath(const QString& path) { m_strMergedPath = path; }

qintptr COrbiskDlg::OnMergeDialogClosed(qintptr wParam, qintptr) {
    // The dialog is gone when its report arrives, and its guarded pointer
    // has emptied itself; a newer dialog that still lives is kept.
    if (!m_strMergedPath.isEmpty()) AddThumbnail(m_strMergedPath, m_tiles, kThumbnailPicture);
    m_strMergedPath.clear();
    if (reinterpret_cast<qintptr>(m_pMergeDlg.data()) == wParam) m_pMergeDlg = nullptr;
    return 0;
}

qintptr COrbiskDlg::OnPageDialogClosed(qintptr wParam, qintptr) {
    // Posted by the dialog itself, so it is no longer in a call of its own.
    if (wParam == 0 && m_pPageDlg) m_pPageDlg.reset();
    return 1;
}

}  // namespace orbisk
