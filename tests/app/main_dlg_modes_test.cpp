#include "app/main_dlg/message_texts.h"
#include "app/main_dlg/modes_destination.h"
#include "app/main_dlg/orbisk_dlg.h"
#include "core/branding_writer.h"
#include "core/command_ids.h"
#include "tests/support/case_name.h"
#include "tests/support/main_window/main_window_test.h"
#include "ui/dialog_file_name.h"
#include "ui/my_combo_box.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimer>

#include <functional>

namespace orbisk {
namespace {

using namespace ids::main_dlg;

// ---- The destination rule on its own --------------------------------------

struct DestinationCase {
    const char* name;
    Destination clicked;
    DestinationState state;  // boxes after the click's toggle
    DestinationOutcome expected;
};

constexpr Destination kMerge = Destination::Merge;
constexpr Destination kPdf = Destination::OnePdf;
constexpr Destination kTif = Destination::MultiPageTif;

DestinationBoxes Boxes(bool merge, bool pdf, bool tif) { return {merge, pdf, tif}; }

DestinationState State(DestinationBoxes boxes, bool mergeDlg = false, bool pageDlg = false,
                       bool camera = true) {
    return {boxes, mergeDlg, pageDlg, camera};
}

DestinationOutcome Outcome(DestinationBoxes boxes, std::optional<int> collection,
                           std::optional<int> merge, int message = -1, bool deleteMerge = false,
                           bool deletePage = false) {
    return {boxes, collection, merge, message, deleteMerge, deletePage};
}

class DestinationTest : public testing::TestWithParam<DestinationCase> {};

TEST_P(DestinationTest, GivesBoxesSettingsMessageAndDialogs) {
    const DestinationCase& c = GetParam();
    const DestinationOutcome out = ClickDestination(c.clicked, c.state);
    const DestinationOutcome& e = c.expected;
    EXPECT_EQ(out.boxes, e.boxes);
    EXPECT_EQ(out.collection, e.collection);
    EXPECT_EQ(out.merge, e.merge);
    EXPECT_EQ(out.message, e.message);
    EXPECT_EQ(out.deleteMergeDlg, e.deleteMergeDlg);
    EXPECT_EQ(out.deletePageDlg, e.deletePageDlg);
}

const auto kNone = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Clicks, DestinationTest,
    testing::Values(
        // Switching on with no dialog open simply switches destination.
        DestinationCase{"tif_on", kTif, State(Boxes(0, 0, 1)), Outcome(Boxes(0, 0, 1), 1, kNone)},
        DestinationCase{"pdf_on", kPdf, State(Boxes(0, 1, 0)), Outcome(Boxes(0, 1, 0), 2, kNone)},
        DestinationCase{"merge_on", kMerge, State(Boxes(1, 0, 0)),
                        Outcome(Boxes(1, 0, 0), kNone, 1)},
        DestinationCase{"tif_over_pdf_no_page_yet", kTif, State(Boxes(0, 1, 1)),
                        Outcome(Boxes(0, 0, 1), 1, kNone)},
        DestinationCase{"pdf_over_tif", kPdf, State(Boxes(0, 1, 1)),
                        Outcome(Boxes(0, 1, 0), 2, kNone)},
        DestinationCase{"tif_over_merge", kTif, State(Boxes(1, 0, 1)),
                        Outcome(Boxes(0, 0, 1), 1, 0)},
        DestinationCase{"pdf_over_merge", kPdf, State(Boxes(1, 1, 0)),
                        Outcome(Boxes(0, 1, 0), 2, 0)},
        DestinationCase{"merge_over_pdf", kMerge, State(Boxes(1, 1, 0)),
                        Outcome(Boxes(1, 0, 0), 0, 1)},
        DestinationCase{"merge_over_tif", kMerge, State(Boxes(1, 0, 1)),
                        Outcome(Boxes(1, 0, 0), 0, 1)},
        // Switching off without a dialog.
        DestinationCase{"tif_off", kTif, State(Boxes(0, 0, 0)), Outcome(Boxes(0, 0, 0), 0, kNone)},
        DestinationCase{"merge_off", kMerge, State(Boxes(0, 0, 0)),
                        Outcome(Boxes(0, 0, 0), kNone, 0)},
        // Switching off deletes the dialog it feeds, without its document.
        DestinationCase{"pdf_off_with_its_dialog", kPdf, State(Boxes(0, 0, 0), false, true),
                        Outcome(Boxes(0, 0, 0), 0, kNone, -1, false, true)},
        DestinationCase{"tif_off_with_its_dialog", kTif, State(Boxes(0, 0, 0), false, true),
                        Outcome(Boxes(0, 0, 0), 0, kNone, -1, false, true)},
        DestinationCase{"merge_off_with_its_dialog", kMerge, State(Boxes(0, 0, 0), true, false),
                        Outcome(Boxes(0, 0, 0), kNone, 0, -1, true, false)},
        // An open dialog keeps the operator in its destination.
        DestinationCase{"tif_while_pdf_collects", kTif, State(Boxes(0, 1, 1), false, true),
                        Outcome(Boxes(0, 1, 0), kNone, kNone, kMsgMakingPdf)},
        DestinationCase{"pdf_while_tif_collects", kPdf, State(Boxes(0, 1, 1), false, true),
                        Outcome(Boxes(0, 0, 1), kNone, kNone, kMsgMakingTif)},
        DestinationCase{"tif_while_merging", kTif, State(Boxes(1, 0, 1), true, false),
                        Outcome(Boxes(1, 0, 0), kNone, kNone, kMsgCombining)},
        DestinationCase{"pdf_while_merging", kPdf, State(Boxes(1, 1, 0), true, false),
                        Outcome(Boxes(1, 0, 0), kNone, kNone, kMsgCombining)},
        DestinationCase{"merge_while_pdf_collects", kMerge, State(Boxes(1, 1, 0), false, true),
                        Outcome(Boxes(0, 1, 0), kNone, kNone, kMsgMakingPdf)},
        DestinationCase{"merge_while_tif_collects", kMerge, State(Boxes(1, 0, 1), false, true),
                        Outcome(Boxes(0, 0, 1), kNone, kNone, kMsgMakingTif)},
        // Without a document camera every click is undone, on or off.
        DestinationCase{"no_camera_tif_on", kTif, State(Boxes(0, 0, 1), false, false, false),
                        Outcome(Boxes(0, 0, 0), kNone, kNone)},
        DestinationCase{"no_camera_merge_off", kMerge, State(Boxes(0, 0, 0), true, false, false),
                        Outcome(Boxes(1, 0, 0), kNone, kNone)},
        DestinationCase{"no_camera_pdf_over_tif", kPdf, State(Boxes(0, 1, 1), false, false, false),
                        Outcome(Boxes(0, 0, 1), kNone, kNone)}),
    [](const auto& info) { return test::CaseName(info.param.name); });

// ---- The main window --------------------------------------------------------

// A main window on fake document and portrait cameras; the camera log and
// the messages of the start-up are cleared.
class ModesTest : public test::MainWindowTest {
  protected:
    ModesTest() { WithPortraitCamera(); }

