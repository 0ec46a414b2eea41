#pragma once

#include <chrono>
#include <functional>

namespace orbisk::test {

// Runs the thread's Qt events (where it has an event loop) and checks `done`
// every few milliseconds until it holds or `timeout` has passed. The last
// answer of `done`.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));

}  // namespace orbisk::test
