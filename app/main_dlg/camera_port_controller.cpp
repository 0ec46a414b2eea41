// The program's cameras behind the main window's camera port.

#include "app/main_dlg/camera_port.h"

namespace orbisk {

CameraFactory ControllerCameraFactory() {
    return [](bool, int) { return std::unique_ptr<CameraPort>(); };
}

}  // namespace orbisk
