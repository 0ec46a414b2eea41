#include "app/main_dlg/orbisk_dlg.h"
#include "core/branding_data.h"
#include "core/branding_writer.h"
#include "core/command_ids.h"
#include "platform/named_window.h"
#include "platform/window_messages.h"
#include "tests/support/case_name.h"
#include "tests/support/input_events.h"
#include "tests/support/main_window/main_window_test.h"
#include "ui/fx_button.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <atomic>
#include <stop_token>
#include <thread>

namespace orbisk {
namespace {

using namespace ids::main_dlg;
using namespace std::chrono_literals;

// A main window on a fake document camera, its branding with a label and a
// caption.
class StartupTest : public test::MainWindowTest {
  protected:
    StartupTest() {
        branding_.labelFlag = true;
        branding_.reserved = QString();
        branding_.caption = QStringLiteral("Cam");
    }

    // Writes the files (Sys.ini from `ini`, data.dat unless told not to) and
    // runs the start-up.
    std::unique_ptr<COrbiskDlg> Start(const QString& ini = QString(), bool writeBranding = true) {
        writeBranding_ = writeBranding;
        return StartWindow(ini);
    }
};

const QString kNoDevice = QStringLiteral("Please check whether the device is properly connected");
const QString kBusy = QStringLiteral("The device may be used by other programs, please check!");
const QString kEnglish = QStringLiteral("[Language]\nCurrent=EN\n");

TEST_F(StartupTest, RunsToTheEndOnAConnectedCamera) {
    auto dlg = Start(kEnglish);
    EXPECT_TRUE(completed_);
    EXPECT_FALSE(dlg->QuitRequested());
    EXPECT_TRUE(shown_.empty()) << shown_.join('\n').toStdString();
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Cam (Ver2.0.13.0)"));
    ASSERT_NE(dlg->DocCamera(), nullptr);
    EXPECT_EQ(dlg->DisplayMode(), 0);
    EXPECT_EQ(dlg->GetSettings().CameraModel, 4);
    EXPECT_EQ(dlg->GetSettings().FastModeAvailable, 1);
    EXPECT_EQ(dlg->Tiles().size(), 4u);
    // The probe, then the document camera; no portrait camera is connected.
    EXPECT_EQ(cameras_.made, 3);
    EXPECT_EQ(dlg->PorCamera(), nullptr);
    EXPECT_TRUE(cameras_.CallsOf(1).contains(QStringLiteral("Open 1d6b:0d41 0")));
    EXPECT_TRUE(cameras_.CallsOf(1).contains(QStringLiteral("Run")));
    EXPECT_TRUE(cameras_.CallsOf(2).isEmpty());
}

TEST_F(StartupTest, AnEmptyCaptionKeepsTheTemplatesTitle) {
    branding_.caption = QString();
    auto dlg = Start();
    EXPECT_TRUE(completed_);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Orbisk"));
}

TEST_F(StartupTest, WithoutTheBrandingFileShowsNoDeviceAndQuits) {
    auto dlg = Start(kEnglish, false);
    EXPECT_FALSE(completed_);
    EXPECT_TRUE(dlg->QuitRequested());
    EXPECT_EQ(shown_, QStringList{kNoDevice});
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Orbisk"));
    EXPECT_EQ(dlg->DocCamera(), nullptr);
}

TEST_F(StartupTest, TheFirstConnectedEntryWinsAndTheIdsAreStoredReversed) {
    branding_.deviceEntries = {"", "1d6b0d21", "1d6b0d111d6b0e11", "1d6b0d411d6b0e41",
                               "1d6b0d211d6b0e21"};
    cameras_.devices[QStringLiteral("1d6b:0d21")] = 1;
    cameras_.devices[QStringLiteral("1d6b:0e41")] = 1;
    auto dlg = Start();
    ASSERT_TRUE(completed_);
    EXPECT_EQ(TheBrandingData().CameraIds, (QStringList{"0e41", "1d6b", "0d41", "1d6b"}));
    const SysSettings s = dlg->GetSettings();
    EXPECT_EQ(s.DocCamVid + s.DocCamPid + s.PorCamVid + s.PorCamPid,
              QStringLiteral("1d6b0d411d6b0e41"));
    // The portrait camera is opened at index 1, then stopped and hidden.
    ASSERT_NE(dlg->PorCamera(), nullptr);
    EXPECT_EQ(cameras_.CallsOf(2), (QStringList{"SetResolution 640x480", "Open 1d6b:0e41 1", "Stop",
                                                "ShowPreview 0", "ShowPreview 0"}));
}

TEST_F(StartupTest, NoConnectedEntryShowsNoDeviceAndQuits) {
    cameras_.devices.clear();
    auto dlg = Start(kEnglish);
    EXPECT_FALSE(completed_);
    EXPECT_TRUE(dlg->QuitRequested());
    EXPECT_EQ(shown_, QStringList{kNoDevice});
}

TEST_F(StartupTest, AFailedOpenShowsNoDeviceAndAFailedRunTheBusyMessageWithTheStopIcon) {
    cameras_.openResult = 1;
    auto failedOpen = Start(kEnglish);
    EXPECT_FALSE(completed_);
    EXPECT_EQ(failedOpen->DocCamera(), nullptr);
    EXPECT_EQ(shown_, QStringList{kNoDevice});

    shown_.clear();
    icons_.clear();
    cameras_.openResult = 0;
    cameras_.runResult = false;
    auto failedRun = Start(kEnglish);
    EXPECT_FALSE(completed_);
    EXPECT_TRUE(failedRun->QuitRequested());
    EXPECT_EQ(shown_, QStringList{kBusy});
    EXPECT_EQ(icons_, std::vector<QMessageBox::Icon>{QMessageBox::Critical});
}

TEST_F(StartupTest, AFailedStartUpLeavesTheStoredSettingsAlone) {
    cameras_.devices.clear();
    auto dlg = Start(QStringLiteral("[IMAGE]\nINDEX=7\n[FILE]\nPREFIX=DOC\nTypeofImageName=0\n"));
    ASSERT_FALSE(completed_);
    const QByteArray before = test::ReadBytes(SettingsPath());
    dlg->DestroyWindow();
    EXPECT_EQ(test::ReadBytes(SettingsPath()), before);
    EXPECT_EQ(Stored().INDEX, 7);
}

TEST_F(StartupTest, AConfiguredSizeStaysAndAMissingOneTakesTheModelsDefault) {
    auto configured = Start(QStringLiteral("[IMAGE]\nDocCamWidth=1600\nDocCamHeight=1200\n"));
    ASSERT_TRUE(completed_);
    SysSettings s = configured->GetSettings();
    EXPECT_EQ(QSize(s.DocCamWidth, s.DocCamHeight), QSize(1600, 1200));
    // The dpi keys are missing: the model's dpi, never a negative one.
    EXPECT_EQ(s.XDPI, 330);
    EXPECT_EQ(s.YDPI, 330);
    EXPECT_TRUE(cameras_.CallsOf(1).contains(QStringLiteral("SetResolution 1600x1200")));

    cameras_.log.clear();
    cameras_.made = 0;
    auto missing = Start(QStringLiteral("[IMAGE]\nDocCamWidth=-1\nXDPI=96\nYDPI=96\n"));
    ASSERT_TRUE(completed_);
    s = missing->GetSettings();
    EXPECT_EQ(QSize(s.DocCamWidth, s.DocCamHeight), QSize(4000, 3000));
    EXPECT_EQ(s.XDPI, 330);
    EXPECT_EQ(s.YDPI, 330);
    EXPECT_TRUE(cameras_.CallsOf(1).contains(QStringLiteral("SetResolution 4000x3000")));
}

TEST_F(StartupTest, AnUnknownCameraTakesItsLargestFrameAndTheTablesDpiRatio) {
    branding_.deviceEntries = {QStringLiteral("1d6b0c011d6b0c02")};
    cameras_.devices = {{QStringLiteral("1d6b:0c01"), 1}};
    cameras_.largestFrame = QSize(2560, 1920);
    auto dlg = Start(QStringLiteral("[IMAGE]\nPorCamWidth=800\nPorCamHeight=600\n"));
    ASSERT_TRUE(completed_);
    const SysSettings s = dlg->GetSettings();
    EXPECT_EQ(s.CameraModel, -1);
    EXPECT_EQ(QSize(s.DocCamWidth, s.DocCamHeight), QSize(2560, 1920));
    EXPECT_EQ(s.XDPI, 212);
    EXPECT_EQ(QSize(s.PorCamWidth, s.PorCamHeight), QSize(800, 600));
}

struct UnlistedSizeCase {
    const char* name;
    QSize delivered;  // what the camera reports once open
    QSize expected;
    int dpi;
    QStringList asked;  // the sizes the camera is asked for
};

class UnlistedSizeTest : public StartupTest,
                         public testing::WithParamInterface<UnlistedSizeCase> {};

TEST_P(UnlistedSizeTest, AnUnknownCameraThatListsNoSizeTakesOneItAcceptsWithItsDpi) {
    const UnlistedSizeCase& c = GetParam();
    branding_.deviceEntries = {QStringLiteral("1d6b0c011d6b0c02")};
    cameras_.devices = {{QStringLiteral("1d6b:0c01"), 1}};
    cameras_.largestFrame = QSize();
    cameras_.resolution = c.delivered;
    auto dlg = Start(QStringLiteral("[IMAGE]\nDocCamWidth=-1\nDocCamHeight=-1\n"));
    ASSERT_TRUE(completed_);
    const SysSettings s = dlg->GetSettings();
    EXPECT_EQ(QSize(s.DocCamWidth, s.DocCamHeight), c.expected);
    EXPECT_EQ(s.XDPI, c.dpi);
    EXPECT_EQ(s.YDPI, c.dpi);
    EXPECT_EQ(cameras_.CallsOf(kDocCamera).filter(QStringLiteral("SetResolution")), c.asked);
    dlg->DestroyWindow();
    EXPECT_EQ(QSize(Stored().DocCamWidth, Stored().DocCamHeight), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, UnlistedSizeTest,
    testing::Values(
        UnlistedSizeCase{"the_size_it_opens_at", {1280, 720}, {1280, 720}, 106, {}},
        UnlistedSizeCase{
            "none_told_vga", {}, {640, 480}, 53, {QStringLiteral("SetResolution 640x480")}}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST_F(StartupTest, AStoredQuarterTurnIsAppliedOnceAndStoredModulo360) {
    auto dlg = Start(QStringLiteral("[OTHER]\nROTATION=90\n"));
    ASSERT_TRUE(completed_);
    EXPECT_EQ(cameras_.CallsOf(1).filter(QStringLiteral("Rotation")), QStringList{"Rotation 90"});
    EXPECT_EQ(dlg->GetSettings().ROTATION, 90);
    for (int i = 0; i < 4; ++i) dlg->OnCommand(IDC_ROTATE_RIGHT);
    EXPECT_EQ(dlg->GetSettings().ROTATION, 450);
    dlg->DestroyWindow();
    EXPECT_EQ(Stored().ROTATION, 90);
}

TEST_F(StartupTest, TheExitStoresTheNamingTheWindowShows) {
    auto dlg = Start(QStringLiteral("[IMAGE]\nINDEX=7\n[FILE]\nPREFIX=DOC\nTypeofImageName=0\n"));
    ASSERT_TRUE(completed_);
    EXPECT_EQ(dlg->ControlAs<QLineEdit>(IDC_INDEX_EDIT)->text(), QStringLiteral("7"));
    EXPECT_TRUE(dlg->ControlAs<QRadioButton>(IDC_NAMING_PREFIX)->isChecked());
    dlg->ControlAs<QLineEdit>(IDC_INDEX_EDIT)->setText(QStringLiteral("12"));
    dlg->ControlAs<QRadioButton>(IDC_NAMING_TIME)->setChecked(true);
    dlg->DestroyWindow();
    const SysSettings s = Stored();
    EXPECT_EQ(s.INDEX, 12);
    EXPECT_EQ(s.TypeofImageName, int(NamingRule::DateAndTime));
    EXPECT_EQ(s.PREFIX, QStringLiteral("DOC"));
}

TEST_F(StartupTest, TheExitJoinsTheOrientationThreadBeforeWritingTheSettings) {
    // The thread reads Sys.ini when its stop is asked (the callback runs in
    // the exit) and as it ends: both times it must still see the old index.
    std::atomic<bool> ended = false;
    QByteArray seenAtStop, seenAtEnd;
    env_.orientationBody = [&](platform::WorkerThread::Context& context) {
        const std::stop_callback atStop(context.Token(),
                                        [&] { seenAtStop = test::ReadBytes(SettingsPath()); });
        while (context.WaitFor(1h)) {
        }
        seenAtEnd = test::ReadBytes(SettingsPath());
        ended = true;
    };
    auto dlg = Start(QStringLiteral("[IMAGE]\nDOCCHECK=TRUE\nINDEX=3\n"));
    ASSERT_TRUE(completed_);
    EXPECT_TRUE(dlg->OrientationRunning());
    dlg->ControlAs<QLineEdit>(IDC_INDEX_EDIT)->setText(QStringLiteral("4"));
    dlg->DestroyWindow();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(seenAtStop.contains("INDEX=3"));
    EXPECT_TRUE(seenAtEnd.contains("INDEX=3"));
    EXPECT_EQ(Stored().INDEX, 4);
}

TEST_F(StartupTest, TheSiblingHearsOfTheExitOnce) {
    const QString title = QStringLiteral("Vantorel sibling %1").arg(::getpid());
    std::atomic<int> exits = 0, others = 0;
    platform::NamedWindow sibling;
    ASSERT_TRUE(sibling.Register(title, [&](int message, qintptr, qintptr) {
        ++(message == platform::WM_SIBLING_EXIT ? exits : others);
        return qintptr(0);
    }));
    auto dlg = Start(QStringLiteral("[VantorelQt]\nCaption=%1\n").arg(title));
    ASSERT_TRUE(completed_);
    dlg->DestroyWindow();
    dlg->DestroyWindow();
    dlg.reset();
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(others, 0);
}

TEST_F(StartupTest, CollectionCropAndColourModesComeBackFromTheSettings) {
    cameras_.customRect = IntRect{0, 0, 0, 0};
    auto dlg = Start(
        QStringLiteral("[IMAGE]\nPDFORTIF=2\nCUTPAGETYPE=2\nCOLOR=1\n[OTHER]\nRECOGNIZE=TRUE\n"
                       "[POSITION]\nDocument=10,20,300,400\n"));
    ASSERT_TRUE(completed_);
    EXPECT_TRUE(dlg->ControlAs<QCheckBox>(IDC_ONE_PDF)->isChecked());
    EXPECT_FALSE(dlg->ControlAs<QCheckBox>(IDC_MULTI_PAGE_TIF)->isChecked());
    EXPECT_TRUE(dlg->ControlAs<QRadioButton>(IDC_CROP_CUSTOM)->isChecked());
    EXPECT_TRUE(dlg->ControlAs<QRadioButton>(IDC_COLOR_GRAY)->isChecked());
    EXPECT_TRUE(dlg->ControlAs<QCheckBox>(IDC_BARCODE_NAMING)->isChecked());
    EXPECT_TRUE(cameras_.CallsOf(1).contains(QStringLiteral("CropRect 10 20 300 400")));
    // The shown camera's custom rectangle is empty at exit: no custom crop.
    dlg->DestroyWindow();
    EXPECT_EQ(Stored().CUTPAGETYPE, int(CropMode::None));
}

TEST_F(StartupTest, AutomaticExposureSetsAValuePastTheRange) {
    auto automatic = Start(QStringLiteral("[Camera]\nAutoExposure=true\nExposure=-5\n"));
    ASSERT_TRUE(completed_);
    EXPECT_TRUE(cameras_.CallsOf(1).contains(QStringLiteral("Control 4 1")));
    EXPECT_FALSE(automatic->Control(IDC_EXPOSURE_SLIDER)->isEnabled());
    EXPECT_EQ(automatic->ControlAs<QLineEdit>(IDC_EXPOSURE_EDIT)->text(), QStringLiteral("-5"));
}

TEST_F(StartupTest, AModelFiveCameraHasNoExposureControlsAndNoVideoButton) {
    branding_.deviceEntries = {QStringLiteral("1d6d0d511d6b0e01")};
    cameras_.devices = {{QStringLiteral("1d6d:0d51"), 1}, {QStringLiteral("1d6b:0d41"), 1}};
    auto dlg = Start();
    ASSERT_TRUE(completed_);
    EXPECT_EQ(dlg->GetSettings().CameraModel, 5);
    auto plain = (branding_.deviceEntries = {QStringLiteral("1d6b0d411d6b0e01")}, Start());
    for (int id : {IDC_RECORD_VIDEO, IDC_EXPOSURE_SLIDER, IDC_EXPOSURE_EDIT, IDC_AUTO_EXPOSURE,
                   IDC_EXPOSURE_LABEL, IDC_VIDEO_GROUP}) {
        EXPECT_FALSE(dlg->Control(id)->isVisibleTo(dlg.get())) << id;
        EXPECT_TRUE(plain->Control(id)->isVisibleTo(plain.get())) << id;
    }
    // The column closes up over the exposure group, and continuous shooting
    // takes the video button's place.
    const auto at = [](const std::unique_ptr<COrbiskDlg>& window, int id) {
        return window->Control(id)->pos();
    };
    const QPoint up(0, at(plain, IDC_ROTATE_LEFT).y() - at(plain, IDC_VIDEO_GROUP).y());
    EXPECT_EQ(at(dlg, IDC_ROTATE_LEFT), at(plain, IDC_ROTATE_LEFT) - up);
    EXPECT_EQ(at(dlg, IDC_NAMING_GROUP), at(plain, IDC_NAMING_GROUP) - up);
    EXPECT_EQ(at(dlg, IDC_CAPTURE), at(plain, IDC_CAPTURE) - up);
    EXPECT_EQ(at(dlg, IDC_CONTINUOUS_SHOOT), at(plain, IDC_RECORD_VIDEO) - up);
}

struct ProbeCase {
    const char* name;
    bool present;
    int answer;
    std::chrono::milliseconds delay;
    bool starts;
};

class CaptureServerTest : public StartupTest, public testing::WithParamInterface<ProbeCase> {};

TEST_P(CaptureServerTest, OnlyAnAnswerOf51LeavesTheCameraToUs) {
    const ProbeCase& c = GetParam();
    platform::NamedWindow server;
    if (c.present) {
        ASSERT_TRUE(
            server.Register(QStringLiteral("OrvelServer"), [c](int message, qintptr, qintptr) {
                std::this_thread::sleep_for(c.delay);
                return message == platform::WM_SERVER_QUERY ? qintptr(c.answer) : qintptr(-7);
            }));
    }
    auto dlg = Start(kEnglish);
    EXPECT_EQ(completed_, c.starts);
    EXPECT_EQ(shown_, c.starts ? QStringList() : QStringList{kBusy});
    EXPECT_EQ(dlg->DocCamera() != nullptr, c.starts);
}

INSTANTIATE_TEST_SUITE_P(Probe, CaptureServerTest,
                         testing::Values(ProbeCase{"free", true, 51, 0ms, true},
                                         ProbeCase{"busy", true, 0, 0ms, false},
                                         ProbeCase{"no_answer_in_time", true, 51, 1200ms, false},
                                         ProbeCase{"absent", false, 0, 0ms, true}),
                         [](const auto& info) { return test::CaseName(info.param.name); });

// Every caption, title and button face the window shows.
QStringList Dress(const COrbiskDlg& dlg) {
    QStringList dress;
    for (int id = 1000; id < 1200; ++id) {
        QWidget* w = dlg.Control(id);
        if (auto* b = qobject_cast<CFxButton*>(w)) {
            dress << QString::number(b->Props(CFxButton::kNormal).bitmap.cacheKey())
                  << b->toolTip();
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            dress << g->title();
        } else if (auto* a = qobject_cast<QAbstractButton*>(w)) {
            dress << a->text();
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            dress << l->text();
        }
    }
    return dress;
}

TEST_F(StartupTest, TheLanguageDressesTheWindowAndApplyingItTwiceEqualsOnce) {
    auto dlg = Start(kEnglish);
    ASSERT_TRUE(completed_);
    EXPECT_EQ(dlg->ControlAs<QLabel>(IDC_PREFIX_LABEL)->text(), QStringLiteral("Prefix:"));
    EXPECT_EQ(dlg->ControlAs<QCheckBox>(IDC_MERGE)->text(), QStringLiteral("2 in 1"));
    EXPECT_EQ(dlg->Texts()[0], kNoDevice);
    const QStringList english = Dress(*dlg);
    dlg->ApplyLanguageToControls(2);
    EXPECT_EQ(Dress(*dlg), english);
    dlg->ApplyLanguageToControls(3);  // not a language: nothing changes
    EXPECT_EQ(Dress(*dlg), english);
    dlg->ApplyLanguageToControls(1);
    EXPECT_EQ(dlg->ControlAs<QCheckBox>(IDC_MERGE)->text(), QStringLiteral("合併圖像"));
    EXPECT_EQ(dlg->Control(IDC_ROTATE_180)->toolTip(), QStringLiteral("Upside down"));
    EXPECT_NE(Dress(*dlg), english);
}

TEST_F(StartupTest, TheBrandLabelShowsTheLabelTextInSimplifiedChineseOnly) {
    branding_.labelFlag = true;
    branding_.labelText = QStringLiteral("品牌");
    auto dlg = Start();
    ASSERT_TRUE(completed_);
    EXPECT_EQ(dlg->ControlAs<QLabel>(IDC_BRAND_LABEL)->text(), QStringLiteral("品牌"));
    dlg->ApplyLanguageToControls(2);
    EXPECT_NE(dlg->ControlAs<QLabel>(IDC_BRAND_LABEL)->text(), QStringLiteral("品牌"));

    branding_.labelFlag = false;
    auto hidden = Start();
    EXPECT_FALSE(hidden->Control(IDC_BRAND_LABEL)->isVisibleTo(hidden.get()));
}

TEST_F(StartupTest, TheAcceleratorsTakeSpaceAndLowerCaseLettersOnly) {
    auto dlg = Start();
    ASSERT_TRUE(completed_);
    auto* edit = new QLineEdit(dlg.get());
    dlg->show();
    for (const char* typed : {" ", "o", "p", "O", "P"}) {
        const QString text = QString::fromLatin1(typed);
        const int key =
            text == " " ? Qt::Key_Space : Qt::Key_A + (text.toUpper()[0].unicode() - 'A');
        test::SendKey(*edit, key, text,
                      text == text.toUpper() && text != " " ? Qt::ShiftModifier : Qt::NoModifier);
    }
    EXPECT_EQ(edit->text(), QStringLiteral("OP"));
}

}  // namespace
}  // namespace orbisk
