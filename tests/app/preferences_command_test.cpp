#include "core/command_ids.h"
#include "tests/app/started_window.h"
#include "tests/platform/fake_v4l2_rig.h"
#include "ui/preferences/image_para_dialog.h"
#include "ui/preferences/system_info_dialog.h"

#include "platform/capture_device.h"
#include "tests/support/wait_until.h"
#include "ui/preferences/advanced_setting_dialog.h"
#include "ui/preferences/preference_rules.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
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

QCheckBox* AdvancedCheck(CSystemInfoDialog& prefs, int id) {
    return prefs.AdvancedPage()->findChild<QCheckBox*>(QString::number(id));
}

TEST_F(PreferencesCommandTest, AFailedReopenShowsMessage10AndKeepsSettingsAndSysIni) {
    auto dlg = Start();
    const QByteArray before = test::ReadBytes(dir_.File("Sys.ini"));
    const int fast = dlg->GetSettings().FASTMODE;
    // The next controller made (the fast-mode reopen) cannot open.
    cameras_.openResultOf[cameras_.made] = 1;
    Press(*dlg, [](CSystemInfoDialog& prefs) {
        QCheckBox* check = AdvancedCheck(prefs, ids::advanced_page::IDC_FAST_MODE);
        ASSERT_NE(check, nullptr);
        check->setChecked(!check->isChecked());
        prefs.OnConfirm();
    });
    EXPECT_EQ(shown_, QStringList({dlg->Texts()[kMsgDocResolution]}));
    EXPECT_EQ(dlg->DocCamera(), nullptr);
    EXPECT_EQ(dlg->GetSettings().FASTMODE, fast);
    EXPECT_EQ(test::ReadBytes(dir_.File("Sys.ini")), before);
    // Every camera command does nothing now.
    dlg->OnCommand(IDC_SWITCH_CAMERA);
    dlg->OnCommand(IDC_AUTO_FOCUS);
    dlg->OnCommand(IDC_PREFERENCES);
    EXPECT_EQ(shown_.size(), 1);
}

TEST_F(PreferencesCommandTest, ARunFailingAtTheNewSizeShowsMessage10AndKeepsSysIni) {
    rig_.Add("1d6b", "0d41",
             {{platform::kFourCcYuyv, 2592, 1944}, {platform::kFourCcYuyv, 2592, 1458}});
    ini_["IMAGE"]["DocCamWidth"] = "2592";
    ini_["IMAGE"]["DocCamHeight"] = "1944";
    auto dlg = Start();
    const QByteArray before = test::ReadBytes(dir_.File("Sys.ini"));
    cameras_.runResult = false;
    Press(*dlg, [](CSystemInfoDialog& prefs) {
        auto* sizes = prefs.ImagePage()->findChild<QComboBox*>(
            QString::number(ids::image_page::IDC_RESOLUTION));
        ASSERT_NE(sizes, nullptr);
        sizes->setCurrentIndex(sizes->findText(SizeText(2592, 1458)));
        prefs.OnConfirm();
    });
    EXPECT_EQ(shown_, QStringList({dlg->Texts()[kMsgDocResolution]}));
    EXPECT_EQ(dlg->GetSettings().DocCamHeight, 1944);
    EXPECT_EQ(test::ReadBytes(dir_.File("Sys.ini")), before);
}

TEST_F(PreferencesCommandTest, AResolutionChangeOfOneAxisIsApplied) {
    rig_.Add("1d6b", "0d41",
             {{platform::kFourCcYuyv, 2592, 1944}, {platform::kFourCcYuyv, 2592, 1458}});
    ini_["IMAGE"]["DocCamWidth"] = "2592";
    ini_["IMAGE"]["DocCamHeight"] = "1944";
    ini_["IMAGE"]["CUTPAGETYPE"] = "1";
    auto dlg = Start();
    cameras_.log.clear();
    Press(*dlg, [](CSystemInfoDialog& prefs) {
        auto* sizes = prefs.ImagePage()->findChild<QComboBox*>(
            QString::number(ids::image_page::IDC_RESOLUTION));
        ASSERT_NE(sizes, nullptr);
        const int index = sizes->findText(SizeText(2592, 1458));
        ASSERT_GE(index, 0);
        sizes->setCurrentIndex(index);
        prefs.OnConfirm();
    });
    const QStringList calls = cameras_.CallsOf(kDocCamera);
    EXPECT_TRUE(calls.contains("SetResolution 2592x1458")) << calls.join(", ").toStdString();
    EXPECT_TRUE(calls.contains("Run"));
    EXPECT_EQ(dlg->GetSettings().DocCamHeight, 1458);
    EXPECT_EQ(dlg->GetSettings().CUTPAGETYPE, 0);
    EXPECT_EQ(test::StoredSettings(dir_.File("Sys.ini")).DocCamHeight, 1458);
}

TEST_F(PreferencesCommandTest, OrientationCheckStartsAndStopsTheThread) {
    env_.orientationBody = [](platform::WorkerThread::Context& context) {
        while (context.WaitFor(std::chrono::milliseconds(300))) {
        }
    };
    auto dlg = Start();
    ASSERT_FALSE(dlg->OrientationRunning());
    for (bool on : {true, false}) {
        Press(*dlg, [on](CSystemInfoDialog& prefs) {
            AdvancedCheck(prefs, ids::advanced_page::IDC_ORIENTATION_CHECK)->setChecked(on);
            prefs.OnConfirm();
        });
        EXPECT_EQ(dlg->OrientationRunning(), on);
        EXPECT_EQ(dlg->GetSettings().DOCCHECK != 0, on);
    }
    EXPECT_FALSE(dlg->OrientationJoinable());
}

}  // namespace
}  // namespace orbisk
