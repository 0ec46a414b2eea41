#pragma once

#include <QAbstractNativeEventFilter>
#include <QtGlobal>

#include <functional>

namespace orbisk::platform {

// Tells when the window system destroys a top-level window behind Qt's back.
// On X any client may destroy any window without asking it to close, and Qt
// then goes on as if the window were there. X (xcb) is the one window system
// that does this; elsewhere nothing is told. Lives on the UI thread.
class WindowDestroyWatch : public QAbstractNativeEventFilter {
  public:
    // `window` gives the watched window's native id as it is now (0 while it
    // has none); `destroyed` runs when the window system reports that window
    // destroyed, from within the event dispatch.
    WindowDestroyWatch(std::function<quintptr()> window, std::function<void()> destroyed);
    ~WindowDestroyWatch() override;
    WindowDestroyWatch(const WindowDestroyWatch&) = delete;
    WindowDestroyWatch& operator=(const WindowDestroyWatch&) = delete;

    // Lets every event on to Qt.
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    std::function<quintptr()> window_;
    std::function<void()> destroyed_;
};

}  // namespace orbisk::platform
