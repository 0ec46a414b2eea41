#include "app/interface_language.h"
#include "tests/support/case_name.h"
#include "tests/support/main_window/main_window_test.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QFontInfo>
#include <QMessageBox>

namespace orbisk {
namespace {

struct LanguageCase {
    const char* name;
    int language;
    const char* family;  // the font the interface really gets
    const char* ok;      // a message box's buttons
    const char* cancel;
};

// The buttons of a message box as the operator sees them, and its font.
struct BoxFace {
    QString ok;
    QString cancel;
    QString family;
};

BoxFace MessageBoxFace() {
    QMessageBox box(QMessageBox::Warning, QString(), QStringLiteral("x"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    return {box.button(QMessageBox::Ok)->text(), box.button(QMessageBox::Cancel)->text(),
            QFontInfo(box.font()).family()};
}

class InterfaceLanguageTest : public testing::TestWithParam<LanguageCase> {
  protected:
    ~InterfaceLanguageTest() override { ResetInterfaceLanguage(); }
};

TEST_P(InterfaceLanguageTest, MessageBoxesSpeakTheLanguageInItsFont) {
    const LanguageCase& c = GetParam();
    const QFont before = QApplication::font();
    ApplyInterfaceLanguage(c.language);
    const BoxFace face = MessageBoxFace();
    EXPECT_EQ(face.ok, QString::fromUtf8(c.ok));
    EXPECT_EQ(face.cancel, QString::fromUtf8(c.cancel));
    EXPECT_EQ(face.family, QString::fromUtf8(c.family));
    EXPECT_EQ(QApplication::font().pointSizeF(), before.pointSizeF());

    // Another index changes nothing; the reset gives back Qt's own.
    ApplyInterfaceLanguage(7);
    EXPECT_EQ(MessageBoxFace().ok, QString::fromUtf8(c.ok));
    ResetInterfaceLanguage();
    EXPECT_EQ(MessageBoxFace().ok, QStringLiteral("OK"));
    EXPECT_EQ(QApplication::font(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, InterfaceLanguageTest,
    testing::Values(LanguageCase{"simplified", 0, "Noto Sans CJK SC", "确定", "取消"},
                    LanguageCase{"traditional", 1, "Noto Sans CJK TC", "確定", "取消"},
                    LanguageCase{"english", 2, "Liberation Sans", "OK", "Cancel"}),
    [](const auto& info) { return test::CaseName(info.param.name); });

// Each language after another: no catalogue of the one before is left.
TEST(InterfaceLanguage, TheLastLanguageHolds) {
    ApplyInterfaceLanguage(0);
    ApplyInterfaceLanguage(1);
    EXPECT_EQ(MessageBoxFace().ok, QString::fromUtf8("確定"));
    ApplyInterfaceLanguage(2);
    EXPECT_EQ(MessageBoxFace().ok, QStringLiteral("OK"));
    EXPECT_EQ(MessageBoxFace().family, QStringLiteral("Liberation Sans"));
    ResetInterfaceLanguage();
}

using WindowLanguageTest = test::MainWindowTest;

TEST_F(WindowLanguageTest, TheStartUpTakesTheConfiguredLanguageForQtsTextsAndTheFont) {
    auto dlg = StartWindow(QStringLiteral("[Language]\nCurrent=CNT\n"));
    ASSERT_TRUE(completed_);
    const BoxFace face = MessageBoxFace();
    EXPECT_EQ(face.ok, QString::fromUtf8("確定"));
    EXPECT_EQ(face.family, QStringLiteral("Noto Sans CJK TC"));
    EXPECT_EQ(QFontInfo(dlg->font()).family(), QStringLiteral("Noto Sans CJK TC"));
}

}  // namespace
}  // namespace orbisk