    std::unique_ptr<COrbiskDlg> Start(const QString& ini = QString()) {
        auto dlg = StartWindow(ini);
        EXPECT_TRUE(completed_);
        shown_.clear();
        icons_.clear();
        cameras_.log.clear();
        return dlg;
    }
};

struct NamingCase {
    const char* name;
    int radio;
    int rule;
    bool prefixControls;  // 1099 and 1060 enabled
};

class NamingRadioTest : public ModesTest, public testing::WithParamInterface<NamingCase> {};

TEST_P(NamingRadioTest, SetsTheRuleAndEnablesThePrefixControlsForRuleZeroOnly) {
    const NamingCase& c = GetParam();
    // Starts on the other side of each case.
    auto dlg = Start(c.rule == 0 ? "[FILE]\nTypeofImageName=1\n" : "[FILE]\nTypeofImageName=0\n");
    ASSERT_NE(dlg->Control(IDC_PREFIX_COMBO)->isEnabled(), c.prefixControls);
    dlg->ControlAs<QRadioButton>(c.radio)->click();
    EXPECT_EQ(dlg->NamingRule(), c.rule);
    EXPECT_EQ(dlg->Control(IDC_PREFIX_COMBO)->isEnabled(), c.prefixControls);
    EXPECT_EQ(dlg->Control(IDC_INDEX_EDIT)->isEnabled(), c.prefixControls);
    for (int id : {IDC_NAMING_PREFIX, IDC_NAMING_TIME, IDC_NAMING_CUSTOM}) {
        EXPECT_EQ(dlg->ControlAs<QRadioButton>(id)->isChecked(), id == c.radio) << id;
    }
    // The rule reaches the settings with the next capture, or at the exit.
    dlg->DestroyWindow();
    EXPECT_EQ(Stored().TypeofImageName, c.rule);
}

INSTANTIATE_TEST_SUITE_P(Radios, NamingRadioTest,
                         testing::Values(NamingCase{"prefix", IDC_NAMING_PREFIX, 0, true},
                                         NamingCase{"time", IDC_NAMING_TIME, 1, false},
                                         NamingCase{"custom", IDC_NAMING_CUSTOM, 2, false}),
                         [](const auto& info) { return test::CaseName(info.param.name); });

const QString kPrefixes = QStringLiteral(
    "[FILE]\nTypeofImageName=0\nPREFIX=DOC\nPRECHOOSE=IMG|DOC|TXT\n"
    "[IMAGE]\nINDEX=17\n");

void Choose(CMyComboBox& combo, int item) {
    combo.setCurrentIndex(item);
    emit combo.activated(item);
}

TEST_F(ModesTest, AnotherPrefixStartsAtIndexZeroAndTheSameOneKeepsTheIndex) {
    auto dlg = Start(kPrefixes);
    auto* combo = dlg->ControlAs<CMyComboBox>(IDC_PREFIX_COMBO);
    ASSERT_NE(combo, nullptr);
    auto* index = dlg->ControlAs<QLineEdit>(IDC_INDEX_EDIT);
    EXPECT_EQ(combo->currentText(), "DOC");
    EXPECT_EQ(index->text(), "17");

    Choose(*combo, 1);
    EXPECT_EQ(index->text(), "17");
    EXPECT_EQ(dlg->GetSettings().INDEX, 17);

    Choose(*combo, 2);
    EXPECT_EQ(index->text(), "0");
    EXPECT_EQ(dlg->GetSettings().INDEX, 0);

    dlg->DestroyWindow();
    EXPECT_EQ(Stored().PREFIX, "TXT");
    EXPECT_EQ(Stored().INDEX, 0);
}

TEST_F(ModesTest, TheIndexEditTakesEightDigitsIntoTheSettingsAsTyped) {
    auto dlg = Start(kPrefixes);
    auto* index = dlg->ControlAs<QLineEdit>(IDC_INDEX_EDIT);
    int pos = 0;
    QString nine = "100000000", eight = "99999999";
    EXPECT_EQ(index->validator()->validate(eight, pos), QValidator::Acceptable);
    EXPECT_NE(index->validator()->validate(nine, pos), QValidator::Acceptable);
    index->setText(eight);
    EXPECT_EQ(dlg->GetSettings().INDEX, 99999999);
    index->setText("42");
    EXPECT_EQ(dlg->GetSettings().INDEX, 42);
}

// Runs `act` on the prefix editor once it is open.
void WhenTheEditorOpens(std::function<void(CDialogFileName&)> act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* editor = qobject_cast<CDialogFileName*>(w); editor && editor->isVisible()) {
                act(*editor);
                return;
            }
        }
        ADD_FAILURE() << "no prefix editor open";
    });
}

