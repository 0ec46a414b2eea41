#include "platform/camera_notify.h"

#include <QCoreApplication>

namespace orbisk::platform {

QEvent::Type CameraNotifyEvent::Type() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void PostCameraMessage(QObject* target, int message, qintptr wParam, qintptr lParam) {
    if (target) {
        QCoreApplication::postEvent(target, new CameraNotifyEvent(message, wParam, lParam));
    }
}

}  // namespace orbisk::platform
