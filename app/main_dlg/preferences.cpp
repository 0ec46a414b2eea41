// The preferences command (button 1041).

#include "app/main_dlg/orbisk_dlg.h"
#include "ui/preferences/system_info_dialog.h"

namespace orbisk {

// The dialog edits a copy; after OK the copy becomes the window's settings
// and Sys.ini is written. What needs no camera takes effect at once (the
// save folder, naming, format, dpi, quality, watermark); the camera sizes,
// trims and fast mode are stored for the next start.
void COrbiskDlg::OnSystemSettings() {
    if (!m_pDocCamera) return;
    CSystemInfoDialog dlg(nullptr);
    dlg.SetSettings(m_settings);
    if (dlg.exec() != QDialog::Accepted) return;
    m_settings = dlg.GetSettings();
    m_settings.Save();
}

}  // namespace orbisk