TEST_F(ModesTest, CancellingThePrefixEditorKeepsPrefixIndexAndList) {
    auto dlg = Start(kPrefixes + "[Language]\nCurrent=EN\n");
    auto* combo = dlg->ControlAs<CMyComboBox>(IDC_PREFIX_COMBO);
    WhenTheEditorOpens([](CDialogFileName& editor) {
        EXPECT_EQ(editor.PrefixEdit()->toPlainText(), "IMG|DOC|TXT");
        // A refused list first: the message is in simplified Chinese.
        editor.PrefixEdit()->setPlainText("IMG|a/b");
        editor.OnConfirm();
        editor.OnCancelClicked();
    });
    Choose(*combo, combo->count() - 1);
    EXPECT_EQ(shown_, QStringList{QString::fromUtf8("文件名前缀格式不正确！")});
    EXPECT_EQ(icons_, std::vector<QMessageBox::Icon>{QMessageBox::Critical});
    EXPECT_EQ(combo->currentText(), "DOC");
    EXPECT_EQ(dlg->ControlAs<QLineEdit>(IDC_INDEX_EDIT)->text(), "17");
    EXPECT_EQ(Stored().PRECHOOSE, "IMG|DOC|TXT");
    dlg->DestroyWindow();
    EXPECT_EQ(Stored().PREFIX, "DOC");
    EXPECT_EQ(Stored().INDEX, 17);
}

