#include "video/recording_clock.h"

namespace orbisk {

IRecordingClock::Duration SteadyRecordingClock::Now() {
    return std::chrono::steady_clock::now().time_since_epoch();
}

bool SteadyRecordingClock::WaitUntil(Duration time, platform::WorkerThread::Context& context) {
    for (;;) {
        if (context.StopRequested()) {
            return false;
        }
        const Duration left = time - Now();
        if (left <= Duration::zero()) {
            return true;
        }
        // Rounded up: waking early would only wait again.
        if (!context.WaitFor(std::chrono::ceil<std::chrono::milliseconds>(left))) {
            return false;
        }
    }
}

}  // namespace orbisk
