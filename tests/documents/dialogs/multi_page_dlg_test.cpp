#include "documents/dialogs/multi_page_dlg.h"
#include "core/command_ids.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <opencv2/imgcodecs.hpp>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "documents/dialogs/page_combine.h"
#include "platform/window_messages.h"
#include "tests/support/outside_tool.h"
#include "tests/support/pdf_check.h"
#include "tests/support/temp_dir.h"
#include "ui/image_tile.h"

namespace orbisk {
namespace {

using platform::WindowMessageEvent;
using platform::WM_PAGE_DLG_CLOSED;
using test::TempDir;

// The main window's stand-in: records the messages posted to it.
class ParentWindow : public QWidget {
  public:
    std::vector<int> messages;

    bool event(QEvent* e) override {
        if (e->type() == WindowMessageEvent::Type()) {
            messages.push_back(static_cast<WindowMessageEvent*>(e)->Message());
            return true;
        }
        return QWidget::event(e);
    }
    long Closes() {
        QApplication::processEvents();
        return std::count(messages.begin(), messages.end(), WM_PAGE_DLG_CLOSED);
    }
};

class MultiPageDlgTest : public testing::Test {
  protected:
    // Page files Tmp001.jpg ... as the save pipeline leaves them.
    QStringList MakePages(int count) {
        QStringList pages;
        for (int i = 1; i <= count; ++i) {
            const QString path = dir_.File(QString("Tmp%1.jpg").arg(i, 3, 10, QChar('0')));
            cv::Mat page(300, 220, CV_8UC3, cv::Scalar(40 * i % 256, 255 - 30 * i, 120));
            EXPECT_TRUE(cv::imwrite(QFile::encodeName(path).toStdString(), page));
            pages << path;
        }
        return pages;
    }

    std::unique_ptr<CMultiPageDlg> MakeDialog(int mode, int language = 2) {
        auto dialog = std::make_unique<CMultiPageDlg>(&parent_, mode, language);
        dialog->Settings.SRC = 0;
        dialog->TargetName = dir_.File("batch.pdf");
        dialog->SetMessageSink([this](const QString& text) { messages_ << text; });
        dialog->show();
        return dialog;
    }

    // A dialog that has collected `pages`.
    std::unique_ptr<CMultiPageDlg> DialogWith(const QStringList& pages, int mode,
                                              const QString& target = "batch.pdf") {
        auto dialog = MakeDialog(mode);
        dialog->TargetName = dir_.File(target);
        for (const QString& page : pages) {
            dialog->AddPage(page);
        }
        return dialog;
    }

    std::vector<int> ShownPages(const CMultiPageDlg& dialog) {
        std::vector<int> shown;
        for (int i = 0; i < kPageTileCount; ++i) {
            shown.push_back(dialog.TilePage(i));
        }
        return shown;
    }

