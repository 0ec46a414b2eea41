#include "documents/dialogs/show_image_dlg.h"
#include "core/command_ids.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <opencv2/imgcodecs.hpp>

#include <ostream>
#include <string>
#include <vector>

#include "core/link_opener.h"
#include "documents/dialogs/merge_layout.h"
#include "platform/window_messages.h"
#include "tests/support/case_name.h"
#include "tests/support/outside_tool.h"
#include "tests/support/pdf_check.h"
#include "tests/support/temp_dir.h"
#include "ui/image_tile.h"

namespace orbisk {
namespace {

using test::RunOutsideTool;
using test::TempDir;

using test::Encoded;

// What the owner hears from the dialog.
struct OwnerLog {
    QStringList mergedPaths;
    std::vector<std::pair<int, qintptr>> closes;
    bool dialogAliveAtClose = false;
};

// Runs in its own current folder, where Print leaves its scratch file.
class ShowImageDlgTest : public testing::Test {
  protected:
    void SetUp() override {
        previous_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir_.Path()));
    }
    void TearDown() override {
        delete dialog_;
        QApplication::processEvents();
        QDir::setCurrent(previous_);
    }

    QString Image(const QString& name, int width, int height, cv::Scalar colour) {
        const QString path = dir_.File(name);
        EXPECT_TRUE(cv::imwrite(Encoded(path), cv::Mat(height, width, CV_8UC3, colour)));
        return path;
    }

    // A dialog as the capture road opens it: stacked, settings, base name.
    CShowImageDlg* Open(int language = 2, int colourMode = 0, int keepSources = 0) {
        dialog_ = new CShowImageDlg(1, &owner_, language);
        SysSettings settings;
        settings.COLOR = colourMode;
        settings.SRC = keepSources;
        dialog_->SetSettings(settings);
        dialog_->MergeBaseName = dir_.File("merged");
        dialog_->SetMessageSink([this](const QString& text) { messages_ << text; });
        QObject::connect(dialog_, &CShowImageDlg::MergedImagePath, &owner_,
                         [this](const QString& path) { log_.mergedPaths << path; });
        QObject::connect(
            dialog_, &CShowImageDlg::Closed, &owner_,
            [this](int message, qintptr dialog) {
                log_.closes.emplace_back(message, dialog);
                log_.dialogAliveAtClose = !dialog_.isNull();
            },
            Qt::QueuedConnection);
        dialog_->show();
        return dialog_;
    }

    // The two captures of most tests: 100 x 50 dark blue, 60 x 80 red.
    void AddTwo() {
        a_ = Image("a.png", 100, 50, cv::Scalar(200, 0, 0));
        b_ = Image("b.png", 60, 80, cv::Scalar(0, 0, 200));
        dialog_->AddImage(a_);
        dialog_->AddImage(b_);
    }

    QString Path(int tile) const { return dialog_->Tile(tile)->GetPath(); }

    TempDir dir_;
    QString previous_;
    QWidget owner_;
    QPointer<CShowImageDlg> dialog_;
    OwnerLog log_;
    QStringList messages_;
    QString a_, b_;
};

