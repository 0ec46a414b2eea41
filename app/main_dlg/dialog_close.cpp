// The close reports of the modeless batch dialogs: the page collection is
// deleted by the main window, the merge dialog deletes itself and leaves its
// merged file for the strip.

#include "app/main_dlg/orbisk_dlg.h"
#include "documents/dialogs/multi_page_dlg.h"

namespace orbisk {

qintptr COrbiskDlg::OnPageDialogClosed(qintptr wParam, qintptr) {
    // Posted by the dialog itself, so it is no longer in a call of its own.
    if (wParam == 0 && m_pPageDlg) m_pPageDlg.reset();
    return 1;
}

}  // namespace orbisk
