#include "app/main_dlg/capture_gate.h"

#include <utility>

namespace orbisk {
namespace {

// Leaves the gate free however the commands end.
class BusyStretch {
  public:
    explicit BusyStretch(std::function<void(bool)> end) : end_(std::move(end)) {}
    ~BusyStretch() { end_(false); }
    BusyStretch(const BusyStretch&) = delete;
    BusyStretch& operator=(const BusyStretch&) = delete;

  private:
    std::function<void(bool)> end_;
};

}  // namespace

void CaptureGate::Run(Command command) {
    if (!command) return;
    if (busy_) {
        if (!pending_) pending_ = std::move(command);
        return;
    }
    SetBusy(true);
    const BusyStretch stretch([this](bool busy) {
        pending_ = nullptr;
        SetBusy(busy);
    });
    for (Command next = std::move(command); next; next = std::exchange(pending_, nullptr)) {
        next();
    }
}

void CaptureGate::SetBusy(bool busy) {
    busy_ = busy;
    if (observer_) observer_(busy);
}

}  // namespace orbisk
