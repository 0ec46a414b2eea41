// Nothing acts on the main window before its start-up has filled it: the
// splash wait and the start-up's message boxes run the event loop.

#include "core/command_ids.h"
#include "platform/window_messages.h"
#include "tests/app/capture_fixture.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>
#include <QCoreApplication>

namespace orbisk {
namespace {

using namespace ids::main_dlg;

class StartupGateTest : public test::CaptureWindowTest {
  protected:
    StartupGateTest() {
        // The splash waits with the event loop running while the camera streams.
        env_.splashMilliseconds = 50;
    }

    static constexpr char kNaming[] =
        "FILE/PRECHOOSE=IMG|DOC\nFILE/PREFIX=DOC\nIMAGE/INDEX=41\nOTHER/RECOGNIZE=TRUE";
};

TEST_F(StartupGateTest, ASnapshotDuringTheSplashCapturesOnceTheWindowShowsTheStoredNaming) {
    cameras_.onRun = [](QWidget* window) {
        platform::PostWindowMessage(window, platform::WM_CAMERA_SNAPSHOT, 0, 0);
    };
    // No barcode on the page: the capture keeps the rule's name.
    COrbiskDlg& dlg = Start(QString::fromLatin1(kNaming) + "\nOTHER/BARCODETOFILE=FALSE");
    ASSERT_TRUE(test::WaitUntil([&] { return Grabs() == 1; }));
    EXPECT_EQ(Saved(), QStringList{"DOC00041.jpg"});
    dlg.DestroyWindow();
    const SysSettings stored = Stored();
    EXPECT_EQ(stored.INDEX, 42);
    EXPECT_EQ(stored.RECOGNIZE, 1);
}

TEST_F(StartupGateTest, ACommandDuringTheStartUpIsRefusedAndTheStoredNamingSurvives) {
    bool handled = true;
    cameras_.onRun = [&handled](QWidget* window) {
        handled = dynamic_cast<COrbiskDlg*>(window)->OnCommand(IDC_CAPTURE);
    };
    COrbiskDlg& dlg = Start(QString::fromLatin1(kNaming));
    EXPECT_FALSE(handled);
    EXPECT_EQ(Grabs(), 0);
    dlg.DestroyWindow();
    EXPECT_TRUE(Saved().isEmpty());
    const SysSettings stored = Stored();
    EXPECT_EQ(stored.INDEX, 41);
    EXPECT_EQ(stored.RECOGNIZE, 1);
    EXPECT_EQ(stored.PREFIX, QStringLiteral("DOC"));
}

TEST_F(StartupGateTest, MessagesOfAStartUpThatStoppedAreDropped) {
    cameras_.runResult = false;
    cameras_.onRun = [](QWidget* window) {
        platform::PostWindowMessage(window, platform::WM_CAMERA_SNAPSHOT, 0, 0);
    };
    Start(QString::fromLatin1(kNaming), false);
    ASSERT_FALSE(completed_);
    QCoreApplication::processEvents();
    EXPECT_EQ(Grabs(), 0);
}

}  // namespace
}  // namespace orbisk
