#pragma once

#include "platform/capture_device.h"

#include <vector>

class QWidget;

namespace orbisk {

// The camera's property pages are dialogs (video/dialogs/), which the camera
// engine does not link: the program installs them at start, and a camera
// with none installed shows nothing.
class ICameraPages {
  public:
    virtual ~ICameraPages() = default;
    // The format and size page; true with `chosen` when the operator confirmed.
    virtual bool ChooseFormat(QWidget* owner, const std::vector<platform::CaptureFormat>& formats,
                              const platform::CaptureFormat& current,
                              platform::CaptureFormat& chosen) = 0;
    // The device's own controls; changes go to the device at once.
    virtual void EditControls(QWidget* owner, platform::CaptureDevice& device) = 0;
};

// Process-wide, set once by the program (and by tests, which put back null).
void InstallCameraPages(ICameraPages* pages);
ICameraPages* InstalledCameraPages();

}  // namespace orbisk
