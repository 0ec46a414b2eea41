#pragma once

#include <QEvent>
#include <QObject>
#include <QtGlobal>

// Private window messages between threads and windows. A message keeps its
// historical number and its two parameters; it travels as an event posted
// (never sent) to the target object, so that a worker thread never waits for
// the UI. Every private message of the program is numbered here, once.
namespace orbisk::platform {

inline constexpr int kWmUser = 0x400;

// To the main window.
inline constexpr int WM_CROP_BOX_DONE = kWmUser + 33;
inline constexpr int WM_SHOOT_REQUEST = kWmUser + 48;
inline constexpr int WM_PAGE_DLG_CLOSED = kWmUser + 49;
inline constexpr int WM_SHOOT_STATUS = kWmUser + 50;
inline constexpr int WM_PREFIX_CHANGED = kWmUser + 51;
inline constexpr int WM_ORIENTATION_RESULT = kWmUser + 52;
inline constexpr int WM_MERGE_DLG_CLOSED = kWmUser + 53;
// From a thumbnail tile to its owner: wParam the tile index, lParam 1 left
// click, 2 right click.
inline constexpr int WM_TILE_CLICKED = kWmUser + 80;
// Posted to the main window for each press of the camera's snapshot button.
inline constexpr int WM_CAMERA_SNAPSHOT = kWmUser + 101;

// The preview window and its canvas.
inline constexpr int WM_SECOND_FRAME_READY = kWmUser + 100;
inline constexpr int WM_PREVIEW_DBLCLK = kWmUser + 102;
// Posted to the preview window for each new frame.
inline constexpr int WM_FRAME_READY = kWmUser + 103;
inline constexpr int WM_PREVIEW_SET_OBJECT = kWmUser + 104;
inline constexpr int WM_PREVIEW_REMOVE_OBJECT = kWmUser + 105;
inline constexpr int WM_PREVIEW_GET_IMAGE = kWmUser + 106;
inline constexpr int WM_PREVIEW_FRAME_DONE = kWmUser + 107;
inline constexpr int WM_PREVIEW_SET_VIEW = kWmUser + 108;
inline constexpr int WM_PREVIEW_GET_OBJECT = kWmUser + 109;
inline constexpr int WM_CANVAS_SHOW_IMAGE = kWmUser + 110;

// From a radio button to the other buttons of its group (same number as
// WM_SECOND_FRAME_READY; the two never reach the same window).
inline constexpr int WM_FXBUTTON_UNCHECK = kWmUser + 100;

// The image-path hand-off to a client program.
inline constexpr int WM_IMAGE_PATH_REQUEST = 0x500;
inline constexpr int WM_IMAGE_PATH_READY = 0x501;

// Between programs, through the named windows: the camera-owner probe (answered
// with 51 while the other program leaves the camera to us) and the notice to
// the sibling program that the main window has gone.
inline constexpr int WM_SERVER_QUERY = 0x455;
inline constexpr int WM_SIBLING_EXIT = 2024;

class WindowMessageEvent : public QEvent {
  public:
    WindowMessageEvent(int message, qintptr wParam, qintptr lParam)
        : QEvent(Type()), message_(message), wParam_(wParam), lParam_(lParam) {}

    // The event type of every private message; registered once.
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
void PostWindowMessage(QObject* target, int message, qintptr wParam = 0, qintptr lParam = 0);

}  // namespace orbisk::platform
