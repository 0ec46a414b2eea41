#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"
#include "tests/support/main_window/main_window_test.h"

#include <gtest/gtest.h>
#include <QLineEdit>

namespace orbisk {
namespace {

using namespace ids::main_dlg;

// The main window as the program runs it, on the simulated camera pair.
class SimulatedStartupTest : public test::MainWindowTest {
  protected:
    SimulatedStartupTest() {
        UseSimulatedCamera();
        branding_.logo.fill(Qt::darkBlue);
    }

    std::unique_ptr<COrbiskDlg> Start(const QString& ini) { return StartWindow(ini); }
};

TEST_F(SimulatedStartupTest, OpensBothCamerasShowsTheDocumentAndStoresTheSettingsAtExit) {
    auto dlg = Start(QStringLiteral("[OTHER]\nROTATION=90\n[IMAGE]\nINDEX=5\n"));
    ASSERT_TRUE(completed_) << shown_.join('\n').toStdString();
    EXPECT_TRUE(shown_.isEmpty());
    ASSERT_NE(dlg->DocCamera(), nullptr);
    EXPECT_NE(dlg->PorCamera(), nullptr);
    EXPECT_EQ(dlg->DisplayMode(), 0);
    // An unknown camera with no configured size: a real size and its dpi.
    const SysSettings s = dlg->GetSettings();
    EXPECT_GT(s.DocCamWidth, 0);
    EXPECT_GT(s.XDPI, 0);
    EXPECT_EQ(s.ROTATION, 90);
    dlg->show();
    dlg->ControlAs<QLineEdit>(IDC_INDEX_EDIT)->setText(QStringLiteral("9"));
    dlg->OnCommand(IDC_ROTATE_LEFT);
    dlg->DestroyWindow();
    EXPECT_EQ(dlg->DocCamera(), nullptr);
    const SysSettings stored = Stored();
    EXPECT_EQ(stored.INDEX, 9);
    EXPECT_EQ(stored.ROTATION, 0);
    EXPECT_EQ(stored.DocCamWidth, s.DocCamWidth);
}

TEST_F(SimulatedStartupTest, StartsAgainAfterAnExit) {
    for (int run = 0; run < 3; ++run) {
        auto dlg = Start(QString());
        ASSERT_TRUE(completed_) << "run " << run << ": " << shown_.join('\n').toStdString();
        dlg->show();
        dlg->DestroyWindow();
    }
}

}  // namespace
}  // namespace orbisk
