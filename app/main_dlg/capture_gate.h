#pragma once

#include <functional>
#include <utility>

namespace orbisk {

// One capture at a time, none lost. A capture command that shows a modal box
// (a name to type, a barcode message, a write failure) runs a nested event
// loop, which delivers the presses and shot requests that arrive meanwhile.
// Such a request is kept instead of starting a second capture inside the
// first: one pending request, run as soon as the running command returns
// (requests beyond it join it). Every capture command goes through the one
// gate of its window.
class CaptureGate {
  public:
    using Command = std::function<void()>;

    // `observer` is told true when the gate becomes busy and false when the
    // last command has returned: once each per busy stretch, however many
    // commands it held.
    explicit CaptureGate(std::function<void(bool busy)> observer = {})
        : observer_(std::move(observer)) {}

    // Runs `command` now, or keeps it while another runs.
    void Run(Command command);

    // A command runs (its pending one included).
    bool Busy() const { return busy_; }
    bool HasPending() const { return static_cast<bool>(pending_); }

  private:
    void SetBusy(bool busy);

    bool busy_ = false;
    Command pending_;
    std::function<void(bool)> observer_;
};

}  // namespace orbisk
