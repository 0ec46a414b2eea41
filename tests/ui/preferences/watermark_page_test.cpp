#include "ui/preferences/water_mark_dialog.h"

#include "core/command_ids.h"
#include "tests/support/case_name.h"
#include "tests/ui/preferences/page_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QSlider>
#include <QWheelEvent>

namespace orbisk {
namespace {

using namespace ids::watermark_page;

class WatermarkPageTest : public test::PreferencesTest {
  protected:
    WatermarkPageTest() {
        page_.SetMessageSink([this](const QString& text) { messages_.append(text); });
    }
    SysSettings Load(SysSettings s) {
        page_.LoadSettings(s);
        return s;
    }
    QComboBox* Positions() { return Find<QComboBox>(&page_, IDC_POSITION); }
    QComboBox* Colours() { return Find<QComboBox>(&page_, IDC_COLOUR); }
    QSlider* Slider() { return Find<QSlider>(&page_, IDC_TRANSPARENCY_SLIDER); }
    QString Shown() { return Find<QLineEdit>(&page_, IDC_TRANSPARENCY)->text(); }

    CWaterMarkDialog page_;
};

TEST_F(WatermarkPageTest, ShowsACustomWatermarkWithItsTextEditable) {
    SysSettings s = Record();
    s.Custom = 1;
    s.Name = "A";
    s.Position = 1;
    Load(s);
    EXPECT_TRUE(Find<QCheckBox>(&page_, IDC_CUSTOM)->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(&page_, IDC_TIME_STAMP)->isChecked());
    EXPECT_EQ(Find<QLineEdit>(&page_, IDC_TEXT)->text(), "A");
    EXPECT_TRUE(Find<QLineEdit>(&page_, IDC_TEXT)->isEnabled());
    EXPECT_EQ(Positions()->currentIndex(), 1);
    Find<QCheckBox>(&page_, IDC_CUSTOM)->click();
    EXPECT_FALSE(Find<QLineEdit>(&page_, IDC_TEXT)->isEnabled());
}

struct ColourCase {
    const char* name;
    int stored;
    int index;
    int storedBack;
};

class WatermarkColour : public WatermarkPageTest, public testing::WithParamInterface<ColourCase> {};

TEST_P(WatermarkColour, SelectsTheColourOfTheTableAndStoresItsValue) {
    const ColourCase& c = GetParam();
    SysSettings s = Record();
    s.Color = c.stored;
    Load(s);
    EXPECT_EQ(Colours()->currentIndex(), c.index);
    ASSERT_TRUE(page_.StoreSettings(s));
    EXPECT_EQ(s.Color, c.storedBack);
}

INSTANTIATE_TEST_SUITE_P(Colours, WatermarkColour,
                         testing::Values(ColourCase{"red", 0x0000FF, 0, 255},
                                         ColourCase{"green", 0x00FF00, 1, 0x00FF00},
                                         ColourCase{"blue", 0xFF0000, 2, 0xFF0000},
                                         ColourCase{"white", 0xFFFFFF, 3, 0xFFFFFF},
                                         ColourCase{"black", 0, 4, 0},
                                         ColourCase{"unknown_is_red", 0x123456, 0, 255}),
                         [](const auto& info) { return test::CaseName(info.param.name); });

struct EmptyTextCase {
    int language;
    const char* message;
};

class WatermarkEmptyText : public WatermarkPageTest,
                           public testing::WithParamInterface<EmptyTextCase> {};

TEST_P(WatermarkEmptyText, IsRefusedInThePagesLanguageAndNothingIsStored) {
    SysSettings s = Record();
    s.Language = GetParam().language;
    Load(s);
    Find<QCheckBox>(&page_, IDC_TIME_STAMP)->click();
    Find<QCheckBox>(&page_, IDC_CUSTOM)->click();
    EXPECT_FALSE(page_.StoreSettings(s));
    EXPECT_EQ(messages_, QStringList{QString::fromUtf8(GetParam().message)});
    EXPECT_EQ(s.Custom, 0);
    EXPECT_EQ(s.DateMark, 0);
}

INSTANTIATE_TEST_SUITE_P(Languages, WatermarkEmptyText,
                         testing::Values(EmptyTextCase{0, "水印内容为空"},
                                         EmptyTextCase{1, "浮水印文字沒有設定"},
                                         EmptyTextCase{2, "Watermark Content is empty!"}),
                         [](const auto& info) { return test::CaseName(info.param.language); });

TEST_F(WatermarkPageTest, TheShownTransparencyFollowsMouseKeyboardAndWheel) {
    SysSettings s = Load(Record());
    QSlider* slider = Slider();
    // A drag: the handle is held, moved and let go.
    slider->setSliderDown(true);
    slider->setSliderPosition(30);
    EXPECT_EQ(Shown(), "30");
    slider->setSliderDown(false);
    ASSERT_TRUE(page_.StoreSettings(s));
    EXPECT_EQ(s.Transparency, 30);

    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(slider, &right);
    EXPECT_EQ(Shown(), "31");
    ASSERT_TRUE(page_.StoreSettings(s));
    EXPECT_EQ(s.Transparency, 31);

    QWheelEvent wheel(QPointF(5, 5), slider->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &wheel);
    EXPECT_EQ(Shown(), QString::number(slider->value()));
    EXPECT_NE(slider->value(), 31);
    ASSERT_TRUE(page_.StoreSettings(s));
    EXPECT_EQ(s.Transparency, slider->value());
}

struct SizeCase {
    const char* text;
    bool accepted;
};

class WatermarkSize : public WatermarkPageTest, public testing::WithParamInterface<SizeCase> {};

TEST_P(WatermarkSize, IsTakenFromOneTo2000) {
    SysSettings s = Load(Record());
    Type(&page_, IDC_SIZE, GetParam().text);
    EXPECT_EQ(page_.StoreSettings(s), GetParam().accepted);
    if (GetParam().accepted) {
        EXPECT_EQ(s.Size, QString(GetParam().text).toInt());
        EXPECT_TRUE(messages_.isEmpty());
    } else {
        EXPECT_EQ(s.Size, 256);
        EXPECT_EQ(messages_, QStringList{"请输入一个介于 1 和 2000 之间的整数。"});
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, WatermarkSize,
                         testing::Values(SizeCase{"0", false}, SizeCase{"", false},
                                         SizeCase{"2001", false}, SizeCase{"1", true},
                                         SizeCase{"2000", true}),
                         [](const auto& info) {
                             return test::CaseName(info.param.text[0] ? info.param.text : "empty");
                         });

struct PositionCase {
    const char* name;
    int loaded;
    int shown;
    int stored;
};

class WatermarkPosition : public WatermarkPageTest,
                          public testing::WithParamInterface<PositionCase> {};

TEST_P(WatermarkPosition, WithNoneSelectedKeepsALoadedPositionElseTheCentre) {
    const PositionCase& c = GetParam();
    SysSettings s = Record();
    s.Position = c.loaded;
    Load(s);
    EXPECT_EQ(Positions()->currentIndex(), c.shown);
    Positions()->setCurrentIndex(-1);
    ASSERT_TRUE(page_.StoreSettings(s));
    EXPECT_EQ(s.Position, c.stored);
}

INSTANTIATE_TEST_SUITE_P(Positions, WatermarkPosition,
                         testing::Values(PositionCase{"top_left", 0, 0, 0},
                                         PositionCase{"bottom_right", 3, 3, 3},
                                         PositionCase{"past_the_list", 9, -1, 4},
                                         PositionCase{"negative", -1, -1, 4}),
                         [](const auto& info) { return test::CaseName(info.param.name); });

TEST_F(WatermarkPageTest, ALoadedTransparencyIsClampedToThePercentRange) {
    for (auto [loaded, kept] : {std::pair{150, 100}, {-5, 0}, {40, 40}}) {
        SysSettings s = Record();
        s.Transparency = loaded;
        Load(s);
        EXPECT_EQ(Shown(), QString::number(kept));
        ASSERT_TRUE(page_.StoreSettings(s));
        EXPECT_EQ(s.Transparency, kept) << loaded;
    }
}

TEST_F(WatermarkPageTest, TheTextReachesTheSettingsAsOneLine) {
    SysSettings s = Load(Record());
    Find<QCheckBox>(&page_, IDC_CUSTOM)->click();
    Type(&page_, IDC_TEXT, QStringLiteral("Copy\nfor\r\nfiles"));
    ASSERT_TRUE(page_.StoreSettings(s));
    EXPECT_FALSE(s.Name.contains('\n') || s.Name.contains('\r'));
    EXPECT_TRUE(s.Name.startsWith("Copy"));
    EXPECT_TRUE(s.Name.endsWith("files"));
    EXPECT_EQ(s.Custom, 1);
}

TEST_F(WatermarkPageTest, DefaultsAreSize96CentreRedHalfTransparentAndNoWatermark) {
    SysSettings s = Record();
    s.DateMark = s.Custom = 1;
    s.Name = "X";
    s.Position = 0;
    s.Color = 0xFF0000;
    s.Transparency = 10;
    Load(s);
    ASSERT_TRUE(page_.SetDefaults());
    EXPECT_FALSE(Find<QLineEdit>(&page_, IDC_TEXT)->isEnabled());
    ASSERT_TRUE(page_.StoreSettings(s));
    EXPECT_EQ(s.DateMark, 0);
    EXPECT_EQ(s.Custom, 0);
    EXPECT_EQ(s.Size, 96);
    EXPECT_EQ(s.Position, 4);
    EXPECT_EQ(s.Color, 255);
    EXPECT_EQ(s.Transparency, 50);
}

TEST_F(WatermarkPageTest, TheListsSpeakThePagesLanguage) {
    SysSettings s = Record();
    s.Language = 2;
    s.Color = 0x00FF00;
    s.Position = 2;
    Load(s);
    EXPECT_EQ(Items(Positions()),
              (QStringList{"Top left Corner", "Top right Corner", "Bottom left Corner",
                           "Bottom right Corner", "Center"}));
    EXPECT_EQ(Items(Colours()), (QStringList{"Red", "Green", "Blue", "White", "Black"}));
    EXPECT_EQ(Colours()->currentIndex(), 1);
    EXPECT_EQ(Positions()->currentIndex(), 2);
    s.Language = 1;
    Load(s);
    EXPECT_EQ(Items(Positions()), (QStringList{"左上角", "右上角", "左下角", "右下角", "中間"}));
    EXPECT_EQ(Items(Colours()), (QStringList{"紅", "綠", "藍", "白", "黑"}));
}

}  // namespace
}  // namespace orbisk
