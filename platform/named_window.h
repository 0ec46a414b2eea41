#pragma once

#include "platform/worker_thread.h"

#include <QString>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <optional>

// Messages to a top-level window of another process found by its title. Each
// registered title is a Unix-domain socket under $XDG_RUNTIME_DIR/orbisk/; a
// message carries (message, wParam, lParam) and gets one number back.
namespace orbisk::platform {

// The folder of the sockets, created when needed (mode 0700).
QString NamedWindowFolder();

// Whether a window of that title is registered and listening.
bool NamedWindowExists(const QString& title);

// Sends the message to the window of that title and waits for its answer;
// nothing when there is no such window or it does not answer within `timeout`.
std::optional<qintptr> SendNamedWindowMessage(
    const QString& title, int message, qintptr wParam = 0, qintptr lParam = 0,
    std::chrono::milliseconds timeout = std::chrono::seconds(1));

// A title registered for this process. The handler answers each message on
// the registration's own thread.
class NamedWindow {
  public:
    using Handler = std::function<qintptr(int message, qintptr wParam, qintptr lParam)>;

    NamedWindow() = default;
    ~NamedWindow() { Unregister(); }
    NamedWindow(const NamedWindow&) = delete;
    NamedWindow& operator=(const NamedWindow&) = delete;

    // False when a live window holds the title already or the socket cannot
    // be made; a stale socket of an ended process is replaced.
    bool Register(const QString& title, Handler handler);
    void Unregister();
    bool IsRegistered() const { return fd_ >= 0; }

  private:
    WorkerThread thread_;
    QString path_;
    int fd_ = -1;
};

}  // namespace orbisk::platform
