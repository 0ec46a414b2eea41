#include "app/continuous_shoot/continuous_shoot_dlg.h"
#include "core/command_ids.h"
#include "tests/app/started_window.h"
#include "tests/support/wait_until.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

namespace orbisk {
namespace {

using namespace ids::main_dlg;

// The camera commands on the fake document (1) and portrait (2) cameras.
class CameraCommandsTest : public test::StartedWindowTest {
  protected:
    CameraCommandsTest() {
        ini_["Camera"]["AutoExposure"] = QStringLiteral("false");
        ini_["Camera"]["Exposure"] = QStringLiteral("-6");
        env_.deviceChangeDelay = std::chrono::milliseconds(5);
    }
    static QSlider* Slider(COrbiskDlg& dlg) { return dlg.ControlAs<QSlider>(IDC_EXPOSURE_SLIDER); }
    static QCheckBox* Auto(COrbiskDlg& dlg) { return dlg.ControlAs<QCheckBox>(IDC_AUTO_EXPOSURE); }
    static QString Edit(COrbiskDlg& dlg) {
        return dlg.ControlAs<QLineEdit>(IDC_EXPOSURE_EDIT)->text();
    }
    static void ClickAuto(COrbiskDlg& dlg, bool on) {
        Auto(dlg)->setChecked(on);
        dlg.OnCommand(IDC_AUTO_EXPOSURE);
    }
    test::FakeCameras::Control& Exposure() { return cameras_.controls[platform::kCameraExposure]; }
    int Count(const QString& text) const { return shown_.count(text); }
};

TEST_F(CameraCommandsTest, ASliderJumpMovesTheExposureOneUnitPerNotification) {
    auto dlg = Start();
    ASSERT_EQ(dlg->Exposure(), -6);
    cameras_.log.clear();
    for (int expected : {-5, -4, -3, -2, -2}) {
        Slider(*dlg)->setValue(-2);
        EXPECT_EQ(dlg->Exposure(), expected);
        EXPECT_EQ(Slider(*dlg)->value(), expected);
        EXPECT_EQ(Edit(*dlg), QString::number(expected));
        EXPECT_EQ(dlg->GetSettings().Exposure, expected);
    }
    EXPECT_EQ(cameras_.CallsOf(kDocCamera),
              QStringList({"Control 4 -5", "Control 4 -4", "Control 4 -3", "Control 4 -2"}));
}

TEST_F(CameraCommandsTest, AutomaticExposureGoesPastTheRangeAndBackCarriesTheCamerasValue) {
    auto dlg = Start();
    ClickAuto(*dlg, true);
    // One past the maximum (0), never a fixed value inside some range.
    EXPECT_TRUE(cameras_.CallsOf(kDocCamera).contains("Control 4 1"));
    EXPECT_EQ(Exposure().flags, platform::kPropertyAuto);
    EXPECT_FALSE(Slider(*dlg)->isEnabled());
    EXPECT_EQ(dlg->GetSettings().AutoExposure, 1);

    // The camera found -3 by itself; the timer shows it once a second.
    Exposure().value = -3;
    ASSERT_NE(dlg->ExposureTimer(), nullptr);
    EXPECT_TRUE(dlg->ExposureTimer()->isActive());
    EXPECT_EQ(dlg->ExposureTimer()->interval(), 1000);
    dlg->OnTimer(COrbiskDlg::kExposureTimer);
    EXPECT_EQ(Edit(*dlg), "-3");
    EXPECT_EQ(Slider(*dlg)->value(), -3);

    ClickAuto(*dlg, false);
    EXPECT_EQ(dlg->GetSettings().AutoExposure, 0);
    EXPECT_EQ(dlg->GetSettings().Exposure, -3);
    EXPECT_EQ(Exposure().flags, platform::kPropertyManual);
    EXPECT_EQ(Exposure().value, -3);
    EXPECT_TRUE(Slider(*dlg)->isEnabled());
    // Manual again: the timer leaves the display alone.
    Exposure().value = -1;
    dlg->OnTimer(COrbiskDlg::kExposureTimer);
    EXPECT_EQ(Edit(*dlg), "-3");
}

TEST_F(CameraCommandsTest, FocusGoesToItsDefaultThenAutomatic) {
    auto dlg = Start();
    cameras_.controls[platform::kCameraFocus].flags = platform::kPropertyManual;
    cameras_.log.clear();
    dlg->OnCommand(IDC_AUTO_FOCUS);
    EXPECT_EQ(cameras_.CallsOf(kDocCamera), QStringList({"Control 6 0", "Control 6 251"}));
    EXPECT_EQ(cameras_.controls[platform::kCameraFocus].flags, platform::kPropertyAuto);
}

TEST_F(CameraCommandsTest, VideoParametersShowThePageAndTakeTheExposureBack) {
    auto dlg = Start();
    Exposure().flags = platform::kPropertyAuto;
    Exposure().value = -2;
    dlg->OnCommand(IDC_VIDEO_PARAMS);
    EXPECT_TRUE(cameras_.CallsOf(kDocCamera).contains("DevicePage"));
    EXPECT_TRUE(Auto(*dlg)->isChecked());
    EXPECT_FALSE(Slider(*dlg)->isEnabled());
    EXPECT_EQ(dlg->GetSettings().Exposure, -2);
    dlg->OnCommand(ids::main_dlg::ID_FORMAT_PROPERTIES);
    EXPECT_TRUE(cameras_.CallsOf(kDocCamera).contains("FormatPage"));
}

TEST_F(CameraCommandsTest, SwitchingToThePortraitDisablesExposureAndBackRestoresIt) {
    // The portrait camera delivers the configured size: no reopen.
    ini_["IMAGE"]["PorCamWidth"] = QStringLiteral("1920");
    ini_["IMAGE"]["PorCamHeight"] = QStringLiteral("1080");
    auto dlg = Start();
    ASSERT_EQ(dlg->DisplayMode(), 0);
    dlg->OnCommand(IDC_SWITCH_CAMERA);
    EXPECT_EQ(dlg->DisplayMode(), 1);
    EXPECT_EQ(dlg->GetSettings().CurrentCamera, 1);
    EXPECT_FALSE(Slider(*dlg)->isEnabled());
    EXPECT_FALSE(Auto(*dlg)->isEnabled());
    EXPECT_TRUE(Auto(*dlg)->isChecked());
    EXPECT_FALSE(dlg->Control(IDC_CROP_AUTO)->isEnabled());
    EXPECT_TRUE(dlg->ControlAs<QRadioButton>(IDC_CROP_NONE)->isChecked());
    // Rotation turns the portrait camera and still counts for the start-up.
    dlg->OnCommand(IDC_ROTATE_RIGHT);
    dlg->OnCommand(IDC_ROTATE_180);
    EXPECT_EQ(dlg->PorRotation(), 270);
    EXPECT_EQ(dlg->DocRotation(), 0);
    EXPECT_EQ(dlg->GetSettings().ROTATION, 270);

    dlg->OnCommand(IDC_SWITCH_CAMERA);
    EXPECT_EQ(dlg->DisplayMode(), 0);
    EXPECT_TRUE(Slider(*dlg)->isEnabled());
    EXPECT_TRUE(Auto(*dlg)->isEnabled());
    EXPECT_FALSE(Auto(*dlg)->isChecked());
    EXPECT_TRUE(dlg->Control(IDC_CROP_AUTO)->isEnabled());
    dlg->OnCommand(IDC_ROTATE_LEFT);
    EXPECT_EQ(dlg->DocRotation(), 270);
    EXPECT_EQ(dlg->GetSettings().ROTATION, 540);
}

TEST_F(CameraCommandsTest, APortraitReopenScalesItsCropRectByNewOverOld) {
    // 1920x1080 delivered, 640x480 configured.
    cameras_.customRect = IntRect{192, 108, 960, 540};
    auto dlg = Start();
    dlg->OnCommand(IDC_SWITCH_CAMERA);
    ASSERT_EQ(dlg->DisplayMode(), 1);
    const int reopened = cameras_.made - 1;
    EXPECT_TRUE(cameras_.CallsOf(reopened).contains("CropRect 64 48 320 240"))
        << cameras_.CallsOf(reopened).join(", ").toStdString();
    EXPECT_TRUE(cameras_.CallsOf(reopened).contains("SetResolution 640x480"));
}

TEST_F(CameraCommandsTest, AFailedPortraitReopenDropsItAndShowsTheDocument) {
    auto dlg = Start();
    cameras_.openResultOf[cameras_.made] = 1;
    dlg->OnCommand(IDC_SWITCH_CAMERA);
    EXPECT_EQ(shown_, QStringList({dlg->Texts()[kMsgPortraitBusy]}));
    EXPECT_EQ(dlg->PorCamera(), nullptr);
    EXPECT_EQ(dlg->DisplayMode(), 0);
    EXPECT_EQ(dlg->GetSettings().CurrentCamera, 0);
    EXPECT_TRUE(Slider(*dlg)->isEnabled());
    // From then on the switch needs both cameras.
    dlg->OnCommand(IDC_SWITCH_CAMERA);
    EXPECT_EQ(shown_.size(), 1);
}

TEST_F(CameraCommandsTest, UnplugClosesBothOnceAndReplugReopensWithTrimsAndRotation) {
    ini_["IMAGE"]["CutLeft"] = QStringLiteral("5");
    ini_["OTHER"]["ROTATION"] = QStringLiteral("90");
    ini_["IMAGE"]["CUTPAGETYPE"] = QStringLiteral("1");
    auto dlg = Start();
    ASSERT_NE(dlg->DeviceMonitor(), nullptr);
    dlg->OnCommand(IDC_CONTINUOUS_SHOOT);
    ASSERT_NE(dlg->ShootDlg(), nullptr);

    cameras_.devices[QStringLiteral("1d6b:0d41")] = 0;
    // A burst of events: one look.
    for (int i = 0; i < 5; ++i) dlg->DeviceMonitor()->Raise();
    ASSERT_TRUE(test::WaitUntil([&] { return !dlg->DocCamera(); }));
    EXPECT_EQ(dlg->PorCamera(), nullptr);
    EXPECT_EQ(dlg->ShootDlg(), nullptr);
    EXPECT_EQ(Count(dlg->Texts()[kMsgUnplugged]), 1);
    // Camera commands do nothing meanwhile.
    dlg->OnCommand(IDC_SWITCH_CAMERA);
    dlg->OnCommand(IDC_AUTO_FOCUS);
    dlg->DeviceMonitor()->Raise();
    const int calls = dlg->DeviceMonitor()->Calls();
    ASSERT_TRUE(test::WaitUntil([&] { return dlg->DeviceMonitor()->Calls() > calls; }));
    EXPECT_EQ(Count(dlg->Texts()[kMsgUnplugged]), 1);

    cameras_.devices[QStringLiteral("1d6b:0d41")] = 1;
    const int made = cameras_.made;
    dlg->DeviceMonitor()->Raise();
    ASSERT_TRUE(test::WaitUntil([&] { return dlg->DocCamera() != nullptr; }));
    EXPECT_NE(dlg->PorCamera(), nullptr);
    EXPECT_EQ(dlg->DisplayMode(), 0);
    EXPECT_EQ(dlg->GetSettings().CUTPAGETYPE, 0);
    EXPECT_TRUE(dlg->ControlAs<QRadioButton>(IDC_CROP_NONE)->isChecked());
    const QStringList doc = cameras_.CallsOf(made + 1);
    EXPECT_TRUE(doc.contains("Run"));
    EXPECT_TRUE(doc.contains("Margins 5 0 0 0")) << doc.join(", ").toStdString();
    EXPECT_TRUE(doc.contains("Rotation 90"));
    EXPECT_EQ(dlg->DocRotation(), 90);
    // The first switch after it works.
    dlg->OnCommand(IDC_SWITCH_CAMERA);
    EXPECT_EQ(dlg->DisplayMode(), 1);
    EXPECT_EQ(shown_.size(), 1);
}

TEST_F(CameraCommandsTest, ASilentCameraGoesTheWayOfAnUnpluggedOne) {
    auto dlg = Start();
    cameras_.Lose(kDocCamera);
    ASSERT_TRUE(test::WaitUntil([&] { return !dlg->DocCamera(); }));
    EXPECT_EQ(dlg->PorCamera(), nullptr);
    EXPECT_EQ(shown_, QStringList({dlg->Texts()[kMsgUnplugged]}));
    // It is still connected: the next device change opens it again.
    dlg->DeviceMonitor()->Raise();
    ASSERT_TRUE(test::WaitUntil([&] { return dlg->DocCamera() != nullptr; }));
}

}  // namespace
}  // namespace orbisk
