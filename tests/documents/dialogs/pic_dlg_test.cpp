#include "documents/dialogs/pic_dlg.h"
#include "platform/window_messages.h"
#include "tests/support/case_name.h"
#include "tests/support/pdf_check.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <tiffio.h>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>
#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <vector>

namespace orbisk {
namespace {

using platform::WM_PAGE_DLG_CLOSED;

class ParentWindow : public QWidget {
  public:
    std::vector<int> messages;
    bool event(QEvent* e) override {
        if (e->type() == platform::WindowMessageEvent::Type()) {
            messages.push_back(static_cast<platform::WindowMessageEvent*>(e)->Message());
            return true;
        }
        return QWidget::event(e);
    }
    long Closes() {
        QApplication::processEvents();
        return std::count(messages.begin(), messages.end(), WM_PAGE_DLG_CLOSED);
    }
};

int TiffPages(const QString& path) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (tif == nullptr) return 0;
    int pages = 0;
    do {
        ++pages;
    } while (TIFFReadDirectory(tif) == 1);
    TIFFClose(tif);
    return pages;
}

class PicDlgTest : public testing::Test {
  protected:
    // Three shots of different shades, as a timed run leaves them.
    void AddShots(CPicDlg& dialog) {
        for (int i = 0; i < 3; ++i) {
            const QString path = dir_.File(QStringLiteral("shot%1.jpg").arg(i));
            ASSERT_TRUE(cv::imwrite(test::Encoded(path),
                                    cv::Mat(120, 90, CV_8UC3, cv::Scalar(60 * i, 200, 100))));
            dialog.AddShot(path, i);  // colour, grey, black and white
        }
    }
    QString Shot(int i) const { return dir_.File(QStringLiteral("shot%1.jpg").arg(i)); }

    test::TempDir dir_;
    ParentWindow parent_;
};

TEST_F(PicDlgTest, OpensWithTheCountTheColumnAndTheTargetInTheTitle) {
    CPicDlg dialog(&parent_);
    dialog.m_strTargetPath = dir_.File(QStringLiteral("run.pdf"));
    dialog.m_thumbnailSize = QSize(48, 48);
    dialog.OnInitDialog();

    EXPECT_EQ(dialog.CountLabel()->text(), "当前已经拍摄 0 张");
    EXPECT_EQ(dialog.List()->headerItem()->text(0), "文件名");
    EXPECT_EQ(dialog.List()->iconSize(), QSize(48, 48));
    EXPECT_EQ(dialog.windowTitle(), "存为:" + dir_.File(QStringLiteral("run.pdf")));

    AddShots(dialog);
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 3);
    EXPECT_FALSE(dialog.List()->topLevelItem(0)->icon(0).isNull());
}

TEST_F(PicDlgTest, TheMenuOpensOrRemovesTheShotRightClicked) {
    CPicDlg dialog(&parent_);
    QStringList opened;
    dialog.SetFileOpener([&](const QString& path) {
        opened.append(path);
        return true;
    });
    dialog.OnInitDialog();
    AddShots(dialog);

    dialog.OnRightClick(1, QPoint(10, 10));
    EXPECT_TRUE(dialog.Menu()->isVisible());
    dialog.Menu()->hide();
    dialog.OnOpenShot();
    EXPECT_EQ(opened, QStringList{Shot(1)});

    dialog.OnRightClick(1, QPoint(10, 10));
    dialog.Menu()->hide();
    dialog.OnRemoveShot();
    EXPECT_EQ(dialog.Shots(), (QStringList{Shot(0), Shot(2)}));
    EXPECT_EQ(dialog.PageTypes(), (std::vector<int>{0, 2}));
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 2);
    EXPECT_EQ(dialog.CountLabel()->text(), "当前已经拍摄 2 张");
    // The file itself stays.
    EXPECT_TRUE(QFile::exists(Shot(1)));
}

struct OutputCase {
    const char* name;
    int output;
    const char* target;
};

class PicDlgCombineTest : public PicDlgTest, public testing::WithParamInterface<OutputCase> {};

TEST_P(PicDlgCombineTest, WritesEveryShotIntoOneDocumentAndReportsTheClose) {
    CPicDlg dialog(&parent_);
    dialog.m_nOutput = GetParam().output;
    dialog.m_strTargetPath = dir_.File(QString::fromUtf8(GetParam().target));
    dialog.OnInitDialog();
    AddShots(dialog);

    dialog.OnCombine();

    EXPECT_EQ(parent_.Closes(), 1);
    if (GetParam().output == CPicDlg::kOutputPdf) {
        EXPECT_TRUE(test::PassesQpdfCheck(dialog.m_strTargetPath));
    } else {
        EXPECT_EQ(TiffPages(dialog.m_strTargetPath), 3);
    }
}

INSTANTIATE_TEST_SUITE_P(Outputs, PicDlgCombineTest,
                         testing::Values(OutputCase{"pdf", CPicDlg::kOutputPdf, "run.pdf"},
                                         OutputCase{"tiff", CPicDlg::kOutputTiff, "run.tif"}),
                         [](const auto& info) { return test::CaseName(info.param.name); });

TEST_F(PicDlgTest, ADocumentThatCannotBeWrittenIsToldAndTheDialogStays) {
    CPicDlg dialog(&parent_);
    QStringList told;
    dialog.SetMessageSink([&](const QString& text) { told.append(text); });
    dialog.m_strTargetPath = dir_.File(QStringLiteral("missing/run.pdf"));
    dialog.OnInitDialog();
    AddShots(dialog);
    dialog.show();

    dialog.OnCombine();

    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(dialog.m_strTargetPath)) << told[0].toStdString();
    EXPECT_EQ(parent_.Closes(), 0);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.ShotCount(), 3);
}

TEST_F(PicDlgTest, CancelOnlyReportsTheClose) {
    CPicDlg dialog(&parent_);
    dialog.m_strTargetPath = dir_.File(QStringLiteral("run.pdf"));
    dialog.OnInitDialog();
    AddShots(dialog);
    dialog.OnCancel();
    EXPECT_EQ(parent_.Closes(), 1);
    EXPECT_FALSE(QFile::exists(dialog.m_strTargetPath));
}

}  // namespace
}  // namespace orbisk
