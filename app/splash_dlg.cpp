#include "app/splash_dlg.h"

#include "core/branding_data.h"

#include <QPixmap>

namespace orbisk {

CSplashDlg::CSplashDlg() {
    CBrandingData& branding = TheBrandingData();
    if (!branding.splash.isNull()) {
        setPixmap(QPixmap::fromImage(branding.splash));
        branding.splash = QImage();
        hasPicture_ = true;
    }
}

}  // namespace orbisk
