#pragma once

#include "platform/worker_thread.h"

#include <chrono>
#include <functional>
#include <memory>

namespace orbisk::platform {

// A running interval timer; it stops when it goes.
class IntervalTimer {
  public:
    virtual ~IntervalTimer() = default;
};

// What paces the program's periodic work: the interval timers of its windows
// (the countdown of timed shooting, the window's one-second timer) and the
// cycles of its worker threads. The program runs on the system's clock; tests
// step one of their own, so that time passes only when they say.
class PacingClock {
  public:
    virtual ~PacingClock() = default;

    // Calls `tick` every `period` on the calling thread, which runs an event
    // loop, until the timer goes.
    virtual std::unique_ptr<IntervalTimer> StartTimer(std::chrono::milliseconds period,
                                                      std::function<void()> tick) = 0;
    // On a worker thread: waits `period`; false at once when the worker's stop
    // is requested, as Context::WaitFor.
    virtual bool WaitFor(WorkerThread::Context& context, std::chrono::milliseconds period) = 0;
};

// The system's clock: Qt timers and the worker's own waits.
PacingClock& SystemPacingClock();

}  // namespace orbisk::platform
