#include "core/command_ids.h"
#include "tests/app/started_window.h"
#include "tests/platform/fake_v4l2_rig.h"
#include "ui/preferences/image_para_dialog.h"
#include "ui/preferences/system_info_dialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <functional>

namespace orbisk {
namespace {

using namespace ids::main_dlg;

class PreferencesCommandTest : public test::StartedWindowTest {
  protected:
    // Button 1041 with `act` run on the dialog once its modal loop runs.
    void Press(COrbiskDlg& dlg, std::function<void(CSystemInfoDialog&)> act) {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* prefs = qobject_cast<CSystemInfoDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(prefs, nullptr);
            shown = prefs->isVisible();
            act(*prefs);
            // A refusal would leave it open: the test ends it either way.
            if (prefs->isVisible()) prefs->reject();
        });
        ASSERT_TRUE(dlg.OnCommand(IDC_PREFERENCES));
        EXPECT_TRUE(shown);
    }

    // No camera of the system reaches the size probe.
    test::FakeV4l2Rig rig_;
};

TEST_F(PreferencesCommandTest, OkTakesTheEditedCopyAndWritesSysIni) {
    auto dlg = Start();
    const QByteArray before = test::ReadBytes(dir_.File("Sys.ini"));
    Press(*dlg, [](CSystemInfoDialog& prefs) {
        EXPECT_EQ(prefs.GetSettings().Language, 2);
        prefs.ImagePage()
            ->findChild<QLineEdit*>(QString::number(ids::image_page::IDC_XDPI))
            ->setText("250");
        prefs.OnConfirm();
    });
    EXPECT_EQ(dlg->GetSettings().XDPI, 250);
    EXPECT_EQ(test::StoredSettings(dir_.File("Sys.ini")).XDPI, 250);
    EXPECT_NE(test::ReadBytes(dir_.File("Sys.ini")), before);
}

TEST_F(PreferencesCommandTest, CancelChangesNeitherTheSettingsNorTheFile) {
    auto dlg = Start();
    const QByteArray before = test::ReadBytes(dir_.File("Sys.ini"));
    const int xdpi = dlg->GetSettings().XDPI;
    Press(*dlg, [](CSystemInfoDialog& prefs) {
        prefs.ImagePage()
            ->findChild<QLineEdit*>(QString::number(ids::image_page::IDC_XDPI))
            ->setText("250");
        prefs.reject();
    });
    EXPECT_EQ(dlg->GetSettings().XDPI, xdpi);
    EXPECT_EQ(test::ReadBytes(dir_.File("Sys.ini")), before);
}

}  // namespace
}  // namespace orbisk
