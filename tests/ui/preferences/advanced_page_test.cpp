#include "ui/preferences/advanced_setting_dialog.h"

#include "core/command_ids.h"
#include "tests/support/case_name.h"
#include "tests/ui/preferences/page_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>

#include <optional>

namespace orbisk {
namespace {

using namespace ids::advanced_page;

const QDateTime kNoon(QDate(2024, 3, 9), QTime(12, 0));

class AdvancedPageTest : public test::PreferencesTest {
  protected:
    AdvancedPageTest() {
        page_.SetMessageSink([this](const QString& text) { messages_.append(text); });
        page_.SetClock([] { return kNoon; });
        page_.SetFolderChooser([this](const QString& current) {
            browsedFrom_ = current;
            return chosen_;
        });
    }
    QCheckBox* Check(int id) { return Find<QCheckBox>(&page_, id); }
    QString Folder() { return Find<QLineEdit>(&page_, IDC_STORAGE_FOLDER)->text(); }
    void Browse() { Find<QPushButton>(&page_, IDC_BROWSE_FOLDER)->click(); }

    CAdvancedSettingDialog page_;
    std::optional<QString> chosen_;
    QString browsedFrom_;
};

TEST_F(AdvancedPageTest, StoresTheSaveFolderWithAndWithoutTheDateFolder) {
    for (bool dated : {true, false}) {
        SysSettings s = Record();
        page_.LoadSettings(s);
        Check(IDC_DATE_FOLDER)->setChecked(dated);
        ASSERT_TRUE(page_.StoreSettings(s));
        EXPECT_EQ(s.DATEFOLDER, dated ? 1 : 0);
        EXPECT_EQ(s.SaveFolder, dated ? dir_.Path() + "/20240309" : dir_.Path());
    }
    EXPECT_EQ(page_.TodayFolderName(), "20240309");
}

TEST_F(AdvancedPageTest, HiddenSettingsGoThroughOkAsLoaded) {
    for (int value : {0, 1}) {
        SysSettings s = Record();
        s.DOCCHECK = value;
        s.ENGOCR = value;
        s.DEFORMATION = value;
        s.Language = value ? 2 : 1;
        page_.LoadSettings(s);
        for (int id : {IDC_ORIENTATION_CHECK, IDC_ENGLISH_OCR, IDC_DEFORMATION, IDC_LANGUAGE,
                       IDC_LANGUAGE_LABEL}) {
            EXPECT_TRUE(Find(&page_, id)->isHidden()) << id;
        }
        SysSettings stored = Record();
        stored.DOCCHECK = stored.ENGOCR = stored.DEFORMATION = 7;
        stored.Language = 0;
        ASSERT_TRUE(page_.StoreSettings(stored));
        EXPECT_EQ(stored.DOCCHECK, value);
        EXPECT_EQ(stored.ENGOCR, value);
        EXPECT_EQ(stored.DEFORMATION, value);
        EXPECT_EQ(stored.Language, value ? 2 : 1);
    }
}

TEST_F(AdvancedPageTest, StoresEverySwitchAndThePrintMode) {
    SysSettings s = Record();
    s.Play = 1;
    s.SRC = 1;
    s.TWOIMAGEIN1 = 1;
    page_.LoadSettings(s);
    for (int id : {IDC_SHADOW, IDC_MULTI_OBJECT, IDC_BARCODE_TO_TEXT, IDC_SOUND, IDC_KEEP_SOURCES,
                   IDC_PICTURE_IN_PICTURE}) {
        Check(id)->click();
    }
    Find<QRadioButton>(&page_, IDC_PRINT_SCALED)->click();
    ASSERT_TRUE(page_.StoreSettings(s));
    EXPECT_EQ(s.SHADOW, 1);
    EXPECT_TRUE(s.ISMUTICUTPAGE);
    EXPECT_EQ(s.BARCODETOFILE, 1);
    EXPECT_EQ(s.Play, 0);
    EXPECT_EQ(s.SRC, 0);
    EXPECT_EQ(s.TWOIMAGEIN1, 0);
    EXPECT_EQ(s.TYPE, 1);
}

struct SpeckCase {
    const char* text;
    bool accepted;
};

class AdvancedSpeckSize : public AdvancedPageTest, public testing::WithParamInterface<SpeckCase> {};

TEST_P(AdvancedSpeckSize, IsTakenFromOneToTwenty) {
    SysSettings s = Record();
    s.Language = 2;
    page_.LoadSettings(s);
    Check(IDC_SHADOW)->click();
    Type(&page_, IDC_SPECK_SIZE, GetParam().text);
    EXPECT_EQ(page_.StoreSettings(s), GetParam().accepted);
    if (GetParam().accepted) {
        EXPECT_EQ(s.NoiseSize, QString(GetParam().text).toInt());
        EXPECT_EQ(s.SHADOW, 1);
    } else {
        EXPECT_EQ(messages_, QStringList{"Please enter an integer between 1 and 20."});
        EXPECT_EQ(s.NoiseSize, 5);
        EXPECT_EQ(s.SHADOW, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, AdvancedSpeckSize,
                         testing::Values(SpeckCase{"0", false}, SpeckCase{"21", false},
                                         SpeckCase{"1", true}, SpeckCase{"20", true}),
                         [](const auto& info) { return test::CaseName(info.param.text); });

TEST_F(AdvancedPageTest, ACancelledBrowserChangesNothingAndAChosenFolderIsStored) {
    SysSettings s = Record();
    page_.LoadSettings(s);
    Browse();
    EXPECT_EQ(browsedFrom_, dir_.Path());
    EXPECT_EQ(Folder(), dir_.Path());

    const QString other = dir_.File("scans");
    ASSERT_TRUE(QDir().mkpath(other));
    chosen_ = other;
    Browse();
    EXPECT_EQ(Folder(), other);
    ASSERT_TRUE(page_.StoreSettings(s));
    EXPECT_EQ(s.FOLDPATH, other);
    EXPECT_EQ(s.SaveFolder, other);
}

TEST_F(AdvancedPageTest, AChosenFolderThatCantBeWrittenIsRefusedByName) {
    ASSERT_TRUE(test::WriteBytes(dir_.File("file"), "x"));
    for (const QString& bad : {dir_.File("file"), dir_.File("file/inner")}) {
        messages_.clear();
        SysSettings s = Record();
        s.Language = 2;
        page_.LoadSettings(s);
        chosen_ = bad;
        Browse();
        EXPECT_FALSE(page_.StoreSettings(s));
        EXPECT_EQ(messages_, QStringList{"The storage folder can't be written:\n" + bad});
        EXPECT_EQ(s.FOLDPATH, dir_.Path());
    }
}

TEST_F(AdvancedPageTest, AStoredFolderTheOperatorKeepsIsNotTestedAgain) {
    SysSettings s = Record();
    s.FOLDPATH = dir_.File("gone/for/now");
    ASSERT_TRUE(test::WriteBytes(dir_.File("gone"), "x"));
    page_.LoadSettings(s);
    EXPECT_TRUE(page_.StoreSettings(s));
    EXPECT_EQ(s.FOLDPATH, dir_.File("gone/for/now"));
}

TEST_F(AdvancedPageTest, FastModeIsShownOnlyWhenAvailableAndOnlyForTheDocumentCamera) {
    SysSettings s = Record();
    s.FASTMODE = 1;
    page_.LoadSettings(s);
    EXPECT_TRUE(Check(IDC_FAST_MODE)->isHidden());
    s.FastModeAvailable = 1;
    page_.LoadSettings(s);
    EXPECT_FALSE(Check(IDC_FAST_MODE)->isHidden());
    EXPECT_TRUE(Check(IDC_FAST_MODE)->isEnabled());
    s.CurrentCamera = 1;
    page_.LoadSettings(s);
    EXPECT_FALSE(Check(IDC_FAST_MODE)->isEnabled());
    SysSettings stored = Record();
    ASSERT_TRUE(page_.StoreSettings(stored));
    EXPECT_EQ(stored.FASTMODE, 1);
}

TEST_F(AdvancedPageTest, DefaultsTakeTheDefaultFolderSpeckFiveAndClearTheSwitches) {
    test::HomeIn home(dir_.Path());
    SysSettings s = Record();
    s.Play = s.SRC = s.SHADOW = s.DATEFOLDER = s.TYPE = 1;
    s.TWOIMAGEIN1 = 0;
    s.NoiseSize = 9;
    page_.LoadSettings(s);
    ASSERT_TRUE(page_.SetDefaults());
    EXPECT_EQ(Folder(), DefaultImageFolder());
    EXPECT_TRUE(Folder().startsWith(dir_.Path()));
    ASSERT_TRUE(page_.StoreSettings(s));
    EXPECT_EQ(s.NoiseSize, 5);
    EXPECT_EQ(s.Play, 0);
    EXPECT_EQ(s.SRC, 0);
    EXPECT_EQ(s.SHADOW, 0);
    EXPECT_EQ(s.DATEFOLDER, 0);
    EXPECT_EQ(s.TYPE, 0);
    EXPECT_EQ(s.TWOIMAGEIN1, 1);
    EXPECT_EQ(s.FOLDPATH, DefaultImageFolder());
}

TEST_F(AdvancedPageTest, CaptionsFollowTheLanguage) {
    SysSettings s = Record();
    s.Language = 2;
    page_.LoadSettings(s);
    EXPECT_EQ(Check(IDC_FAST_MODE)->text(), "Start device with high-speed mode");
    EXPECT_EQ(Find<QPushButton>(&page_, IDC_BROWSE_FOLDER)->text(), "Change Path");
    s.Language = 1;
    page_.LoadSettings(s);
    EXPECT_EQ(Check(IDC_BARCODE_TO_TEXT)->text(), "將條碼符號儲存到.txt");
    s.Language = 0;
    page_.LoadSettings(s);
    EXPECT_EQ(Check(IDC_SOUND)->text(), "拍摄音");
}

}  // namespace
}  // namespace orbisk
