#pragma once

#include "platform/pacing_clock.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace orbisk::test {

// A clock that moves only when the test says: interval timers tick and worker
// waits end as Advance passes their time. A worker's wait that no Advance
// ends gives up after half a minute of real time and is counted, so that a
// test fails on it rather than hangs.
class ManualClock : public platform::PacingClock {
  public:
    std::unique_ptr<platform::IntervalTimer> StartTimer(std::chrono::milliseconds period,
                                                        std::function<void()> tick) override;
    bool WaitFor(platform::WorkerThread::Context& context,
                 std::chrono::milliseconds period) override;

    // Moves the clock on by `span`. The timers tick on the calling thread,
    // once for each of their periods that passes, in the order of their time;
    // the worker waits that end by then end.
    void Advance(std::chrono::milliseconds span);
    std::chrono::milliseconds Now() const;
    // The worker waits under way, those that time ended, and those that gave
    // up.
    int Waiting() const;
    int Woken() const;
    int GaveUp() const;
    // The timers running.
    int Timers() const;

  private:
    struct Timer {
        std::chrono::milliseconds period;
        std::chrono::milliseconds next;
        std::function<void()> tick;
    };
    class Handle;

    mutable std::mutex mutex_;
    std::condition_variable_any moved_;
    std::chrono::milliseconds now_{0};
    int waiting_ = 0;
    int woken_ = 0;
    int gaveUp_ = 0;
    std::vector<std::shared_ptr<Timer>> timers_;
};

// Lets the one worker that waits on `clock` run `cycles` cycles of `period`,
// each to its end: it waits for the next one again. False when a cycle did not
// end within a minute of real time.
bool StepWorkerCycles(ManualClock& clock, std::size_t cycles, std::chrono::milliseconds period);

}  // namespace orbisk::test
