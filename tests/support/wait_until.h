#pragma once

#include <chrono>
#include <functional>

namespace orbisk::test {

// Runs the thread's Qt events (where it has an event loop) and checks `done`
// every few milliseconds until it holds or `timeout` has passed. The last
// answer of `done`. The default is long: a wait ends as soon as its event
// comes, and a loaded machine (CI's parallel parts under the sanitizers)
// must not turn a slow event into a failure.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(30));

}  // namespace orbisk::test
