#include "ui/preferences/image_para_dialog.h"

#include "core/camera_models.h"
#include "core/command_ids.h"
#include "tests/support/case_name.h"
#include "tests/ui/preferences/page_fixture.h"

#include <QRadioButton>
#include <QSlider>

#include <array>

namespace orbisk {
namespace {

using namespace ids::image_page;

class ImagePageTest : public test::PreferencesTest {
  protected:
    ImagePageTest() {
        page_.SetMessageSink([this](const QString& text) { messages_.append(text); });
    }
    QComboBox* Sizes() { return Find<QComboBox>(&page_, IDC_RESOLUTION); }
    // The values the page stores into a record of sentinels.
    SysSettings Stored(bool expectStored = true) {
        SysSettings s = Record();
        EXPECT_EQ(page_.StoreSettings(s), expectStored);
        return s;
    }

    CImageParaDialog page_;
};

TEST_F(ImagePageTest, ListsEachProbedSizeOnceAndSelectsTheConfiguredOne) {
    rig_.Add(kVid, kDocPid, Yuyv({{640, 480}, {1280, 720}, {640, 480}, {1920, 1080}}));
    EXPECT_TRUE(page_.LoadSettings(Record()));
    EXPECT_EQ(Items(Sizes()), (QStringList{"640*480", "1280*720", "1920*1080"}));
    EXPECT_EQ(Sizes()->currentText(), "1280*720");
    // The probe's index stays with its size.
    EXPECT_EQ(page_.Entries()[2], (SizeEntry{3, 1920, 1080}));
}

TEST_F(ImagePageTest, AppendsTheSizesAModelFourCameraIsEnlargedTo) {
    rig_.Add("1d6b", "0d41", Yuyv({{640, 480}, {3742, 2806}}));
    SysSettings s = Record();
    s.DocCamPid = "0d41";
    s.DocCamWidth = 4000;
    s.DocCamHeight = 3000;
    EXPECT_TRUE(page_.LoadSettings(s));
    // Added without a test for a size the camera streams itself.
    EXPECT_EQ(Items(Sizes()), (QStringList{"640*480", "3742*2806", "3742*2806", "4000*3000"}));
    EXPECT_EQ(page_.Entries().back(), (SizeEntry{-1, 4000, 3000}));
    EXPECT_EQ(Sizes()->currentText(), "4000*3000");
}

TEST_F(ImagePageTest, AConfiguredSizeTheCameraLacksSelectsTheFirstAndOkStoresIt) {
    rig_.Add(kVid, kDocPid, Yuyv({{800, 600}, {1600, 1200}}));
    page_.LoadSettings(Record());
    EXPECT_EQ(Sizes()->currentIndex(), 0);
    const SysSettings s = Stored();
    EXPECT_EQ(QSize(s.DocCamWidth, s.DocCamHeight), QSize(800, 600));
}

TEST_F(ImagePageTest, WithThePortraitCameraCurrentOnlyItsSizeIsWritten) {
    rig_.Add(kVid, kDocPid, Yuyv({{1280, 720}}));
    rig_.Add(kVid, kPorPid, Yuyv({{640, 480}, {1600, 1200}}));
    SysSettings s = Record();
    s.CurrentCamera = 1;
    page_.LoadSettings(s);
    EXPECT_EQ(Items(Sizes()), (QStringList{"640*480", "1600*1200"}));
    EXPECT_EQ(Sizes()->currentText(), "640*480");
    Sizes()->setCurrentIndex(1);
    ASSERT_TRUE(page_.StoreSettings(s));
    EXPECT_EQ(QSize(s.PorCamWidth, s.PorCamHeight), QSize(1600, 1200));
    EXPECT_EQ(QSize(s.DocCamWidth, s.DocCamHeight), QSize(1280, 720));
}

// The radio of each IMG_FORMAT, in the order of the codes.
constexpr int kFormatRadios[] = {IDC_FORMAT_DEFAULT, IDC_FORMAT_BMP, IDC_FORMAT_JPG,
                                 IDC_FORMAT_PNG,     IDC_FORMAT_TIF, IDC_FORMAT_GIF};

class ImagePageFormat : public ImagePageTest, public testing::WithParamInterface<int> {};

TEST_P(ImagePageFormat, ShowsTheStoredFormatAndStoresTheCheckedOne) {
    const int format = GetParam();
    SysSettings s = Record();
    s.IMG_FORMAT = format;
    page_.LoadSettings(s);
    EXPECT_TRUE(Find<QRadioButton>(&page_, kFormatRadios[format])->isChecked());
    const int other = (format + 1) % 6;
    Find<QRadioButton>(&page_, kFormatRadios[other])->click();
    EXPECT_EQ(Stored().IMG_FORMAT, other);
}

INSTANTIATE_TEST_SUITE_P(Formats, ImagePageFormat, testing::Range(0, 6),
                         [](const auto& info) { return test::CaseName("format", info.param); });

TEST_F(ImagePageTest, AnUnknownStoredFormatShowsTheDefault) {
    SysSettings s = Record();
    s.IMG_FORMAT = 9;
    page_.LoadSettings(s);
    EXPECT_TRUE(Find<QRadioButton>(&page_, IDC_FORMAT_DEFAULT)->isChecked());
    EXPECT_EQ(Stored().IMG_FORMAT, 0);
}

TEST_F(ImagePageTest, AFailedProbeStillLoadsTheOtherValuesAndOkKeepsThem) {
    // No camera at all: the size list stays empty.
    SysSettings loaded = Record();
    loaded.IMG_FORMAT = 3;
    EXPECT_FALSE(page_.LoadSettings(loaded));
    EXPECT_EQ(Sizes()->count(), 0);
    SysSettings s = Record();
    s.XDPI = s.YDPI = s.JPGQuality = s.CutLeft = s.CutTop = s.CutRight = s.CutBottom = 0;
    s.DocCamWidth = 7;
    ASSERT_TRUE(page_.StoreSettings(s));
    EXPECT_EQ(s.XDPI, 300);
    EXPECT_EQ(s.YDPI, 310);
    EXPECT_EQ(s.JPGQuality, 55);
    EXPECT_EQ((std::array{s.CutLeft, s.CutTop, s.CutRight, s.CutBottom}),
              (std::array{1, 2, 3, -4}));
    EXPECT_EQ(s.IMG_FORMAT, 3);
    EXPECT_EQ(s.DocCamWidth, 7);
}

struct DefaultsCase {
    int model;
    int dpi;
    const char* size;
};

class ImagePageDefaults : public ImagePageTest, public testing::WithParamInterface<DefaultsCase> {};

TEST_P(ImagePageDefaults, ShowTheModelsDpiAndSizeAndPlainValues) {
    const DefaultsCase& c = GetParam();
    rig_.Add(
        kVid, kDocPid,
        Yuyv({{1280, 720}, {2592, 1944}, {3264, 2448}, {3742, 2806}, {4000, 3000}, {3840, 2748}}));
    SysSettings s = Record();
    s.IMG_FORMAT = 4;
    page_.LoadSettings(s);
    ASSERT_TRUE(page_.SetDefaults(c.model));
    EXPECT_EQ(Sizes()->currentText(), c.size);
    const SysSettings stored = Stored();
    EXPECT_EQ(stored.XDPI, c.dpi);
    EXPECT_EQ(stored.YDPI, c.dpi);
    EXPECT_EQ(stored.JPGQuality, 70);
    EXPECT_EQ((std::array{stored.CutLeft, stored.CutTop, stored.CutRight, stored.CutBottom}),
              (std::array{0, 0, 0, 0}));
    EXPECT_EQ(stored.IMG_FORMAT, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Models, ImagePageDefaults,
    testing::Values(DefaultsCase{0, 215, "2592*1944"}, DefaultsCase{1, 215, "2592*1944"},
                    DefaultsCase{2, 270, "3264*2448"}, DefaultsCase{3, 310, "3742*2806"},
                    DefaultsCase{4, 330, "4000*3000"}, DefaultsCase{5, 310, "3840*2748"},
                    DefaultsCase{6, 310, "3742*2806"}),
    [](const auto& info) { return test::CaseName("model", info.param.model); });

TEST_F(ImagePageTest, DefaultsOfAnUnknownModelChangeNothing) {
    rig_.Add(kVid, kDocPid, Yuyv({{1280, 720}, {2592, 1944}}));
    page_.LoadSettings(Record());
    for (int model : {-1, 7}) {
        EXPECT_FALSE(page_.SetDefaults(model)) << model;
        EXPECT_EQ(Sizes()->currentText(), "1280*720");
        EXPECT_EQ(Stored().XDPI, 300);
    }
}

TEST_F(ImagePageTest, ADefaultSizeTheCameraLacksLeavesTheSelection) {
    rig_.Add(kVid, kDocPid, Yuyv({{640, 480}, {1280, 720}}));
    page_.LoadSettings(Record());
    ASSERT_TRUE(page_.SetDefaults(2));
    EXPECT_EQ(Sizes()->currentText(), "1280*720");
}

struct RefusalCase {
    const char* name;
    int field;
    const char* text;
    int language;
    const char* message;
};

class ImagePageRefusal : public ImagePageTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(ImagePageRefusal, RefusesTheFieldAndStoresNothing) {
    const RefusalCase& c = GetParam();
    rig_.Add(kVid, kDocPid, Yuyv({{640, 480}, {1280, 720}}));
    SysSettings loaded = Record();
    loaded.Language = c.language;
    page_.LoadSettings(loaded);
    Type(&page_, IDC_XDPI, "100");  // a change that must not be stored
    Sizes()->setCurrentIndex(0);
    Type(&page_, c.field, c.text);
    const SysSettings s = Stored(false);
    EXPECT_EQ(messages_, QStringList{QString::fromUtf8(c.message)});
    EXPECT_EQ(s.XDPI, 300);
    EXPECT_EQ(s.DocCamWidth, 1280);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ImagePageRefusal,
    testing::Values(
        RefusalCase{"xdpi_600", IDC_XDPI, "600", 2, "Please enter an integer between 1 and 400."},
        RefusalCase{"xdpi_0", IDC_XDPI, "0", 0, "请输入一个介于 1 和 400 之间的整数。"},
        RefusalCase{"ydpi_empty", IDC_YDPI, "", 1, "請輸入一個介於 1 和 400 之間的整數。"},
        RefusalCase{"trim_empty", IDC_TRIM_BOTTOM, "", 2, "Please enter an integer."},
        RefusalCase{"trim_sign_only", IDC_TRIM_LEFT, "-", 0, "请输入一个整数。"}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST_F(ImagePageTest, AStoredDpiOutOfRangeIsShownAsItIsAndRefused) {
    SysSettings s = Record();
    s.XDPI = 600;
    page_.LoadSettings(s);
    EXPECT_EQ(Find<QLineEdit>(&page_, IDC_XDPI)->text(), "600");
    Stored(false);
    EXPECT_EQ(messages_.size(), 1);
}

TEST_F(ImagePageTest, TheQualitySliderIsStored) {
    page_.LoadSettings(Record());
    Find<QSlider>(&page_, IDC_QUALITY)->setValue(91);
    EXPECT_EQ(Stored().JPGQuality, 91);
}

}  // namespace
}  // namespace orbisk
