#pragma once

#include <QEvent>
#include <QObject>
#include <QtGlobal>

// Window messages from the camera's threads to the windows that show and
// capture its frames. A message is an event posted (never sent) to the
// target object, so that a capture thread never waits for the UI.
namespace orbisk::platform {

inline constexpr int kWmUser = 0x400;
// Posted to the main window for each press of the camera's snapshot button.
inline constexpr int WM_CAMERA_SNAPSHOT = kWmUser + 101;
// Posted to the preview window for each new frame.
inline constexpr int WM_FRAME_READY = kWmUser + 103;

class CameraNotifyEvent : public QEvent {
public:
    CameraNotifyEvent(int message, qintptr wParam, qintptr lParam)
        : QEvent(Type()), message_(message), wParam_(wParam), lParam_(lParam) {}

    // The event type of every camera message; registered once.
    static QEvent::Type Type();

    int Message() const { return message_; }
    qintptr WParam() const { return wParam_; }
    qintptr LParam() const { return lParam_; }

private:
    int message_;
    qintptr wParam_;
    qintptr lParam_;
};

// Posts the message to the target; nothing for a null target. Any thread.
void PostCameraMessage(QObject* target, int message, qintptr wParam = 0, qintptr lParam = 0);

}  // namespace orbisk::platform
