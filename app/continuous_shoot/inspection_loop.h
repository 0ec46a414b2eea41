#pragma once

#include <atomic>
#include <chrono>

#include "platform/worker_thread.h"

class QObject;

namespace orbisk {

class IShootCamera;

// The inspection thread's body: every `period` (a stop ends the wait at
// once) it judges the camera's current frame and posts the verdict, or the
// no-camera status when there is none. The history starts empty.
void InspectThreadProc(platform::WorkerThread::Context& context,
                       const std::atomic<IShootCamera*>& camera, QObject* owner, QObject* dialog,
                       std::chrono::milliseconds period);

}  // namespace orbisk
