#include "platform/window_messages.h"

#include <QCoreApplication>

namespace orbisk::platform {

QEvent::Type WindowMessageEvent::Type() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void PostWindowMessage(QObject* target, int message, qintptr wParam, qintptr lParam) {
    if (target) {
        QCoreApplication::postEvent(target, new WindowMessageEvent(message, wParam, lParam));
    }
}

}  // namespace orbisk::platform