TEST_F(ShowImageDlgTest, TextsFollowTheLanguage) {
    const struct {
        int language;
        const char *caption, *ok, *cancel, *swap, *print, *leftRight;
    } cases[] = {
        {0, "图像合并", "确定", "取消", "交换位置", "打印", "左右合并"},
        {1, "圖像合併", "確認", "取消", "交換順序", "列印", "左右合併"},
        {2, "Image combination", "OK", "Cancel", "Swap", "Print", "Horizontal"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        CShowImageDlg dialog(1, &owner_, c.language);
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(dialog.Button(ids::ID_OK)->text(), QString::fromUtf8(c.ok));
        EXPECT_EQ(dialog.Button(ids::ID_CANCEL)->text(), QString::fromUtf8(c.cancel));
        EXPECT_EQ(dialog.Button(ids::merge_dlg::IDC_SWAP)->text(), QString::fromUtf8(c.swap));
        EXPECT_EQ(dialog.Button(ids::merge_dlg::IDC_PRINT)->text(), QString::fromUtf8(c.print));
        EXPECT_EQ(dialog.Button(ids::merge_dlg::IDC_ORIENTATION)->text(),
                  QString::fromUtf8(c.leftRight));
    }
}

TEST_F(ShowImageDlgTest, LandscapeCapturesAreStackedFirstThenSideBySide) {
    Open();
    dialog_->AddImage(Image("a.png", 400, 300, cv::Scalar::all(0)));
    dialog_->AddImage(Image("b.png", 400, 300, cv::Scalar::all(0)));
    const IntRect top = dialog_->Tile(0)->GetRect();
    const IntRect below = dialog_->Tile(1)->GetRect();
    EXPECT_EQ(top, (IntRect{7, 38, 367, 278}));
    EXPECT_EQ(below, (IntRect{7, 285, 367, 525}));
    EXPECT_EQ(dialog_->size(), QSize(374, 532));
    EXPECT_EQ(dialog_->Button(ids::merge_dlg::IDC_ORIENTATION)->text(), "Horizontal");

    dialog_->OnBnClickedOrientation();
    EXPECT_EQ(dialog_->Tile(1)->GetRect(), (IntRect{374, 38, 734, 278}));
    EXPECT_EQ(dialog_->size(), QSize(741, 285));
    EXPECT_EQ(dialog_->Button(ids::merge_dlg::IDC_ORIENTATION)->text(), "Vertical");

    dialog_->OnBnClickedSwap();
    EXPECT_EQ(dialog_->Tile(0)->GetRect(), (IntRect{374, 38, 734, 278}));
    EXPECT_EQ(dialog_->Tile(1)->GetRect(), (IntRect{7, 38, 367, 278}));
}

TEST(MergeLayoutTest, TileSizeComesFromTheFirstImage) {
    EXPECT_EQ(MergeTileRect(3264, 2448), (IntRect{0, 0, 360, 240}));
    EXPECT_EQ(MergeTileRect(2448, 3264), (IntRect{0, 0, 360, 320}));
    EXPECT_EQ(MergeTileRect(500, 500), (IntRect{0, 0, 360, 320})) << "square is not landscape";
}

TEST(MergeLayoutTest, NewImagesFillTheEmptyTileThenReplaceInTurn) {
    int next = 0;
    EXPECT_EQ(TileForNewImage(false, false, next), 0);
    EXPECT_EQ(TileForNewImage(true, false, next), 1);
    EXPECT_EQ(TileForNewImage(true, true, next), 0);
    EXPECT_EQ(TileForNewImage(true, true, next), 1);
    EXPECT_EQ(TileForNewImage(true, true, next), 0);
    EXPECT_EQ(TileForNewImage(false, true, next), 0) << "a removed tile is filled first";
    EXPECT_EQ(TileForNewImage(true, true, next), 1);
}

TEST_F(ShowImageDlgTest, ThirdAndFourthCapturesReplaceTheTilesInTurn) {
    Open();
    AddTwo();
    const QString c = Image("c.png", 100, 50, cv::Scalar::all(0));
    const QString d = Image("d.png", 100, 50, cv::Scalar::all(0));
    dialog_->AddImage(c);
    EXPECT_EQ(Path(0), c);
    EXPECT_EQ(Path(1), b_);
    dialog_->AddImage(d);
    EXPECT_EQ(Path(0), c);
    EXPECT_EQ(Path(1), d);
}

TEST_F(ShowImageDlgTest, UnreadableFirstImageIsNotCounted) {
    Open();
    ASSERT_TRUE(test::WriteBytes(dir_.File("broken.jpg"), "no image"));
    dialog_->AddImage(dir_.File("broken.jpg"));
    EXPECT_EQ(dialog_->Tile(0)->GetRect().Width(), 1) << "tiles stay unsized";
    AddTwo();
    EXPECT_EQ(Path(0), a_);
    EXPECT_EQ(Path(1), b_);
    EXPECT_EQ(dialog_->Tile(0)->GetRect().Width(), 360);
}

TEST_F(ShowImageDlgTest, OkMergesStackedReportsThePathAndDeletesTheSources) {
    Open();
    AddTwo();
    const auto address = reinterpret_cast<qintptr>(dialog_.data());
    dialog_->OnBnClickedOk();
    ASSERT_EQ(log_.mergedPaths, QStringList({dir_.File("merged.jpg")}));
    const cv::Mat merged = cv::imread(Encoded(log_.mergedPaths[0]));
    ASSERT_EQ(merged.size(), cv::Size(100, 130));
    EXPECT_GT(merged.at<cv::Vec3b>(10, 10)[0], 150) << "the first capture on top";
    EXPECT_GT(merged.at<cv::Vec3b>(100, 10)[2], 150);
    EXPECT_GT(merged.at<cv::Vec3b>(100, 90)[1], 240) << "white beside the narrower image";
    EXPECT_FALSE(QFile::exists(a_));
    EXPECT_FALSE(QFile::exists(b_));

    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    EXPECT_TRUE(dialog_.isNull()) << "deletes itself";
    ASSERT_EQ(log_.closes.size(), 1u);
    EXPECT_EQ(log_.closes[0].first, platform::WM_MERGE_DLG_CLOSED);
    EXPECT_EQ(log_.closes[0].second, address);
    EXPECT_FALSE(log_.dialogAliveAtClose);
}

TEST_F(ShowImageDlgTest, SwapThenOkPutsTileOneFirstSideBySide) {
    Open(2, 0, 1);
    AddTwo();
    dialog_->OnBnClickedOrientation();
    dialog_->OnBnClickedSwap();
    dialog_->OnBnClickedOk();
    ASSERT_EQ(log_.mergedPaths.size(), 1);
    const cv::Mat merged = cv::imread(Encoded(log_.mergedPaths[0]));
    ASSERT_EQ(merged.size(), cv::Size(160, 80));
    EXPECT_GT(merged.at<cv::Vec3b>(10, 10)[2], 150) << "tile 1's image on the left";
    EXPECT_GT(merged.at<cv::Vec3b>(10, 100)[0], 150);
    EXPECT_TRUE(QFile::exists(a_)) << "SRC keeps the sources";
    EXPECT_TRUE(QFile::exists(b_));
}

struct ModeCase {
    const char* name;
    int colourMode;
    const char* extension;
    int channels;
};

std::ostream& operator<<(std::ostream& out, const ModeCase& c) { return out << c.name; }

constexpr ModeCase kModeCases[] = {
    {"Colour", 0, ".jpg", 3},
    {"Grey", 1, ".jpg", 1},
    {"BlackAndWhite", 2, ".tif", 1},
};

class MergeModeTest : public ShowImageDlgTest, public testing::WithParamInterface<ModeCase> {};

TEST_P(MergeModeTest, ColourModeChoosesTheFile) {
    Open(2, GetParam().colourMode);
    AddTwo();
    dialog_->OnBnClickedOk();
    ASSERT_EQ(log_.mergedPaths, QStringList({dir_.File("merged") + GetParam().extension}));
    const cv::Mat merged = cv::imread(Encoded(log_.mergedPaths[0]), cv::IMREAD_UNCHANGED);
    EXPECT_EQ(merged.channels(), GetParam().channels);
    EXPECT_EQ(merged.rows, 130);
    if (GetParam().colourMode == 2) {
        const auto run = RunOutsideTool("tiffinfo", {log_.mergedPaths[0]});
        ASSERT_TRUE(run.started) << "tiffinfo (libtiff-tools) is missing";
        EXPECT_TRUE(run.output.contains("CCITT Group 4")) << run.output.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, MergeModeTest, testing::ValuesIn(kModeCases),
                         [](const auto& info) { return test::CaseName(info.param.name); });

TEST_F(ShowImageDlgTest, FailedMergeKeepsTheSources) {
    Open();
    AddTwo();
    // A folder where the merged file should go: it cannot be written.
    ASSERT_TRUE(QDir(dir_.Path()).mkdir("merged.jpg"));
    dialog_->OnBnClickedOk();
    EXPECT_EQ(log_.mergedPaths, QStringList({QString()}));
    EXPECT_TRUE(QFile::exists(a_));
    EXPECT_TRUE(QFile::exists(b_));
}

TEST_F(ShowImageDlgTest, OkAndPrintNeedTwoImages) {
    Open();
    dialog_->AddImage(Image("a.png", 100, 50, cv::Scalar::all(0)));
    dialog_->OnBnClickedOk();
    dialog_->OnBnClickedPrint();
    EXPECT_EQ(messages_, QStringList({"You need 2 pictures for combination",
                                      "You need 2 pictures for combination"}));
    EXPECT_TRUE(log_.mergedPaths.isEmpty());
    EXPECT_TRUE(dialog_->isVisible());
}

TEST_F(ShowImageDlgTest, OkWithoutBaseNameDoesNothing) {
    Open();
    AddTwo();
    dialog_->MergeBaseName.clear();
    dialog_->OnBnClickedOk();
    EXPECT_TRUE(log_.mergedPaths.isEmpty());
    EXPECT_TRUE(dialog_->isVisible());
}

TEST_F(ShowImageDlgTest, PrintMergesWithAGapInColourAndKeepsTheOperatorsMode) {
    Open(2, 2);
    AddTwo();
    const QString pdf = dir_.File("print.pdf");
    cv::Mat printed;
    dialog_->SetPrintSetup([&](QPrinter& printer) {
        printed = cv::imread(Encoded(dir_.File("PTmp.bmp.jpg")), cv::IMREAD_UNCHANGED);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    dialog_->OnBnClickedPrint();
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(printed.size(), cv::Size(100, 140)) << "a 10-pixel gap";
    EXPECT_EQ(printed.channels(), 3) << "printed in colour";
    EXPECT_FALSE(QFile::exists(dir_.File("PTmp.bmp.jpg")));
    EXPECT_TRUE(test::PassesQpdfCheck(pdf));
    EXPECT_TRUE(messages_.isEmpty());
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_EQ(dialog_->Settings().COLOR, int(ColourMode::BlackAndWhite));

    dialog_->OnBnClickedOk();
    EXPECT_EQ(log_.mergedPaths, QStringList({dir_.File("merged.tif")}));
}

TEST_F(ShowImageDlgTest, CancelReportsNoMergeAndKeepsTheFiles) {
    Open();
    AddTwo();
    dialog_->OnBnClickedCancel();
    EXPECT_EQ(log_.mergedPaths, QStringList({QString()}));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    EXPECT_TRUE(dialog_.isNull());
    EXPECT_EQ(log_.closes.size(), 1u);
    EXPECT_TRUE(QFile::exists(a_));
    EXPECT_TRUE(QFile::exists(b_));
}

TEST_F(ShowImageDlgTest, OwnerDeletingTheOpenDialogHearsNoClose) {
    Open();
    AddTwo();
    delete dialog_;
    QApplication::processEvents();
    EXPECT_TRUE(log_.closes.empty());
    EXPECT_TRUE(log_.mergedPaths.isEmpty());
    EXPECT_TRUE(QFile::exists(a_));
}

TEST_F(ShowImageDlgTest, TileMenuRemovesFromTheTileAndOpensTheFile) {
    Open();
    AddTwo();
    std::vector<QUrl> opened;
    const UrlOpener previous = SetUrlOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    const IntRect r = dialog_->Tile(1)->GetRect();
    QTest::mouseClick(dialog_, Qt::RightButton, {},
                      QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    QApplication::processEvents();
    EXPECT_TRUE(dialog_->TileMenu()->isVisible());
    dialog_->TileMenu()->close();
    dialog_->OnMenuOpen();
    SetUrlOpener(previous);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toLocalFile(), b_);

    dialog_->OnTileClicked(1, 2);
    dialog_->TileMenu()->close();
    dialog_->OnMenuRemove();
    EXPECT_TRUE(Path(1).isEmpty());
    EXPECT_TRUE(QFile::exists(b_)) << "the file stays";
    const QString c = Image("c.png", 100, 50, cv::Scalar::all(0));
    dialog_->AddImage(c);
    EXPECT_EQ(Path(1), c);
}

}  // namespace
}  // namespace orbisk
