#pragma once

#include <QString>

#include <optional>

namespace orbisk {

// The interval of timed shooting, in seconds: 0.5 to 3600, as the main window
// allows. Outside that a countdown would shoot on every tick or overflow.
inline constexpr double kMinShootInterval = 0.5;
inline constexpr double kMaxShootInterval = 3600;
inline constexpr double kDefaultShootInterval = 5.0;
// The countdown ticks once a second.
inline constexpr int kCountdownTickMs = 1000;

// Within range; NaN is not.
bool IsShootInterval(double seconds);

// The interval the dialog keeps of the one it is opened with: cut to tenths
// (5.04 gives 5.0); one out of range gives the default.
float OpeningShootInterval(double seconds);

// The operator's text as an interval; nothing when it is no number or out of
// range.
std::optional<float> ParseShootInterval(const QString& text);

// The countdown of a whole interval, milliseconds truncated.
int IntervalCountdownMs(float seconds);

// One tick of the countdown: true when it has run out, and then it starts
// again from the whole interval. An interval of a second or less therefore
// shoots on every tick.
bool CountdownTick(int& countdownMs, float intervalSeconds);

}  // namespace orbisk
