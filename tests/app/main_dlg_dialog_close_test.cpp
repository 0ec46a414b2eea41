#include "core/bitmap_resources.h"
#include "core/command_ids.h"
#include "documents/dialogs/multi_page_dlg.h"
#include "documents/dialogs/show_image_dlg.h"
#include "platform/window_messages.h"
#include "tests/app/capture_fixture.h"
#include "tests/support/case_name.h"
#include "tests/support/wait_until.h"
#include "ui/image_tile.h"

#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QPointer>

namespace orbisk {
namespace {

using namespace ids::main_dlg;
using namespace std::chrono_literals;

struct MergeCloseCase {
    const char* name;
    int captures;
    bool merge;  // OK, else Cancel
    int strip;   // files in the strip afterwards
};

class MergeCloseTest : public test::CaptureWindowTest,
                       public testing::WithParamInterface<MergeCloseCase> {};

TEST_P(MergeCloseTest, PutsOnlyAMergedFileIntoTheStrip) {
    const MergeCloseCase& c = GetParam();
    COrbiskDlg& dlg = Start(QStringLiteral("OTHER/MERGE=TRUE"));
    for (int i = 0; i < c.captures; ++i) dlg.OnCommand(IDC_CAPTURE);
    QPointer<CShowImageDlg> merge = dlg.MergeDlg();
    ASSERT_FALSE(merge.isNull());
    const QString base = merge->MergeBaseName;
    if (c.merge) {
        merge->OnBnClickedOk();
    } else {
        merge->OnBnClickedCancel();
    }
    ASSERT_TRUE(test::WaitUntil([&] { return merge.isNull(); }));
    test::WaitUntil([&] { return dlg.StripCount() == c.strip; }, 500ms);
    EXPECT_EQ(dlg.StripCount(), c.strip);
    EXPECT_EQ(dlg.MergeDlg(), nullptr);
    if (c.strip > 0) {
        const QString merged = dlg.Tiles()[0]->GetPath();
        EXPECT_TRUE(merged.startsWith(base)) << merged.toStdString();
        EXPECT_TRUE(QFile::exists(merged));
        EXPECT_FALSE(dlg.Tiles()[0]->Picture().isNull());
    }
    // The next capture opens a new dialog; the closed one's path is gone.
    dlg.OnCommand(IDC_CAPTURE);
    ASSERT_NE(dlg.MergeDlg(), nullptr);
    dlg.MergeDlg()->OnBnClickedCancel();
    test::WaitUntil([&] { return dlg.MergeDlg() == nullptr; });
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg.StripCount(), c.strip);
}

INSTANTIATE_TEST_SUITE_P(
    Closes, MergeCloseTest,
    testing::Values(MergeCloseCase{"merged", 2, true, 1}, MergeCloseCase{"cancelled", 2, false, 0},
                    // OK with one image only tells the operator, and Cancel follows.
                    MergeCloseCase{"one_image_cancelled", 1, false, 0}),
    [](const auto& info) { return test::CaseName(info.param.name); });

using PageCloseTest = test::CaptureWindowTest;

TEST_F(PageCloseTest, TheCloseMessageDeletesThePageDialog) {
    COrbiskDlg& dlg = Start(QStringLiteral("IMAGE/PDFORTIF=2"));
    dlg.OnCommand(IDC_CAPTURE);
    QPointer<CMultiPageDlg> pages = dlg.PageDlg();
    ASSERT_FALSE(pages.isNull());
    pages->OnBnClickedCancel();
    EXPECT_TRUE(test::WaitUntil([&] { return pages.isNull(); }));
    EXPECT_EQ(dlg.PageDlg(), nullptr);
    // A later close message finds nothing to delete; the next capture opens a new one.
    qintptr result = 0;
    EXPECT_TRUE(dlg.OnWindowMessage(platform::WM_PAGE_DLG_CLOSED, 0, 0, result));
    EXPECT_EQ(result, 1);
    dlg.OnCommand(IDC_CAPTURE);
    EXPECT_NE(dlg.PageDlg(), nullptr);
}

using TileDeleteTest = test::CaptureWindowTest;

TEST_F(TileDeleteTest, DeletingATilesFileDoesNotMoveTheRing) {
    COrbiskDlg& dlg = Start();
    dlg.OnCommand(IDC_CAPTURE);
    dlg.OnCommand(IDC_CAPTURE);
    const QString first = dlg.Tiles()[0]->GetPath();
    ASSERT_TRUE(QFile::exists(first));
    qintptr result = 0;
    dlg.OnWindowMessage(platform::WM_TILE_CLICKED, 0, 2, result);
    ASSERT_NE(dlg.TileMenu(), nullptr);
    dlg.TileMenu()->hide();
    EXPECT_TRUE(dlg.OnCommand(ids::tile_menu::ID_TILE_DELETE));
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_TRUE(dlg.Tiles()[0]->GetPath().isEmpty());
    EXPECT_EQ(dlg.Tiles()[0]->Picture().size(), LoadBitmapResource(kEmptyPictureBitmap).size());

    dlg.OnCommand(IDC_CAPTURE);
    EXPECT_EQ(dlg.StripCount(), 3);
    EXPECT_EQ(dlg.Tiles()[2]->GetPath(), SaveFolder() + "/IMG00002.jpg");
    EXPECT_TRUE(dlg.Tiles()[0]->GetPath().isEmpty());
}

}  // namespace
}  // namespace orbisk