    // Right-clicks the middle of a tile, as the operator does, and lets the
    // tile's report arrive.
    void RightClickTile(CMultiPageDlg& dialog, int tile) {
        const IntRect r = dialog.Tile(tile)->GetRect();
        QTest::mouseClick(&dialog, Qt::RightButton, {},
                          QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        QApplication::processEvents();
    }

    QAction* MenuItem(CMultiPageDlg& dialog, const QString& text) {
        for (QAction* action : dialog.PageMenu()->actions()) {
            if (action->text() == text) {
                return action;
            }
            if (action->menu() != nullptr) {
                for (QAction* item : action->menu()->actions()) {
                    if (item->text() == text) {
                        return item;
                    }
                }
            }
        }
        return nullptr;
    }

    TempDir dir_;
    ParentWindow parent_;
    QStringList messages_;
};

TEST_F(MultiPageDlgTest, TextsFollowTheLanguage) {
    const struct {
        int language;
        const char *caption, *combine, *cancel, *prevFour, *prevOne, *nextOne, *nextFour;
    } cases[] = {
        {0, "存为多页文件", "合并图像", "取消", "前一组", "前一张", "后一张", "后一组"},
        {1, "儲存到多頁文件", "組合圖像", "取消", "前四張", "前一張", "後一張", "后四張"},
        {2, "Save in MultiPage File", "Combine", "Cancel", "Last Four", "Last One", "Next One",
         "Next Four"},
        {7, "存为多页文件", "合并图像", "取消", "前一组", "前一张", "后一张", "后一组"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        CMultiPageDlg dialog(&parent_, kCombineToPdf, c.language);
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(dialog.Button(ids::page_dlg::IDC_COMBINE)->text(), QString::fromUtf8(c.combine));
        EXPECT_EQ(dialog.Button(ids::page_dlg::IDC_CLOSE)->text(), QString::fromUtf8(c.cancel));
        EXPECT_EQ(dialog.Button(ids::page_dlg::IDC_PREV_FOUR)->toolTip(),
                  QString::fromUtf8(c.prevFour));
        EXPECT_EQ(dialog.Button(ids::page_dlg::IDC_PREV_ONE)->toolTip(),
                  QString::fromUtf8(c.prevOne));
        EXPECT_EQ(dialog.Button(ids::page_dlg::IDC_NEXT_ONE)->toolTip(),
                  QString::fromUtf8(c.nextOne));
        EXPECT_EQ(dialog.Button(ids::page_dlg::IDC_NEXT_FOUR)->toolTip(),
                  QString::fromUtf8(c.nextFour));
    }
}

TEST_F(MultiPageDlgTest, StripLayoutTipsAndTranslucency) {
    const auto dialog = MakeDialog(kCombineToPdf);
    for (int i = 0; i < kPageTileCount; ++i) {
        const int top = 30 + 151 * i;
        EXPECT_EQ(dialog->Tile(i)->GetRect(), (IntRect{25, top, 25 + 129, top + 146})) << i;
    }
    QPushButton* paging = dialog->Button(ids::page_dlg::IDC_NEXT_ONE);
    EXPECT_EQ(paging->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, paging), 150);
    EXPECT_TRUE(dialog->styleSheet().contains("QToolTip { color: #0000ff; }"));
    EXPECT_NEAR(dialog->windowOpacity(), 240.0 / 255.0, 0.005);
}

TEST_F(MultiPageDlgTest, SixPagesPageThroughTheButtons) {
    const QStringList pages = MakePages(6);
    const auto dialog = DialogWith(pages, kCombineToPdf);
    dialog->AddPage(pages[2]);
    EXPECT_EQ(dialog->Pages().Count(), 6) << "a page added twice is kept once";

    const std::vector<int> lastFour{2, 3, 4, 5}, firstFour{0, 1, 2, 3};
    EXPECT_EQ(ShownPages(*dialog), lastFour) << "the newest pages are visible";
    EXPECT_EQ(dialog->Tile(0)->GetPath(), pages[2]);
    EXPECT_EQ(dialog->Tile(0)->m_nNumber, 2) << "the tile is labelled 3";
    EXPECT_FALSE(dialog->Tile(0)->Picture().isNull());

    dialog->Button(ids::page_dlg::IDC_PREV_FOUR)->click();
    EXPECT_EQ(ShownPages(*dialog), firstFour);
    dialog->Button(ids::page_dlg::IDC_NEXT_FOUR)->click();
    EXPECT_EQ(ShownPages(*dialog), lastFour);
    dialog->Button(ids::page_dlg::IDC_NEXT_ONE)->click();
    EXPECT_EQ(ShownPages(*dialog), lastFour) << "the end is reached";
    dialog->Button(ids::page_dlg::IDC_PREV_ONE)->click();
    EXPECT_EQ(ShownPages(*dialog), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(MultiPageDlgTest, FewPagesLeaveThePagingButtonsIdle) {
    const QStringList pages = MakePages(3);
    const auto dialog = DialogWith(pages, kCombineToPdf);
    const std::vector<int> shown{0, 1, 2, -1};
    for (int id : {ids::page_dlg::IDC_PREV_FOUR, ids::page_dlg::IDC_PREV_ONE,
                   ids::page_dlg::IDC_NEXT_ONE, ids::page_dlg::IDC_NEXT_FOUR}) {
        dialog->Button(id)->click();
        EXPECT_EQ(ShownPages(*dialog), shown) << id;
    }
    EXPECT_TRUE(dialog->Tile(3)->GetPath().isEmpty());
    EXPECT_FALSE(dialog->Tile(3)->Picture().isNull()) << "the empty tile shows the placeholder";
}

// The tile of page 5 (the third tile of six pages) moved before page 2
// becomes the second page, and in TIFF mode its type goes with it.
TEST_F(MultiPageDlgTest, MenuMovesAPageWithItsType) {
    const QStringList pages = MakePages(6);
    const auto dialog = MakeDialog(kCombineToTiff);
    for (int i = 0; i < pages.size(); ++i) {
        dialog->Settings.COLOR = i == 4 ? int(ColourMode::BlackAndWhite) : i % 2;
        dialog->AddPage(pages[i]);
    }
    ASSERT_EQ(dialog->TilePage(2), 4);
    RightClickTile(*dialog, 2);
    ASSERT_TRUE(dialog->PageMenu()->isVisible());
    ASSERT_NE(MenuItem(*dialog, "删除"), nullptr);
    for (int k = 1; k <= 6; ++k) {
        EXPECT_NE(MenuItem(*dialog, QString("%1之前").arg(k)), nullptr) << k;
    }
    EXPECT_EQ(MenuItem(*dialog, "7之前"), nullptr);

    MenuItem(*dialog, "2之前")->trigger();
    EXPECT_EQ(dialog->Pages().Paths(),
              QStringList({pages[0], pages[4], pages[1], pages[2], pages[3], pages[5]}));
    EXPECT_EQ(dialog->Pages().Types(), (std::vector<int>{0, 2, 1, 0, 1, 1}));

    // Forward: the item of the last page takes the page now second to the
    // end, the place of the last page once the page is out of the list.
    dialog->Button(ids::page_dlg::IDC_PREV_FOUR)->click();
    RightClickTile(*dialog, 1);
    MenuItem(*dialog, "6之前")->trigger();
    EXPECT_EQ(dialog->Pages().Paths(),
              QStringList({pages[0], pages[1], pages[2], pages[3], pages[5], pages[4]}));
    EXPECT_EQ(dialog->Pages().Types(), (std::vector<int>{0, 1, 0, 1, 1, 2}));
}

TEST_F(MultiPageDlgTest, DeletingAPageRemovesItsFileAtOnce) {
    const QStringList pages = MakePages(6);
    const auto dialog = DialogWith(pages, kCombineToPdf);
    RightClickTile(*dialog, 3);  // page 6
    MenuItem(*dialog, "删除")->trigger();
    EXPECT_FALSE(QFile::exists(pages[5]));
    EXPECT_EQ(dialog->Pages().Paths(), pages.mid(0, 5));
    EXPECT_EQ(ShownPages(*dialog), (std::vector<int>{1, 2, 3, 4}));
    // The remembered tile is gone with its page: a second delete does nothing.
    dialog->OnMenuDeletePage();
    EXPECT_EQ(dialog->Pages().Count(), 5);
    // Only a right click on a tile that shows a page opens the menu.
    dialog->PageMenu()->hide();
    dialog->OnTileClicked(3, 1);
    dialog->OnTileClicked(5, 2);
    EXPECT_FALSE(dialog->PageMenu()->isVisible());
}

class CancelTest : public MultiPageDlgTest, public testing::WithParamInterface<int> {};

TEST_P(CancelTest, CancelKeepsThePageFilesOnlyWhenAsked) {
    const int keep = GetParam();
    const QStringList pages = MakePages(3);
    auto dialog = DialogWith(pages, kCombineToPdf);
    dialog->Settings.SRC = keep;
    dialog->Button(ids::page_dlg::IDC_CLOSE)->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(parent_.Closes(), 1);
    EXPECT_FALSE(QFile::exists(dir_.File("batch.pdf")));
    dialog->close();  // a second close reports nothing new
    EXPECT_EQ(parent_.Closes(), 1);
    dialog.reset();  // the main window deletes it on the report
    for (const QString& page : pages) {
        EXPECT_EQ(QFile::exists(page), keep != 0) << page.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Src, CancelTest, testing::Values(0, 1),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(info.param ? "Kept" : "Deleted");
                         });

// Output mode, target as the main window sets it, file written.
struct CombineCase {
    const char* name;
    int mode;
    const char* target;
    const char* written;
};

void PrintTo(const CombineCase& c, std::ostream* os) { *os << c.name; }

class CombineTest : public MultiPageDlgTest, public testing::WithParamInterface<CombineCase> {};

TEST_P(CombineTest, CombineWritesTheDocumentAndCloses) {
    const CombineCase& c = GetParam();
    ASSERT_TRUE(QDir(dir_.Path()).mkdir("my.scans"));
    const QStringList pages = MakePages(3);
    auto dialog = DialogWith(pages, c.mode, c.target);
    dialog->Button(ids::page_dlg::IDC_COMBINE)->click();
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    EXPECT_TRUE(QFile::exists(dir_.File(c.written)));
    if (c.mode == kCombineToPdf) {
        EXPECT_TRUE(test::PassesQpdfCheck(dir_.File(c.written)));
    }
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(parent_.Closes(), 1);
    for (const QString& page : pages) {
        EXPECT_TRUE(QFile::exists(page)) << "the files stay until the dialog goes";
    }
    dialog.reset();
    for (const QString& page : pages) {
        EXPECT_FALSE(QFile::exists(page));
    }
}

// A target that cannot be written: the operator is told, every page file
// stays, the dialog stays open with its pages, and a second try with a
// writable target succeeds.
TEST_P(CombineTest, FailedCombineKeepsThePagesAndTheDialog) {
    const CombineCase& c = GetParam();
    ASSERT_TRUE(test::WriteBytes(dir_.File("my.scans"), "a file where a folder should be"));
    const QStringList pages = MakePages(3);
    auto dialog = DialogWith(pages, c.mode, c.target);
    dialog->Button(ids::page_dlg::IDC_COMBINE)->click();
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(
        messages_[0].startsWith("The pages could not be combined into " + dir_.File(c.written)))
        << messages_[0].toStdString();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(parent_.Closes(), 0);
    EXPECT_EQ(dialog->Pages().Paths(), pages);
    EXPECT_EQ(ShownPages(*dialog), (std::vector<int>{0, 1, 2, -1}));
    for (const QString& page : pages) {
        EXPECT_TRUE(QFile::exists(page));
    }

    ASSERT_TRUE(QFile::remove(dir_.File("my.scans")));
    ASSERT_TRUE(QDir(dir_.Path()).mkdir("my.scans"));
    dialog->Button(ids::page_dlg::IDC_COMBINE)->click();
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_TRUE(QFile::exists(dir_.File(c.written)));
    if (c.mode == kCombineToPdf) {
        EXPECT_TRUE(test::PassesQpdfCheck(dir_.File(c.written)));
    }
    EXPECT_EQ(parent_.Closes(), 1);
}

const CombineCase kCombineCases[] = {
    {"Pdf", kCombineToPdf, "my.scans/IMG00001.pdf", "my.scans/IMG00001.pdf"},
    {"PdfWithoutExtension", kCombineToPdf, "my.scans/batch", "my.scans/batch.pdf"},
    {"Tiff", kCombineToTiff, "my.scans/IMG00001.tif", "my.scans/IMG00001.tif"},
};

INSTANTIATE_TEST_SUITE_P(Modes, CombineTest, testing::ValuesIn(kCombineCases),
                         [](const testing::TestParamInfo<CombineCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(MultiPageDlgTest, DeletedWithoutACloseWritesNothingAndReportsNothing) {
    const QStringList pages = MakePages(2);
    auto dialog = DialogWith(pages, kCombineToPdf);
    dialog.reset();
    EXPECT_EQ(parent_.Closes(), 0);
    EXPECT_FALSE(QFile::exists(dir_.File("batch.pdf")));
    EXPECT_FALSE(QFile::exists(pages[0]));
}

}  // namespace
}  // namespace orbisk
