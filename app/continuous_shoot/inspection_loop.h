#pragma once

#include <atomic>
#include <chrono>

#include "platform/pacing_clock.h"
#include "platform/worker_thread.h"

class QObject;

namespace orbisk {

class IShootCamera;

// Set while the owner captures: the inspection then takes no frame and
// posts nothing.
struct InspectionHold {
    std::atomic<bool> held{false};
    // The cycles that passed held.
    std::atomic<long> skipped{0};
};

// The inspection thread's body: every `period` of `clock` (a stop ends the
// wait at once) it judges the camera's current frame and posts the verdict,
// or the no-camera status when there is none; a held cycle does nothing. The
// history starts empty.
void InspectThreadProc(platform::WorkerThread::Context& context, platform::PacingClock& clock,
                       const std::atomic<IShootCamera*>& camera, InspectionHold& hold,
                       QObject* owner, QObject* dialog, std::chrono::milliseconds period);

}  // namespace orbisk
