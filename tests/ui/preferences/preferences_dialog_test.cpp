#include "ui/preferences/system_info_dialog.h"

#include "core/command_ids.h"
#include "tests/support/case_name.h"
#include "tests/ui/preferences/page_fixture.h"
#include "ui/preferences/advanced_setting_dialog.h"
#include "ui/preferences/image_para_dialog.h"
#include "ui/preferences/water_mark_dialog.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>

namespace orbisk {
namespace {

class PreferencesDialogTest : public test::PreferencesTest {
  protected:
    PreferencesDialogTest() {
        dlg_.SetMessageSink([this](const QString& text) { messages_.append(text); });
        dlg_.SetClock([] { return QDateTime(QDate(2024, 3, 9), QTime(12, 0)); });
        rig_.Add(kVid, kDocPid, Yuyv({{640, 480}, {1280, 720}, {1920, 1080}}));
    }
    void Open(const SysSettings& s) {
        dlg_.SetSettings(s);
        ASSERT_TRUE(dlg_.OnInitDialog());
    }
    void Confirm() { dlg_.Button(ids::ID_OK)->click(); }

    CSystemInfoDialog dlg_;
};

class PreferencesTab : public PreferencesDialogTest, public testing::WithParamInterface<int> {};

TEST_P(PreferencesTab, OpensOnTheStoredTabAndKeepsTheTabConfirmedOn) {
    SysSettings s = Record();
    s.SettingsTab = GetParam();
    Open(s);
    EXPECT_EQ(dlg_.Tabs()->currentIndex(), GetParam());
    const int other = (GetParam() + 1) % 3;
    dlg_.Tabs()->setCurrentIndex(other);
    Confirm();
    EXPECT_EQ(dlg_.result(), QDialog::Accepted);
    EXPECT_EQ(dlg_.GetSettings().SettingsTab, other);
}

INSTANTIATE_TEST_SUITE_P(Tabs, PreferencesTab, testing::Range(0, 3),
                         [](const auto& info) { return test::CaseName("tab", info.param); });

TEST_F(PreferencesDialogTest, AWatermarkRefusalKeepsTheImageValuesAndLeavesTheAdvancedOnes) {
    Open(Record());
    Type(dlg_.ImagePage(), ids::image_page::IDC_XDPI, "222");
    Find<QCheckBox>(dlg_.WatermarkPage(), ids::watermark_page::IDC_CUSTOM)->click();
    Type(dlg_.AdvancedPage(), ids::advanced_page::IDC_SPECK_SIZE, "9");
    dlg_.Tabs()->setCurrentIndex(2);
    Confirm();
    EXPECT_NE(dlg_.result(), QDialog::Accepted);
    EXPECT_EQ(messages_, QStringList{"水印内容为空"});
    EXPECT_EQ(dlg_.Tabs()->currentIndex(), 1);
    EXPECT_EQ(dlg_.GetSettings().XDPI, 222);
    EXPECT_EQ(dlg_.GetSettings().Custom, 0);
    EXPECT_EQ(dlg_.GetSettings().NoiseSize, 5);

    // Mended, the next OK takes every page over.
    Type(dlg_.WatermarkPage(), ids::watermark_page::IDC_TEXT, "Mine");
    Confirm();
    EXPECT_EQ(dlg_.result(), QDialog::Accepted);
    EXPECT_EQ(dlg_.GetSettings().Name, "Mine");
    EXPECT_EQ(dlg_.GetSettings().NoiseSize, 9);
    EXPECT_EQ(dlg_.GetSettings().SettingsTab, 1);
}

TEST_F(PreferencesDialogTest, AnImageRefusalStaysOnTheImagePageAndStoresNothing) {
    Open(Record());
    Type(dlg_.ImagePage(), ids::image_page::IDC_YDPI, "401");
    Type(dlg_.WatermarkPage(), ids::watermark_page::IDC_SIZE, "77");
    dlg_.Tabs()->setCurrentIndex(1);
    Confirm();
    EXPECT_NE(dlg_.result(), QDialog::Accepted);
    EXPECT_EQ(dlg_.Tabs()->currentIndex(), 0);
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_EQ(dlg_.GetSettings().Size, 256);
    EXPECT_EQ(dlg_.GetSettings().YDPI, 310);
}

TEST_F(PreferencesDialogTest, DefaultsOfAnUnknownModelChangeNoPage) {
    SysSettings s = Record();
    s.CameraModel = -1;
    s.Size = 300;
    s.NoiseSize = 8;
    Open(s);
    dlg_.Button(ids::preferences_dlg::IDC_DEFAULTS)->click();
    Confirm();
    ASSERT_EQ(dlg_.result(), QDialog::Accepted);
    EXPECT_EQ(dlg_.GetSettings().XDPI, 300);
    EXPECT_EQ(dlg_.GetSettings().Size, 300);
    EXPECT_EQ(dlg_.GetSettings().NoiseSize, 8);
}

TEST_F(PreferencesDialogTest, DefaultsOfAModelReachEveryPage) {
    test::HomeIn home(dir_.Path());
    SysSettings s = Record();
    s.CameraModel = 2;
    s.Size = 300;
    s.NoiseSize = 8;
    Open(s);
    dlg_.Button(ids::preferences_dlg::IDC_DEFAULTS)->click();
    // The copy changes only on OK.
    EXPECT_EQ(dlg_.GetSettings().XDPI, 300);
    Confirm();
    ASSERT_EQ(dlg_.result(), QDialog::Accepted);
    EXPECT_EQ(dlg_.GetSettings().XDPI, 270);
    EXPECT_EQ(dlg_.GetSettings().Size, 96);
    EXPECT_EQ(dlg_.GetSettings().NoiseSize, 5);
}

struct TextsCase {
    int language;
    const char* title;
    QStringList tabs;
    QStringList buttons;  // defaults, OK, cancel
};

class PreferencesTexts : public PreferencesDialogTest,
                         public testing::WithParamInterface<TextsCase> {};

TEST_P(PreferencesTexts, AreThoseOfTheLanguage) {
    const TextsCase& c = GetParam();
    SysSettings s = Record();
    s.Language = c.language;
    Open(s);
    EXPECT_EQ(dlg_.windowTitle(), QString::fromUtf8(c.title));
    QStringList tabs;
    for (int i = 0; i < dlg_.Tabs()->count(); ++i) tabs << dlg_.Tabs()->tabText(i);
    EXPECT_EQ(tabs, c.tabs);
    const QStringList buttons = {dlg_.Button(ids::preferences_dlg::IDC_DEFAULTS)->text(),
                                 dlg_.Button(ids::ID_OK)->text(),
                                 dlg_.Button(ids::ID_CANCEL)->text()};
    EXPECT_EQ(buttons, c.buttons);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, PreferencesTexts,
    testing::Values(
        TextsCase{
            0, "设置系统参数", {"图像参数", "水印参数", "高级功能"}, {"默认值", "确定", "取消"}},
        TextsCase{
            1, "系統參數設定", {"圖像參數", "浮水印參數", "高階設定"}, {"預設值", "確認", "取消"}},
        TextsCase{2,
                  "Preference",
                  {"Image", "Watermark", "Advanced"},
                  {"Defaults", "Confirm", "Cancel"}}),
    [](const auto& info) { return test::CaseName("language", info.param.language); });

// What the main window writes after its start-up, confirmed unchanged.
TEST_F(PreferencesDialogTest, ConfirmingUntouchedValuesWritesTheSameFile) {
    const QString ini = dir_.File("Sys.ini");
    const QString images = dir_.File("images");
    ASSERT_TRUE(QDir().mkpath(images));
    ASSERT_TRUE(test::WriteBytes(
        ini, QStringLiteral("[FILE]\nFOLDPATH=%1\nPREFIX=DOC\nTypeofImageName=0\n"
                            "[IMAGE]\nXDPI=215\nYDPI=216\nJPGQuality=85\nDocCamWidth=1920\n"
                            "DocCamHeight=1080\nCutLeft=4\nCutBottom=-2\nIMG_FORMAT=3\n"
                            "DATEFOLDER=1\nNoiseSize=7\nSHADOW=TRUE\nDOCCHECK=TRUE\n"
                            "[WaterMark]\nDateMark=TRUE\nCustom=TRUE\nName=水印 Ünïcode\n"
                            "Color=65280\nPosition=2\nSize=120\nTransparency=35\n"
                            "[OTHER]\nENGOCR=TRUE\nFASTMODE=TRUE\n[PRINT]\nTYPE=1\n"
                            "[Language]\nCurrent=CNT\n")
                 .arg(images)
                 .toUtf8()));
    SysSettings master;
    ASSERT_TRUE(master.EnsureFile(ini));
    master.Load();
    const QByteArray written = test::ReadBytes(ini);
    master.DocCamVid = kVid;
    master.DocCamPid = kDocPid;
    master.SaveFolder = ComputeSaveFolder(master, QDate(2024, 3, 9));

    Open(master);
    Confirm();
    ASSERT_EQ(dlg_.result(), QDialog::Accepted) << messages_.join('\n').toStdString();
    SysSettings edited = dlg_.GetSettings();
    EXPECT_EQ(edited.SaveFolder, master.SaveFolder);
    ASSERT_TRUE(edited.Save());
    EXPECT_EQ(test::ReadBytes(ini), written);
}

}  // namespace
}  // namespace orbisk