TEST_F(ModesTest, ThePrefixEditorsOkWritesTheListToSysIniAtOnce) {
    auto dlg = Start(kPrefixes);
    auto* combo = dlg->ControlAs<CMyComboBox>(IDC_PREFIX_COMBO);
    WhenTheEditorOpens([](CDialogFileName& editor) {
        editor.PrefixEdit()->setPlainText(QString::fromUtf8("扫描|DOC"));
        editor.OnConfirm();
    });
    Choose(*combo, combo->count() - 1);
    EXPECT_TRUE(shown_.isEmpty());
    EXPECT_EQ(Stored().PRECHOOSE, QString::fromUtf8("扫描|DOC"));
    EXPECT_EQ(dlg->GetSettings().PRECHOOSE, QString::fromUtf8("扫描|DOC"));
    EXPECT_EQ(combo->m_items, (QStringList{QString::fromUtf8("扫描"), "DOC", "..."}));
    // The old place (1) still holds a prefix: DOC stays, and so does the index.
    EXPECT_EQ(combo->currentText(), "DOC");
    EXPECT_EQ(dlg->GetSettings().INDEX, 17);
}

TEST_F(ModesTest, ThePrefixEditorsOkOnAMissingPrefixTakesTheFirstOne) {
    auto dlg = Start(
        "[FILE]\nTypeofImageName=0\nPREFIX=SCAN\nPRECHOOSE=IMG|DOC\n"
        "[IMAGE]\nINDEX=5\n");
    auto* combo = dlg->ControlAs<CMyComboBox>(IDC_PREFIX_COMBO);
    EXPECT_EQ(combo->currentIndex(), -1);
    WhenTheEditorOpens([](CDialogFileName& editor) { editor.OnConfirm(); });
    Choose(*combo, combo->count() - 1);
    EXPECT_EQ(combo->currentText(), "IMG");
    EXPECT_EQ(dlg->GetSettings().INDEX, 0);
    dlg->DestroyWindow();
    EXPECT_EQ(Stored().PREFIX, "IMG");
}

TEST_F(ModesTest, TheBarcodeBoxSetsRecognize) {
    auto dlg = Start();
    auto* box = dlg->ControlAs<QCheckBox>(IDC_BARCODE_NAMING);
    box->click();
    EXPECT_EQ(dlg->GetSettings().RECOGNIZE, 1);
    box->click();
    EXPECT_EQ(dlg->GetSettings().RECOGNIZE, 0);
}

struct CropCase {
    const char* name;
    int camera;  // the current camera: 0 document, 1 portrait
    bool severalDocuments;
    int radio;
    int cropMode;
    QStringList calls;  // of the current camera's controller
};

class CropRadioTest : public ModesTest, public testing::WithParamInterface<CropCase> {};

