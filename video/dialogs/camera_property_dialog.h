#pragma once

#include "platform/capture_device.h"
#include "video/camera_pages.h"

#include <QDialog>

#include <vector>

namespace orbisk {

// The camera's own controls, as the device lists them: a slider for an
// integer, a check box for a switch, a list for a menu. Changes go to the
// device at once.
class CameraControlsDialog : public QDialog {
  public:
    CameraControlsDialog(platform::CaptureDevice& device, QWidget* owner);
};

// The capture format and size; the camera streams the choice as it is.
class CameraFormatDialog : public QDialog {
  public:
    CameraFormatDialog(const std::vector<platform::CaptureFormat>& formats,
                       const platform::CaptureFormat& current, QWidget* owner);
    platform::CaptureFormat Chosen() const { return chosen_; }

  private:
    platform::CaptureFormat chosen_;
};

// The two dialogs as the cameras' property pages.
class CameraPropertyPages : public ICameraPages {
  public:
    bool ChooseFormat(QWidget* owner, const std::vector<platform::CaptureFormat>& formats,
                      const platform::CaptureFormat& current,
                      platform::CaptureFormat& chosen) override;
    void EditControls(QWidget* owner, platform::CaptureDevice& device) override;
};

}  // namespace orbisk
