#include "app/continuous_shoot/inspection_loop.h"

#include "app/continuous_shoot/new_page_rule.h"
#include "app/continuous_shoot/shoot_camera.h"
#include "platform/window_messages.h"

namespace orbisk {

void InspectThreadProc(platform::WorkerThread::Context& context, platform::PacingClock& clock,
                       const std::atomic<IShootCamera*>& camera, InspectionHold& hold,
                       QObject* owner, QObject* dialog, std::chrono::milliseconds period) {
    NewPageInspector inspector;
    while (clock.WaitFor(context, period)) {
        if (hold.held.load()) {
            ++hold.skipped;
            continue;
        }
        IShootCamera* watched = camera.load();
        if (watched == nullptr || !watched->HasCamera()) {
            platform::PostWindowMessage(dialog, platform::WM_SHOOT_STATUS, 0,
                                        static_cast<int>(ShootStatus::kNoCamera));
            continue;
        }
        PostVerdict(inspector.Inspect(watched->CurrentFrame()), owner, dialog);
    }
}

}  // namespace orbisk