TEST_P(CropRadioTest, SetsTheModeAndTellsTheCurrentCamera) {
    const CropCase& c = GetParam();
    auto dlg = Start(c.severalDocuments ? "[IMAGE]\nISMUTICUTPAGE=TRUE\n" : "");
    dlg->SetCurrentCameraForTest(c.camera);
    dlg->ControlAs<QRadioButton>(c.radio)->click();
    EXPECT_EQ(dlg->GetSettings().CUTPAGETYPE, c.cropMode);
    const int current = c.camera == 0 ? kDocCamera : kPorCamera;
    EXPECT_EQ(cameras_.CallsOf(current), c.calls);
    EXPECT_TRUE(cameras_.CallsOf(kDocCamera + kPorCamera - current).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Radios, CropRadioTest,
    testing::Values(CropCase{"document_auto_several",
                             0,
                             true,
                             IDC_CROP_AUTO,
                             int(CropMode::Automatic),
                             {"CropBox 0", "AutoDetect 1 1 0.01"}},
                    CropCase{"document_auto_one",
                             0,
                             false,
                             IDC_CROP_AUTO,
                             int(CropMode::Automatic),
                             {"CropBox 0", "AutoDetect 1 0 0.01"}},
                    // The portrait camera looks for one object whatever the setting says.
                    CropCase{"portrait_auto_several",
                             1,
                             true,
                             IDC_CROP_AUTO,
                             int(CropMode::Automatic),
                             {"CropBox 0", "AutoDetect 1 0 0.03"}},
                    CropCase{"document_none",
                             0,
                             true,
                             IDC_CROP_NONE,
                             int(CropMode::None),
                             {"CropBox 0", "AutoDetect 0 0 0.03"}},
                    CropCase{"portrait_none",
                             1,
                             false,
                             IDC_CROP_NONE,
                             int(CropMode::None),
                             {"CropBox 0", "AutoDetect 0 0 0.03"}},
                    CropCase{"document_custom",
                             0,
                             false,
                             IDC_CROP_CUSTOM,
                             int(CropMode::CustomRectangle),
                             {"AutoDetect 0 0 0.03", "CropBox 1"}},
                    CropCase{"portrait_custom",
                             1,
                             true,
                             IDC_CROP_CUSTOM,
                             int(CropMode::CustomRectangle),
                             {"AutoDetect 0 0 0.03", "CropBox 1"}}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST_F(ModesTest, TheColourRadiosSetTheColourMode) {
    auto dlg = Start();
    const int radios[] = {IDC_COLOR_GRAY, IDC_COLOR_MONO, IDC_COLOR_COLOR};
    const int modes[] = {int(ColourMode::Grey), int(ColourMode::BlackAndWhite),
                         int(ColourMode::Colour)};
    for (int i = 0; i < 3; ++i) {
        dlg->ControlAs<QRadioButton>(radios[i])->click();
        EXPECT_EQ(dlg->GetSettings().COLOR, modes[i]);
    }
}

TEST_F(ModesTest, DestinationBoxesSwitchEachOtherOffAndReachSysIni) {
    auto dlg = Start("[OTHER]\nMERGE=TRUE\n[IMAGE]\nPDFORTIF=0\n");
    auto* merge = dlg->ControlAs<QCheckBox>(IDC_MERGE);
    auto* pdf = dlg->ControlAs<QCheckBox>(IDC_ONE_PDF);
    auto* tif = dlg->ControlAs<QCheckBox>(IDC_MULTI_PAGE_TIF);
    ASSERT_TRUE(merge->isChecked());

    pdf->click();
    EXPECT_FALSE(merge->isChecked());
    EXPECT_TRUE(pdf->isChecked());
    EXPECT_EQ(dlg->GetSettings().Merge, 0);
    EXPECT_EQ(dlg->GetSettings().PDFORTIF, int(CollectionMode::OnePdf));

    tif->click();
    EXPECT_FALSE(pdf->isChecked());
    EXPECT_TRUE(tif->isChecked());
    EXPECT_EQ(dlg->GetSettings().PDFORTIF, int(CollectionMode::MultiPageTif));

    merge->click();
    EXPECT_FALSE(tif->isChecked());
    EXPECT_EQ(dlg->GetSettings().PDFORTIF, int(CollectionMode::None));
    EXPECT_EQ(dlg->GetSettings().Merge, 1);
    EXPECT_TRUE(shown_.isEmpty());

    dlg->DestroyWindow();
    EXPECT_EQ(Stored().Merge, 1);
    EXPECT_EQ(Stored().PDFORTIF, int(CollectionMode::None));
}

// A window whose start-up has not run has no document camera.
TEST(ModesWithoutCamera, DestinationClicksAreUndoneAndCustomCropDoesNothing) {
    COrbiskDlg dlg;
    const SysSettings before = dlg.GetSettings();
    for (int id : {IDC_MERGE, IDC_ONE_PDF, IDC_MULTI_PAGE_TIF}) {
        auto* box = dlg.ControlAs<QCheckBox>(id);
        box->click();
        EXPECT_FALSE(box->isChecked()) << id;
        box->setChecked(true);
        box->click();
        EXPECT_TRUE(box->isChecked()) << id;
    }
    EXPECT_EQ(dlg.GetSettings().Merge, before.Merge);
    EXPECT_EQ(dlg.GetSettings().PDFORTIF, before.PDFORTIF);

    dlg.ControlAs<QRadioButton>(IDC_CROP_NONE)->click();
    dlg.ControlAs<QRadioButton>(IDC_CROP_CUSTOM)->click();
    EXPECT_EQ(dlg.GetSettings().CUTPAGETYPE, int(CropMode::None));
    EXPECT_TRUE(dlg.ControlAs<QRadioButton>(IDC_CROP_NONE)->isChecked());
    // The other crop radios still set the mode.
    dlg.ControlAs<QRadioButton>(IDC_CROP_AUTO)->click();
    EXPECT_EQ(dlg.GetSettings().CUTPAGETYPE, int(CropMode::Automatic));
}

}  // namespace
}  // namespace orbisk
