#pragma once

#include "platform/worker_thread.h"

#include <chrono>

namespace orbisk {

// The monotonic clock that paces a recording and stamps its frames. Tests
// put a clock of their own here, so that seconds of recording take no
// seconds of waiting.
class IRecordingClock {
  public:
    using Duration = std::chrono::nanoseconds;
    virtual ~IRecordingClock() = default;
    // The time since any fixed point; never goes back.
    virtual Duration Now() = 0;
    // Returns once Now() has reached `time`: true, or false as soon as the
    // thread is asked to stop.
    virtual bool WaitUntil(Duration time, platform::WorkerThread::Context& context) = 0;
};

// std::chrono::steady_clock.
class SteadyRecordingClock final : public IRecordingClock {
  public:
    Duration Now() override;
    bool WaitUntil(Duration time, platform::WorkerThread::Context& context) override;
};

}  // namespace orbisk
