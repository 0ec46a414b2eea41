#include "platform/window_destroy_watch.h"

#include <QCoreApplication>

#include <xcb/xproto.h>

namespace orbisk::platform {

WindowDestroyWatch::WindowDestroyWatch(std::function<quintptr()> window,
                                       std::function<void()> destroyed)
    : window_(std::move(window)), destroyed_(std::move(destroyed)) {
    if (QCoreApplication* app = QCoreApplication::instance()) app->installNativeEventFilter(this);
}

WindowDestroyWatch::~WindowDestroyWatch() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

bool WindowDestroyWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || message == nullptr) return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    // The high bit marks an event another client sent.
    if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY) return false;
    const auto* destroy = static_cast<const xcb_destroy_notify_event_t*>(message);
    const quintptr watched = window_ ? window_() : 0;
    if (watched != 0 && destroy->window == watched && destroyed_) destroyed_();
    return false;
}

}  // namespace orbisk::platform
