#pragma once

#include <QSplashScreen>

namespace orbisk {

// The splash picture of the branding file, centred on the screen. It takes the
// picture out of the branding record, which is left without one.
class CSplashDlg : public QSplashScreen {
  public:
    CSplashDlg();
    bool HasPicture() const { return hasPicture_; }

  private:
    bool hasPicture_ = false;
};

}  // namespace orbisk
