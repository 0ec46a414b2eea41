#include "tests/support/manual_clock.h"

#include "tests/support/wait_until.h"

#include <algorithm>

namespace orbisk::test {

namespace {
constexpr auto kGiveUp = std::chrono::seconds(30);
}

class ManualClock::Handle : public platform::IntervalTimer {
  public:
    Handle(ManualClock& clock, std::shared_ptr<Timer> timer)
        : clock_(clock), timer_(std::move(timer)) {}
    ~Handle() override {
        std::lock_guard lock(clock_.mutex_);
        std::erase(clock_.timers_, timer_);
    }

  private:
    ManualClock& clock_;
    std::shared_ptr<Timer> timer_;
};

std::unique_ptr<platform::IntervalTimer> ManualClock::StartTimer(std::chrono::milliseconds period,
                                                                 std::function<void()> tick) {
    std::lock_guard lock(mutex_);
    auto timer = std::make_shared<Timer>(Timer{period, now_ + period, std::move(tick)});
    timers_.push_back(timer);
    return std::make_unique<Handle>(*this, timer);
}

bool ManualClock::WaitFor(platform::WorkerThread::Context& context,
                          std::chrono::milliseconds period) {
    std::unique_lock lock(mutex_);
    const auto until = now_ + period;
    ++waiting_;
    const bool ended =
        moved_.wait_for(lock, context.Token(), kGiveUp, [&] { return now_ >= until; });
    --waiting_;
    if (context.StopRequested()) return false;
    ++(ended ? woken_ : gaveUp_);
    return true;
}

void ManualClock::Advance(std::chrono::milliseconds span) {
    std::unique_lock lock(mutex_);
    const auto target = now_ + span;
    for (;;) {
        // The next tick due by then; a tick may stop or start timers.
        std::shared_ptr<Timer> due;
        for (const auto& timer : timers_) {
            if (timer->next <= target && (!due || timer->next < due->next)) due = timer;
        }
        if (!due) break;
        now_ = std::max(now_, due->next);
        due->next += due->period;
        moved_.notify_all();
        const std::function<void()> tick = due->tick;
        lock.unlock();
        tick();
        lock.lock();
    }
    now_ = target;
    moved_.notify_all();
}

std::chrono::milliseconds ManualClock::Now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

int ManualClock::Waiting() const {
    std::lock_guard lock(mutex_);
    return waiting_;
}

int ManualClock::Woken() const {
    std::lock_guard lock(mutex_);
    return woken_;
}

int ManualClock::GaveUp() const {
    std::lock_guard lock(mutex_);
    return gaveUp_;
}

int ManualClock::Timers() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(timers_.size());
}

bool StepWorkerCycles(ManualClock& clock, std::size_t cycles, std::chrono::milliseconds period) {
    // Slow under the sanitizers: a cycle may draw or judge a whole frame.
    constexpr auto kCycleLimit = std::chrono::minutes(1);
    for (std::size_t i = 0; i < cycles; ++i) {
        if (!WaitUntil([&] { return clock.Waiting() == 1; }, kCycleLimit)) return false;
        const int woken = clock.Woken();
        clock.Advance(period);
        const bool ended =
            WaitUntil([&] { return clock.Woken() > woken && clock.Waiting() == 1; }, kCycleLimit);
        if (!ended) return false;
    }
    return true;
}

}  // namespace orbisk::test
