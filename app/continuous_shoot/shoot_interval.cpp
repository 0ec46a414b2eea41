#include "app/continuous_shoot/shoot_interval.h"

#include <cmath>

namespace orbisk {

bool IsShootInterval(double seconds) {
    return seconds >= kMinShootInterval && seconds <= kMaxShootInterval;
}

float OpeningShootInterval(double seconds) {
    if (!IsShootInterval(seconds)) seconds = kDefaultShootInterval;
    // The small lift keeps 5.0, stored as 4.99999..., at 50 tenths.
    const int tenths = static_cast<int>(std::trunc(seconds * 10 + 1e-6));
    return static_cast<float>(tenths) / 10.0f;
}

std::optional<float> ParseShootInterval(const QString& text) {
    bool ok = false;
    const double seconds = text.trimmed().toDouble(&ok);
    if (!ok || !IsShootInterval(seconds)) return std::nullopt;
    return static_cast<float>(seconds);
}

int IntervalCountdownMs(float seconds) { return static_cast<int>(seconds * 1000.0f); }

bool CountdownTick(int& countdownMs, float intervalSeconds) {
    countdownMs -= kCountdownTickMs;
    if (countdownMs > 0) return false;
    countdownMs = IntervalCountdownMs(intervalSeconds);
    return true;
}

}  // namespace orbisk
