#pragma once

#include <poll.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>

namespace orbisk::platform {

// The one worker thread of the program: every background loop (capture,
// snapshot button, preview frames, inspection, orientation, recording) runs
// on one of these. A stop request wakes every wait of the body at once, so
// Stop() returns as soon as the body notices, never after a full period.
class WorkerThread {
  public:
    struct State;

    // What the body sees of its thread.
    class Context {
      public:
        Context(std::stop_token token, std::shared_ptr<State> state);

        bool StopRequested() const { return token_.stop_requested(); }
        const std::stop_token& Token() const { return token_; }

        // Sleeps for `period`; false at once when a stop is requested.
        bool WaitFor(std::chrono::milliseconds period);

        enum class Wake { kReady, kTimeout, kStopped, kError };
        // Waits until `fd` has one of `events` (its revents in *revents),
        // the timeout passes (-1: never) or a stop is requested. kError is a
        // failed poll other than EINTR.
        Wake WaitFd(int fd, int timeout_ms = -1, short events = POLLIN, short* revents = nullptr);

      private:
        std::stop_token token_;
        std::shared_ptr<State> state_;
    };

    using Body = std::function<void(Context&)>;

    WorkerThread() = default;
    ~WorkerThread() { Stop(); }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the body; false (nothing started) while a thread still runs or
    // has not been joined.
    bool Start(Body body);
    // Asks the body to end without waiting for it; any thread.
    void RequestStop();
    // Asks and joins; safe to call twice, and from the body itself (then it
    // only asks, and the thread is joined by the next Stop or the destructor).
    void Stop();
    // Started and its body has not returned yet.
    bool Running() const;
    bool Joinable() const { return thread_.joinable(); }

  private:
    std::shared_ptr<State> state_;
    std::jthread thread_;
};

}  // namespace orbisk::platform
