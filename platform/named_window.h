#pragma once

#include "platform/worker_thread.h"

#include <QString>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Messages to a top-level window of another process found by its title. Each
// registered title is a Unix-domain socket under $XDG_RUNTIME_DIR/orbisk/; a
// message carries (message, wParam, lParam) and gets one number back. Any
// program of the desktop can be at the other end, so nothing here waits
// longer than its deadline for it.
namespace orbisk::platform {

// The folder of the sockets, created when needed (mode 0700). Without
// XDG_RUNTIME_DIR it lies under the temporary folder, where another user may
// have made it first: a folder (or any part of the path we make) that is not
// a real folder of ours is refused, and the result is empty: then no window
// can be registered or reached.
QString NamedWindowFolder();

// The socket a window of that title listens on; empty without a folder.
QString NamedWindowSocketPath(const QString& title);

// Whether a window of that title is registered and listening. Never waits.
bool NamedWindowExists(const QString& title);

// Sends the message to the window of that title and waits for its answer;
// nothing when there is no such window or it does not take the message and
// answer within `timeout` (the connection included).
std::optional<qintptr> SendNamedWindowMessage(
    const QString& title, int message, qintptr wParam = 0, qintptr lParam = 0,
    std::chrono::milliseconds timeout = std::chrono::seconds(1));

// Posts messages from a thread of its own, so that the caller never waits for
// the receiver: each post has `timeout` to reach the window and hand over its
// message, and no answer is awaited. A window that is not there gets nothing.
class NamedWindowPoster {
  public:
    explicit NamedWindowPoster(std::chrono::milliseconds timeout = std::chrono::milliseconds(500));
    ~NamedWindowPoster();
    NamedWindowPoster(const NamedWindowPoster&) = delete;
    NamedWindowPoster& operator=(const NamedWindowPoster&) = delete;

    // Hands the message to the posting thread and returns at once; false when
    // kMaxPending posts are waiting already (this one is dropped).
    bool Post(const QString& title, int message, qintptr wParam = 0, qintptr lParam = 0);
    void SetTimeout(std::chrono::milliseconds timeout);

    static constexpr int kMaxPending = 16;

  private:
    void StartThread();

    struct Queue;
    std::shared_ptr<Queue> queue_;
    WorkerThread thread_;
};

// A title registered for this process. The handler answers each message on
// the registration's own thread; clients are served side by side, so one that
// is slow to send its message delays nobody, and each has kClientDeadline to
// send it whole.
class NamedWindow {
  public:
    using Handler = std::function<qintptr(int message, qintptr wParam, qintptr lParam)>;

    static constexpr auto kClientDeadline = std::chrono::milliseconds(500);
    static constexpr int kMaxClients = 64;

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
