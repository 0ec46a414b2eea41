// Unplugging and plugging the simulated camera pair back in while continuous
// shooting and the orientation thread read the document camera.

#include "app/continuous_shoot/continuous_shoot_dlg.h"
#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"
#include "platform/simulated_camera.h"
#include "platform/simulated_camera_id.h"
#include "tests/support/main_window/main_window_test.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>
#include <QDir>

namespace orbisk {
namespace {

using namespace ids::main_dlg;

// Decides nothing, as fast as it is asked.
class NoDecision : public IOrientationDetector {
  public:
    bool Initialize(const std::string&) override { return true; }
    bool Detect(const cv::Mat&, int*) override { return false; }
};

int OpenFileDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

class SimulatedHotplugTest : public test::MainWindowTest {
  protected:
    SimulatedHotplugTest() {
        UseSimulatedCamera();
        env_.deviceChangeDelay = std::chrono::milliseconds(5);
        env_.orientationDetector = [] { return std::make_unique<NoDecision>(); };
        platform::SimulatedCamera::SetFrameRate(100);
    }

    // Unplugged, then back: true when both cameras are open and the document
    // camera delivers frames again.
    bool Cycle(COrbiskDlg& dlg) {
        const std::string doc = platform::kSimulatedDocumentProductId;
        platform::SimulatedCamera::Unplug(doc);
        if (!test::WaitUntil([&] { return dlg.DocCamera() == nullptr; })) return false;
        const long delivered = platform::SimulatedCamera::FramesDelivered(doc);
        platform::SimulatedCamera::Plug(doc);
        return test::WaitUntil([&] {
            return dlg.DocCamera() && dlg.PorCamera() &&
                   platform::SimulatedCamera::FramesDelivered(doc) > delivered;
        });
    }
};

TEST_F(SimulatedHotplugTest, ManyCyclesWhileShootingAndOrientationRunLoseNothing) {
    // A few here (each reopens two cameras); ORBISK_HOTPLUG_CYCLES=100 for
    // the long run under the sanitizers.
    const int kCycles = qEnvironmentVariableIntValue("ORBISK_HOTPLUG_CYCLES") > 0
                            ? qEnvironmentVariableIntValue("ORBISK_HOTPLUG_CYCLES")
                            : 4;
    auto dlg = StartWindow(QStringLiteral("[IMAGE]\nDOCCHECK=TRUE\n[Language]\nCurrent=EN\n"));
    ASSERT_TRUE(completed_) << shown_.join('\n').toStdString();
    dlg->show();
    ASSERT_TRUE(Cycle(*dlg));  // the first reopen makes what every later one reuses
    const int fds = OpenFileDescriptors();
    int messages = int(shown_.size());
    for (int i = 0; i < kCycles; ++i) {
        dlg->OnCommand(IDC_CONTINUOUS_SHOOT);
        ASSERT_NE(dlg->ShootDlg(), nullptr);
        dlg->ShootDlg()->SetInspectionPeriod(std::chrono::milliseconds(5));
        dlg->ShootDlg()->OnStart();
        ASSERT_TRUE(dlg->OrientationRunning());
        ASSERT_TRUE(Cycle(*dlg)) << "cycle " << i;
        // The dialog went with its thread; one message per unplug.
        EXPECT_EQ(dlg->ShootDlg(), nullptr);
        EXPECT_EQ(shown_.size(), ++messages);
        EXPECT_EQ(dlg->DisplayMode(), 0);
    }
    EXPECT_TRUE(dlg->OrientationRunning());
    EXPECT_LE(OpenFileDescriptors(), fds);
    EXPECT_EQ(shown_.count(dlg->Texts()[kMsgUnplugged]), shown_.size());
    dlg->DestroyWindow();
}

}  // namespace
}  // namespace orbisk
