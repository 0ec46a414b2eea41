#include "app/main_dlg/message_texts.h"
#include "core/command_ids.h"
#include "tests/support/case_name.h"

#include <gtest/gtest.h>

#include <set>

namespace orbisk {
namespace {

using namespace ids::main_dlg;

QString Text(std::span<const ControlText> table, int id, int language) {
    for (const ControlText& row : table) {
        if (row.id == id) return row.text.In(language);
    }
    return QStringLiteral("<none>");
}

class LanguageTest : public testing::TestWithParam<int> {};

TEST_P(LanguageTest, EveryMessageOfTheTableHasTextAndTheFreeIndexesStayEmpty) {
    MessageTexts texts;
    texts[kMsgBrandLabel] = QStringLiteral("label");
    LoadMessageTexts(texts, GetParam());
    for (int i = 0; i < kMessageTextCount; ++i) {
        const bool free = i == 1 || i == 8 || i == 13 || i == 14;
        EXPECT_EQ(texts[i].isEmpty(), free) << "index " << i;
    }
    EXPECT_EQ(texts[kMsgBrandLabel], QStringLiteral("label"));
}

TEST_P(LanguageTest, EveryCaptionTooltipAndButtonCaptionIsNonEmpty) {
    const int language = GetParam();
    for (const ControlText& row : ControlCaptions())
        EXPECT_FALSE(row.text.In(language).isEmpty()) << row.id;
    for (const ControlText& row : ButtonTooltips())
        EXPECT_FALSE(row.text.In(language).isEmpty()) << row.id;
    for (const LanguageButton& row : LanguageButtons()) {
        EXPECT_FALSE(row.caption.In(language).isEmpty()) << row.id;
    }
    EXPECT_EQ(ControlCaptions().size(), 20u);
    EXPECT_EQ(LanguageButtons().size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageTest, testing::Values(0, 1, 2),
                         [](const auto& info) { return "language" + std::to_string(info.param); });

TEST(MessageTexts, AnIndexOutsideTheThreeLanguagesChangesNothing) {
    MessageTexts texts;
    LoadMessageTexts(texts, 2);
    const MessageTexts english = texts;
    LoadMessageTexts(texts, 3);
    LoadMessageTexts(texts, -1);
    EXPECT_EQ(texts, english);
    EXPECT_EQ(texts[kMsgDeviceBusy],
              QStringLiteral("The device may be used by other programs, please check!"));
}

TEST(MessageTexts, LanguageTwoShowsThePrefixLabelAndTheMergeCheckInEnglish) {
    EXPECT_EQ(Text(ControlCaptions(), IDC_PREFIX_LABEL, 2), QStringLiteral("Prefix:"));
    EXPECT_EQ(Text(ControlCaptions(), IDC_MERGE, 2), QStringLiteral("2 in 1"));
    EXPECT_EQ(Text(ControlCaptions(), IDC_MERGE, 1), QStringLiteral("合併圖像"));
    EXPECT_EQ(Text(ButtonTooltips(), IDC_ROTATE_180, 1), QStringLiteral("Upside down"));
}

TEST(MessageTexts, RotateLeftTurnsCounterClockwiseAndRotateRightClockwise) {
    EXPECT_EQ(Text(ButtonTooltips(), IDC_ROTATE_LEFT, 2), QStringLiteral("Rotate 90° CCW"));
    EXPECT_EQ(Text(ButtonTooltips(), IDC_ROTATE_RIGHT, 2), QStringLiteral("Rotate 90° CW"));
}

TEST(MessageTexts, EveryButtonFaceIdIsUsedOnce) {
    std::multiset<int> ids;
    auto add = [&](const ButtonFaces& f) {
        for (int id : {f.normal, f.pressed, f.hover}) ids.insert(id);
    };
    for (const LanguageButton& row : LanguageButtons()) {
        for (const ButtonFaces& f : row.faces) add(f);
    }
    for (const FixedButton& row : FixedButtons()) add(row.faces);
    for (int id : ids) EXPECT_EQ(ids.count(id), 1u) << id;
    EXPECT_EQ(ids.size(), 10u * 3 * 3 + 5 * 3);
}

TEST(MessageTexts, TheBottomLineIsTheLabelInSimplifiedChineseAndAnOwnershipLineElse) {
    EXPECT_EQ(BrandLineText(0, QString()), QString());
    EXPECT_EQ(BrandLineText(0, QStringLiteral("label")), QStringLiteral("label"));
    EXPECT_FALSE(BrandLineText(1, QString()).isEmpty());
    EXPECT_FALSE(BrandLineText(2, QStringLiteral("label")).contains(QStringLiteral("label")));
}

}  // namespace
}  // namespace orbisk
