#include "core/command_ids.h"
#include "documents/dialogs/multi_page_dlg.h"
#include "documents/dialogs/show_image_dlg.h"
#include "tests/app/capture_fixture.h"
#include "tests/support/case_name.h"
#include "tests/support/outside_tool.h"
#include "tests/support/wait_until.h"
#include "ui/custom_file_name_dlg.h"
#include "ui/image_tile.h"
#include "ui/my_combo_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>

#include <array>

#include <opencv2/imgcodecs.hpp>

namespace orbisk {
namespace {

using namespace ids::main_dlg;

// A destination box clicked while the first capture of a destination has
// opened its dialog.
struct OpenDialogCase {
    const char* name;
    const char* keys;  // the destination the window starts in
    int clicked;
    const char* message;        // "" for none
    bool dialogKept;            // the open dialog lives on
    int pdfOrTif, merge;        // the settings afterwards
    std::array<bool, 3> boxes;  // 1035, 1036, 1037 afterwards
};

class DestinationDialogTest : public test::CaptureWindowTest,
                              public testing::WithParamInterface<OpenDialogCase> {};

TEST_P(DestinationDialogTest, KeepsOrDeletesTheOpenDialog) {
    const OpenDialogCase& c = GetParam();
    COrbiskDlg& dlg = Start(QStringLiteral("Language/Current=EN\n") + c.keys);
    ASSERT_TRUE(dlg.OnCommand(IDC_CAPTURE));
    const bool merging = dlg.MergeDlg() != nullptr;
    QPointer<QObject> open =
        merging ? static_cast<QObject*>(dlg.MergeDlg()) : static_cast<QObject*>(dlg.PageDlg());
    ASSERT_TRUE(open);
    const QStringList before = Saved();

    dlg.ControlAs<QCheckBox>(c.clicked)->click();

    EXPECT_EQ(shown_, c.message[0] ? QStringList{c.message} : QStringList());
    EXPECT_EQ(bool(open), c.dialogKept);
    EXPECT_EQ(merging ? bool(dlg.MergeDlg()) : bool(dlg.PageDlg()), c.dialogKept);
    EXPECT_EQ(dlg.GetSettings().PDFORTIF, c.pdfOrTif);
    EXPECT_EQ(dlg.GetSettings().Merge, c.merge);
    const std::array<bool, 3> boxes = {dlg.ControlAs<QCheckBox>(IDC_MERGE)->isChecked(),
                                       dlg.ControlAs<QCheckBox>(IDC_ONE_PDF)->isChecked(),
                                       dlg.ControlAs<QCheckBox>(IDC_MULTI_PAGE_TIF)->isChecked()};
    EXPECT_EQ(boxes, c.boxes);
    // A deleted dialog leaves no document behind.
    QStringList documents = Saved();
    documents.removeIf([&](const QString& name) { return before.contains(name); });
    EXPECT_TRUE(documents.isEmpty()) << documents.join(' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Clicks, DestinationDialogTest,
                         testing::Values(OpenDialogCase{"pdf_collecting_tif_clicked",
                                                        "IMAGE/PDFORTIF=2",
                                                        IDC_MULTI_PAGE_TIF,
                                                        "Making Multi-page .PDF",
                                                        true,
                                                        int(CollectionMode::OnePdf),
                                                        0,
                                                        {false, true, false}},
                                         OpenDialogCase{"tif_collecting_pdf_clicked",
                                                        "IMAGE/PDFORTIF=1",
                                                        IDC_ONE_PDF,
                                                        "Making Multi-page .TIF",
                                                        true,
                                                        int(CollectionMode::MultiPageTif),
                                                        0,
                                                        {false, false, true}},
                                         OpenDialogCase{"pdf_collecting_merge_clicked",
                                                        "IMAGE/PDFORTIF=2",
                                                        IDC_MERGE,
                                                        "Making Multi-page .PDF",
                                                        true,
                                                        int(CollectionMode::OnePdf),
                                                        0,
                                                        {false, true, false}},
                                         OpenDialogCase{"merging_pdf_clicked",
                                                        "OTHER/MERGE=TRUE\nIMAGE/PDFORTIF=0",
                                                        IDC_ONE_PDF,
                                                        "Combining 2 images to 1",
                                                        true,
                                                        int(CollectionMode::None),
                                                        1,
                                                        {true, false, false}},
                                         OpenDialogCase{"merging_tif_clicked",
                                                        "OTHER/MERGE=TRUE\nIMAGE/PDFORTIF=0",
                                                        IDC_MULTI_PAGE_TIF,
                                                        "Combining 2 images to 1",
                                                        true,
                                                        int(CollectionMode::None),
                                                        1,
                                                        {true, false, false}}),
                         [](const auto& info) { return test::CaseName(info.param.name); });

// A collection box cleared while its dialog is open: the pages collected so
// far become the document, as the dialog's combine button makes it.
struct ClearedCollectionCase {
    const char* name;
    int pdfOrTif;
    int box;
    const char* document;
    const char* tool;   // reads the document back
    const char* pages;  // what it says of two pages
};

class ClearedCollectionTest : public test::CaptureWindowTest,
                              public testing::WithParamInterface<ClearedCollectionCase> {};

TEST_P(ClearedCollectionTest, WritesTheDocumentItsTileStandsFor) {
    const ClearedCollectionCase& c = GetParam();
    COrbiskDlg& dlg = Start(QStringLiteral("OTHER/SRC=FALSE\nIMAGE/PDFORTIF=%1").arg(c.pdfOrTif));
    dlg.OnCommand(IDC_CAPTURE);
    dlg.OnCommand(IDC_CAPTURE);
    ASSERT_NE(dlg.PageDlg(), nullptr);
    const QStringList pages = Saved();
    ASSERT_EQ(pages.size(), 2);

    dlg.ControlAs<QCheckBox>(c.box)->click();

    EXPECT_EQ(dlg.PageDlg(), nullptr);
    EXPECT_EQ(dlg.GetSettings().PDFORTIF, int(CollectionMode::None));
    EXPECT_FALSE(dlg.ControlAs<QCheckBox>(c.box)->isChecked());
    EXPECT_TRUE(shown_.isEmpty()) << shown_.join('\n').toStdString();
    // The pages are in the document, and then go (SRC off), as after OK.
    const QString document = SaveFolder() + '/' + c.document;
    EXPECT_EQ(Saved(), QStringList{c.document});
    EXPECT_EQ(dlg.Tiles()[0]->GetPath(), document);
    const test::ToolRun run = test::RunOutsideTool(c.tool, {document});
    ASSERT_TRUE(run.started) << c.tool << " is missing";
    EXPECT_EQ(run.exitCode, 0) << run.output.constData();
    EXPECT_EQ(QString::fromUtf8(run.output).count(QString::fromUtf8(c.pages)),
              c.pdfOrTif == int(CollectionMode::OnePdf) ? 1 : 2)
        << run.output.constData();
}

INSTANTIATE_TEST_SUITE_P(
    Collections, ClearedCollectionTest,
    testing::Values(ClearedCollectionCase{"one_pdf", int(CollectionMode::OnePdf), IDC_ONE_PDF,
                                          "IMG00000.pdf", "pdfinfo", "Pages:           2"},
                    ClearedCollectionCase{"multi_page_tif", int(CollectionMode::MultiPageTif),
                                          IDC_MULTI_PAGE_TIF, "IMG00000.tif", "tiffinfo",
                                          "TIFF Directory at offset"}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST_F(ClearedCollectionTest, ADocumentThatCannotBeWrittenKeepsTheCollectionOpen) {
    COrbiskDlg& dlg = Start(
        QStringLiteral("OTHER/SRC=FALSE\nIMAGE/PDFORTIF=%1").arg(int(CollectionMode::OnePdf)));
    dlg.OnCommand(IDC_CAPTURE);
    CMultiPageDlg* collection = dlg.PageDlg();
    ASSERT_NE(collection, nullptr);
    QStringList told;
    collection->SetMessageSink([&](const QString& text) { told.append(text); });
    // A folder where the document goes.
    ASSERT_TRUE(QDir().mkpath(SaveFolder() + "/IMG00000.pdf"));
    const QStringList before = Saved();

    dlg.ControlAs<QCheckBox>(IDC_ONE_PDF)->click();

    EXPECT_EQ(dlg.PageDlg(), collection);
    EXPECT_EQ(told.size(), 1);
    EXPECT_TRUE(dlg.ControlAs<QCheckBox>(IDC_ONE_PDF)->isChecked());
    EXPECT_EQ(dlg.GetSettings().PDFORTIF, int(CollectionMode::OnePdf));
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(collection->Pages().Count(), 1);
}

// Merge mode cleared while its dialog is open.
class ClearedMergeTest : public test::CaptureWindowTest {};

TEST_F(ClearedMergeTest, APairIsMergedAsOkMergesIt) {
    COrbiskDlg& dlg = Start(QStringLiteral("OTHER/SRC=FALSE\nOTHER/MERGE=TRUE"));
    dlg.OnCommand(IDC_CAPTURE);
    dlg.OnCommand(IDC_CAPTURE);
    QPointer<CShowImageDlg> merge = dlg.MergeDlg();
    ASSERT_NE(merge, nullptr);

    dlg.ControlAs<QCheckBox>(IDC_MERGE)->click();
    EXPECT_EQ(dlg.MergeDlg(), nullptr);
    // The dialog goes, and its close report brings the merged file.
    ASSERT_TRUE(test::WaitUntil([&] { return merge.isNull() && dlg.StripCount() == 1; }));
    EXPECT_EQ(dlg.GetSettings().Merge, 0);
    EXPECT_EQ(Saved(), QStringList{"IMG00000.jpg"});
    EXPECT_EQ(dlg.Tiles()[0]->GetPath(), SaveFolder() + "/IMG00000.jpg");
    EXPECT_EQ(cv::imread(test::Encoded(SaveFolder() + "/IMG00000.jpg")).size(), cv::Size(400, 600));
    EXPECT_TRUE(shown_.isEmpty()) << shown_.join('\n').toStdString();
}

TEST_F(ClearedMergeTest, ASingleCaptureStaysAndTheOperatorIsToldWhere) {
    COrbiskDlg& dlg =
        Start(QStringLiteral("Language/Current=EN\nOTHER/SRC=FALSE\nOTHER/MERGE=TRUE"));
    dlg.OnCommand(IDC_CAPTURE);
    ASSERT_NE(dlg.MergeDlg(), nullptr);
    const QStringList captured = Saved();
    ASSERT_EQ(captured.size(), 1);

    dlg.ControlAs<QCheckBox>(IDC_MERGE)->click();

    EXPECT_EQ(dlg.MergeDlg(), nullptr);
    EXPECT_EQ(dlg.GetSettings().Merge, 0);
    EXPECT_EQ(Saved(), captured);
    EXPECT_EQ(shown_, QStringList{"Saved, not merged:\n" + SaveFolder() + '/' + captured.front()});
}

class MergeColourTest : public test::CaptureWindowTest {};

TEST_F(MergeColourTest, AColourModeReachesTheOpenMergeDialog) {
    COrbiskDlg& dlg = Start(QStringLiteral("OTHER/MERGE=TRUE\nIMAGE/PDFORTIF=0\nIMAGE/COLOR=0"));
    ASSERT_TRUE(dlg.OnCommand(IDC_CAPTURE));
    ASSERT_NE(dlg.MergeDlg(), nullptr);
    dlg.ControlAs<QRadioButton>(IDC_COLOR_MONO)->click();
    EXPECT_EQ(dlg.MergeDlg()->Settings().COLOR, int(ColourMode::BlackAndWhite));
}

class CaptureNamingTest : public test::CaptureWindowTest {};

TEST_F(CaptureNamingTest, TheNextCaptureUsesTheChosenPrefixFromIndexZero) {
    COrbiskDlg& dlg =
        Start(QStringLiteral("FILE/PRECHOOSE=IMG|DOC\nFILE/PREFIX=IMG\nIMAGE/INDEX=7"));
    ASSERT_TRUE(dlg.OnCommand(IDC_CAPTURE));
    auto* combo = dlg.ControlAs<CMyComboBox>(IDC_PREFIX_COMBO);
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    ASSERT_TRUE(dlg.OnCommand(IDC_CAPTURE));
    EXPECT_EQ(Saved(), (QStringList{"DOC00000.jpg", "IMG00007.jpg"}));
    EXPECT_EQ(dlg.ControlAs<QLineEdit>(IDC_INDEX_EDIT)->text(), "1");
}

// The program asks for a free name with the dialog that refuses unusable names.
TEST(ProgramEnvironment, AsksForAFreeNameWithTheNameDialog) {
    const StartupEnvironment env = StartupEnvironment::Program();
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dlg = qobject_cast<CCustomFileNameDlg*>(w); dlg && dlg->isVisible()) {
                QStringList refusals;
                dlg->SetMessageSink([&](const QString& text) { refusals.append(text); });
                dlg->NameEdit()->setText("a/b");
                dlg->OnConfirm();
                EXPECT_EQ(refusals.size(), 1);
                dlg->NameEdit()->setText("letter");
                dlg->OnConfirm();
                return;
            }
        }
        ADD_FAILURE() << "no name dialog open";
    });
    EXPECT_EQ(env.askFileName(2), std::optional<QString>("letter"));
}

}  // namespace
}  // namespace orbisk
