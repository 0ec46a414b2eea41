// The prefixes a hand-edited Sys.ini offers the main window: a prefix that no
// file name may carry is neither offered nor used.

#include "core/command_ids.h"
#include "tests/app/capture_fixture.h"
#include "ui/my_combo_box.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace ids::main_dlg;

using StoredPrefixTest = test::CaptureWindowTest;

QStringList Items(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) items.append(combo.itemText(i));
    return items;
}

TEST_F(StoredPrefixTest, APrefixWithAPathSeparatorOrControlCharacterIsDroppedWhenTheListLoads) {
    COrbiskDlg& dlg =
        Start("FILE/PRECHOOSE=../up|DOC|a\\b|T\tAB|SCAN\nFILE/PREFIX=SCAN\nIMAGE/INDEX=3");
    const auto* combo = dlg.ControlAs<CMyComboBox>(IDC_PREFIX_COMBO);
    EXPECT_EQ(Items(*combo), (QStringList{"DOC", "SCAN", "..."}));
    EXPECT_EQ(combo->currentText(), "SCAN");
    ASSERT_TRUE(dlg.OnCommand(IDC_CAPTURE));
    EXPECT_EQ(Saved(), QStringList{"SCAN00003.jpg"});
}

TEST_F(StoredPrefixTest, AStoredPrefixNoFileNameMayCarryGivesWayToTheFirstOfTheList) {
    COrbiskDlg& dlg = Start("FILE/PRECHOOSE=../up|DOC|SCAN\nFILE/PREFIX=../up\nIMAGE/INDEX=3");
    const auto* combo = dlg.ControlAs<CMyComboBox>(IDC_PREFIX_COMBO);
    EXPECT_EQ(combo->currentText(), "DOC");
    EXPECT_EQ(combo->CurrentPrefix(), "DOC");
    ASSERT_TRUE(dlg.OnCommand(IDC_CAPTURE));
    EXPECT_EQ(Saved(), QStringList{"DOC00003.jpg"});
    // Nothing was written beside the save folder.
    EXPECT_FALSE(QDir(SaveFolder() + "/..").exists(QStringLiteral("up00003.jpg")));
    dlg.DestroyWindow();
    EXPECT_EQ(Stored().PREFIX, "DOC");
}

}  // namespace
}  // namespace orbisk
