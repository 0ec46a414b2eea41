#include "platform/pacing_clock.h"

#include <QTimer>

namespace orbisk::platform {
namespace {

class QtIntervalTimer : public IntervalTimer {
  public:
    QtIntervalTimer(std::chrono::milliseconds period, std::function<void()> tick) {
        QObject::connect(&timer_, &QTimer::timeout, std::move(tick));
        timer_.start(period);
    }

  private:
    QTimer timer_;
};

class SystemClock : public PacingClock {
  public:
    std::unique_ptr<IntervalTimer> StartTimer(std::chrono::milliseconds period,
                                              std::function<void()> tick) override {
        return std::make_unique<QtIntervalTimer>(period, std::move(tick));
    }
    bool WaitFor(WorkerThread::Context& context, std::chrono::milliseconds period) override {
        return context.WaitFor(period);
    }
};

}  // namespace

PacingClock& SystemPacingClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace orbisk::platform
