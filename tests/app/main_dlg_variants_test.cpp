#include "core/command_ids.h"
#include "core/sys_settings.h"
#include "documents/capture_variants.h"
#include "documents/dialogs/multi_page_dlg.h"
#include "documents/dialogs/multi_page_texts.h"
#include "documents/image_files.h"
#include "documents/pdf_document.h"
#include "tests/app/capture_fixture.h"
#include "tests/support/case_name.h"
#include "tests/support/file_size_limit.h"
#include "ui/image_tile.h"
#include "video/dialogs/video_to_file_dlg.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QRegularExpression>
#include <opencv2/imgcodecs.hpp>

#include <mutex>
#include <optional>
#include <string>

namespace orbisk {
namespace {

using namespace ids::main_dlg;

// A PDF written to its end. The window's threads rule out qpdf here (no
// threads after a fork under ThreadSanitizer); the PDF writers' own tests
// check their files with it.
testing::AssertionResult IsWholePdf(const QString& path) {
    if (!test::ReadBytes(path).startsWith("%PDF-")) {
        return testing::AssertionFailure() << path.toStdString() << " is no PDF";
    }
    if (!PdfFileIsComplete(path)) {
        return testing::AssertionFailure() << path.toStdString() << " is cut short";
    }
    return testing::AssertionSuccess();
}

// --- Capture to PDF ------------------------------------------------------------

class CaptureToPdfTest : public test::CaptureWindowTest {
  protected:
    CaptureToPdfTest() {
        cameras_.cutOuts = {test::CutOut(400, 300, 1), test::CutOut(300, 420, 2)};
    }
};

TEST_F(CaptureToPdfTest, TwoCutOutsGiveTwoPdfsTwoTilesAndOneIndexStep) {
    COrbiskDlg& dlg = Start(QStringLiteral("IMAGE/INDEX=4"));

    ASSERT_TRUE(dlg.OnCommand(IDC_CAPTURE_TO_PDF));

    // Only the PDFs remain.
    EXPECT_EQ(Saved(), (QStringList{"IMG00004_00.pdf", "IMG00004_01.pdf"}));
    for (const QString& name : Saved()) {
        EXPECT_TRUE(IsWholePdf(SaveFolder() + '/' + name));
    }
    EXPECT_EQ(dlg.Tiles()[0]->GetPath(), SaveFolder() + "/IMG00004_00.pdf");
    EXPECT_EQ(dlg.Tiles()[1]->GetPath(), SaveFolder() + "/IMG00004_01.pdf");
    // The tile shows the page it was made from.
    EXPECT_EQ(dlg.Tiles()[0]->Picture().isNull(), false);
    EXPECT_EQ(dlg.StripCount(), 2);
    EXPECT_EQ(dlg.GetSettings().INDEX, 5);
    EXPECT_EQ(dlg.ControlAs<QLineEdit>(IDC_INDEX_EDIT)->text(), "5");
    EXPECT_EQ(sounds_.size(), 1);
    EXPECT_TRUE(shown_.isEmpty()) << shown_.join('\n').toStdString();
}

TEST_F(CaptureToPdfTest, TheOKeyCapturesToPdfToo) {
    COrbiskDlg& dlg = Start();
    ASSERT_TRUE(dlg.OnCommand(ID_ACCEL_CAPTURE_TO_PDF));
    EXPECT_EQ(Saved(), (QStringList{"IMG00000_00.pdf", "IMG00000_01.pdf"}));
}

TEST_F(CaptureToPdfTest, AnImageWhosePdfCannotBeWrittenIsKeptWithItsTile) {
    cameras_.cutOuts = {test::CutOut(800, 600, 1), test::CutOut(200, 150, 2)};
    COrbiskDlg& dlg = Start(QStringLiteral("Language/Current=EN"));
    // A plain capture of the same pages tells how large their images are.
    dlg.OnCommand(IDC_CAPTURE);
    const qint64 large = QFileInfo(SaveFolder() + "/IMG00000_00.jpg").size();
    ASSERT_GT(large, 0);
    {
        // Room for the large image but not for its PDF, which holds it.
        const test::FileSizeLimit fullDisk(large + 64);
        dlg.OnCommand(IDC_CAPTURE_TO_PDF);
    }

    EXPECT_TRUE(QFile::exists(SaveFolder() + "/IMG00001_00.jpg"))
        << Saved().join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(SaveFolder() + "/IMG00001_00.pdf"));
    EXPECT_FALSE(QFile::exists(SaveFolder() + "/IMG00001_01.jpg"));
    EXPECT_TRUE(IsWholePdf(SaveFolder() + "/IMG00001_01.pdf"));
    EXPECT_EQ(dlg.Tiles()[2]->GetPath(), SaveFolder() + "/IMG00001_00.jpg");
    EXPECT_EQ(dlg.Tiles()[3]->GetPath(), SaveFolder() + "/IMG00001_01.pdf");
    ASSERT_EQ(shown_.size(), 1);
    EXPECT_TRUE(shown_[0].startsWith("The PDF could not be written")) << shown_[0].toStdString();
    EXPECT_TRUE(shown_[0].contains("IMG00001_00.jpg")) << shown_[0].toStdString();
    // The image holds the capture's name, so the next one must not reuse it.
    EXPECT_EQ(dlg.GetSettings().INDEX, 2);
}

TEST_F(CaptureToPdfTest, WithOnePdfOnThePagesGoToTheCollectionInTheConfiguredLanguage) {
    COrbiskDlg& dlg = Start(
        QStringLiteral("Language/Current=EN\nIMAGE/PDFORTIF=%1").arg(int(CollectionMode::OnePdf)));

    dlg.OnCommand(IDC_CAPTURE_TO_PDF);

    CMultiPageDlg* pages = dlg.PageDlg();
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->Pages().Count(), 2);
    EXPECT_EQ(pages->OutputMode, 0);
    EXPECT_EQ(pages->TargetName, SaveFolder() + "/IMG00000.pdf");
    EXPECT_EQ(pages->windowTitle(), QString::fromUtf8(MultiPageTextsFor(2).caption));
    // The pages wait under temporary names; no PDF of their own is written.
    EXPECT_TRUE(QDir(SaveFolder()).entryList({"*.pdf"}, QDir::Files).isEmpty());
    EXPECT_EQ(dlg.StripCount(), 1);
    EXPECT_EQ(dlg.Tiles()[0]->GetPath(), SaveFolder() + "/IMG00000.pdf");
    EXPECT_EQ(dlg.GetSettings().INDEX, 1);
}

TEST_F(CaptureToPdfTest, AnEmptyGrabWritesNothingAndKeepsTheIndex) {
    cameras_.cutOuts.clear();
    COrbiskDlg& dlg = Start();
    dlg.OnCommand(IDC_CAPTURE_TO_PDF);
    EXPECT_TRUE(Saved().isEmpty());
    EXPECT_EQ(dlg.StripCount(), 0);
    EXPECT_EQ(dlg.GetSettings().INDEX, 0);
}

// --- Photocopy ---------------------------------------------------------------

class PhotocopyTest : public test::CaptureWindowTest {
  protected:
    PhotocopyTest() {
        cameras_.cutOuts = {test::CutOut(400, 300, 1), test::CutOut(300, 420, 2)};
        // The first print is cancelled, the second goes to a file.
        env_.printSetup = [this](QPrinter& printer) {
            // The job is named by the scratch file's name alone.
            docNames_.append(printer.docName());
            const QString scratch = SaveFolder() + '/' + printer.docName();
            printed_.append(scratch);
            existed_.append(QFile::exists(scratch));
            if (printed_.size() == 1) return false;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printOut_.File(QStringLiteral("printed.pdf")));
            return true;
        };
    }
    QStringList docNames_;
    QStringList printed_;
    QList<bool> existed_;
    test::TempDir printOut_;
};

TEST_F(PhotocopyTest, EveryPageIsPrintedFromOneScratchFileThatGoesEachTime) {
    COrbiskDlg& dlg = Start(QStringLiteral("IMAGE/INDEX=2\nLanguage/Current=EN"));

    ASSERT_TRUE(dlg.OnCommand(IDC_PHOTOCOPY));

    ASSERT_EQ(printed_.size(), 2);
    EXPECT_EQ(printed_[0], printed_[1]);
    EXPECT_TRUE(printed_[0].endsWith(".bmp")) << printed_[0].toStdString();
    EXPECT_EQ(QFileInfo(docNames_[0]).fileName().toStdString(), docNames_[0].toStdString());
    EXPECT_EQ(existed_, (QList<bool>{true, true}));
    EXPECT_FALSE(QFile::exists(printed_[0]));
    EXPECT_TRUE(IsWholePdf(printOut_.File(QStringLiteral("printed.pdf"))));
    // The cancelled print is told; nothing stays, nothing is counted.
    EXPECT_EQ(shown_, QStringList{"Print failure"});
    EXPECT_TRUE(Saved().isEmpty());
    EXPECT_EQ(dlg.StripCount(), 0);
    EXPECT_EQ(dlg.GetSettings().INDEX, 2);
    EXPECT_EQ(sounds_.size(), 1);
}

TEST_F(PhotocopyTest, ThePKeyPhotocopiesToo) {
    COrbiskDlg& dlg = Start();
    ASSERT_TRUE(dlg.OnCommand(ID_ACCEL_PHOTOCOPY));
    EXPECT_EQ(printed_.size(), 2);
}

// --- Text recognition --------------------------------------------------------

// A frame on which the custom crop rectangle lies.
cv::Mat DeskFrame() { return test::CutOut(640, 480, 3); }

class RecognizeTextTest : public test::CaptureWindowTest {
  protected:
    RecognizeTextTest() {
        cameras_.frame = [] { return DeskFrame(); };
        cameras_.customRect = IntRect{100, 50, 420, 290};
        env_.recognizePage = [this](const std::string& path) {
            const std::lock_guard lock(mutex_);
            paths_.push_back(path);
            const cv::Mat page = cv::imread(path, cv::IMREAD_UNCHANGED);
            pageSize_ = page.size();
            pageChannels_ = page.channels();
            return answer_;
        };
    }
    std::mutex mutex_;
    std::vector<std::string> paths_;
    cv::Size pageSize_;
    int pageChannels_ = 0;
    std::optional<std::string> answer_ = std::string("中文 text");
};

TEST_F(RecognizeTextTest, TheTextGoesToAUtf8FileWithATextTile) {
    // Grey captures: the page is recognised in colour all the same.
    COrbiskDlg& dlg = Start(QStringLiteral("IMAGE/INDEX=9\nIMAGE/CUTPAGETYPE=2\nIMAGE/COLOR=1"));

    ASSERT_TRUE(dlg.OnCommand(IDC_RECOGNIZE_TEXT));

    const QString textFile = SaveFolder() + "/IMG00009.txt";
    EXPECT_EQ(test::ReadBytes(textFile), QByteArray("中文 text"));
    EXPECT_EQ(Saved(), QStringList{"IMG00009.txt"});
    EXPECT_EQ(dlg.Tiles()[0]->GetPath(), textFile);
    EXPECT_EQ(dlg.StripCount(), 1);
    EXPECT_EQ(dlg.GetSettings().INDEX, 10);
    // The engine read the custom crop, from a scratch file that is gone.
    ASSERT_EQ(paths_.size(), 1u);
    EXPECT_EQ(pageSize_, cv::Size(320, 240));
    EXPECT_EQ(pageChannels_, 3);
    EXPECT_EQ(dlg.GetSettings().COLOR, 1);
    EXPECT_FALSE(QFile::exists(QFile::decodeName(paths_[0].c_str())));
    EXPECT_TRUE(shown_.isEmpty()) << shown_.join('\n').toStdString();
}

TEST_F(RecognizeTextTest, ABlankPageGivesAnEmptyFile) {
    answer_ = std::string();
    COrbiskDlg& dlg = Start();
    dlg.OnCommand(IDC_RECOGNIZE_TEXT);
    const QFileInfo file(SaveFolder() + "/IMG00000.txt");
    EXPECT_TRUE(file.isFile());
    EXPECT_EQ(file.size(), 0);
    EXPECT_EQ(dlg.GetSettings().INDEX, 1);
}

TEST_F(RecognizeTextTest, AnEngineFailureWritesNothingAndKeepsTheIndex) {
    answer_ = std::nullopt;
    COrbiskDlg& dlg = Start(QStringLiteral("Language/Current=EN"));

    dlg.OnCommand(IDC_RECOGNIZE_TEXT);

    EXPECT_TRUE(Saved().isEmpty()) << Saved().join(' ').toStdString();
    EXPECT_EQ(dlg.StripCount(), 0);
    EXPECT_EQ(dlg.GetSettings().INDEX, 0);
    EXPECT_EQ(shown_, QStringList{"Text recognition failed; no text file was written."});
    ASSERT_EQ(paths_.size(), 1u);
    EXPECT_FALSE(QFile::exists(QFile::decodeName(paths_[0].c_str())));
}

TEST_F(RecognizeTextTest, ThePortraitCameraIsRefusedWithoutAWord) {
    WithPortraitCamera();
    COrbiskDlg& dlg = Start();
    dlg.SetCurrentCameraForTest(1);
    dlg.OnCommand(IDC_RECOGNIZE_TEXT);
    EXPECT_TRUE(paths_.empty());
    EXPECT_TRUE(sounds_.isEmpty());
    EXPECT_TRUE(Saved().isEmpty());
}

TEST_F(RecognizeTextTest, NoFrameEndsTheCommand) {
    cameras_.frame = [] { return cv::Mat(); };
    COrbiskDlg& dlg = Start();
    dlg.OnCommand(IDC_RECOGNIZE_TEXT);
    EXPECT_TRUE(paths_.empty());
    EXPECT_TRUE(Saved().isEmpty());
    EXPECT_EQ(dlg.GetSettings().INDEX, 0);
}

// --- Video -------------------------------------------------------------------

class RecordVideoTest : public test::CaptureWindowTest {
  protected:
    RecordVideoTest() {
        // The operator starts and stops at once.
        env_.runRecording = [this](CCVideoToFile& dialog) {
            ++dialogs_;
            stillExisted_ = QFile::exists(SaveFolder() + "/IMG00000.jpg");
            dialog.OnStart();
            dialog.OnStop();
        };
    }
    int dialogs_ = 0;
    bool stillExisted_ = false;
};

TEST_F(RecordVideoTest, ARecordingGetsTheStillAsItsTileAndOneIndexStep) {
    COrbiskDlg& dlg = Start();

    ASSERT_TRUE(dlg.OnCommand(IDC_RECORD_VIDEO));

    EXPECT_EQ(dialogs_, 1);
    EXPECT_TRUE(stillExisted_);
    EXPECT_EQ(Saved(), QStringList{"IMG00000.asf"});
    EXPECT_EQ(dlg.Tiles()[0]->GetPath(), SaveFolder() + "/IMG00000.asf");
    EXPECT_FALSE(dlg.Tiles()[0]->Picture().isNull());
    EXPECT_EQ(dlg.GetSettings().INDEX, 1);
    EXPECT_TRUE(
        cameras_.CallsOf(kDocCamera).contains("StartRecording " + SaveFolder() + "/IMG00000.asf"));
}

struct NothingRecordedCase {
    const char* name;
    bool grabs;
    int startResult;
    QByteArray bytes;
};

class NothingRecordedTest : public RecordVideoTest,
                            public testing::WithParamInterface<NothingRecordedCase> {};

TEST_P(NothingRecordedTest, GivesNoTileNoIndexStepAndNoStill) {
    const NothingRecordedCase& c = GetParam();
    if (!c.grabs) cameras_.cutOuts.clear();
    cameras_.recordResult = c.startResult;
    cameras_.recordedBytes = c.bytes;
    COrbiskDlg& dlg = Start();

    dlg.OnCommand(IDC_RECORD_VIDEO);

    EXPECT_EQ(dialogs_, c.grabs ? 1 : 0);
    EXPECT_FALSE(QFile::exists(SaveFolder() + "/IMG00000.jpg"));
    EXPECT_EQ(dlg.StripCount(), 0);
    EXPECT_EQ(dlg.GetSettings().INDEX, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, NothingRecordedTest,
                         testing::Values(NothingRecordedCase{"empty_grab", false, 0, "ASF"},
                                         NothingRecordedCase{"start_failed", true, -1, "ASF"},
                                         NothingRecordedCase{"empty_file", true, 0, QByteArray()}),
                         [](const auto& info) { return test::CaseName(info.param.name); });

TEST_F(RecordVideoTest, APortraitRecordingSetsThePortraitSizeBackAndRestoresBothPreviews) {
    WithPortraitCamera();
    COrbiskDlg& dlg = Start(QStringLiteral("IMAGE/CUTPAGETYPE=1"));
    dlg.SetCurrentCameraForTest(1);
    cameras_.log.clear();

    dlg.OnCommand(IDC_RECORD_VIDEO);

    const QStringList portrait = cameras_.CallsOf(kPorCamera);
    const auto start = portrait.indexOf(QRegularExpression("StartRecording .*"));
    const auto size = portrait.indexOf("SetResolution 640x480");
    ASSERT_GE(start, 0) << cameras_.log.join('\n').toStdString();
    EXPECT_GT(size, start) << portrait.join('\n').toStdString();
    EXPECT_TRUE(portrait.contains("Rotation 0")) << portrait.join('\n').toStdString();
    EXPECT_TRUE(portrait.contains(QStringLiteral("AutoDetect 1 0 %1").arg(kSingleObjectThreshold)))
        << portrait.join('\n').toStdString();
    const QStringList document = cameras_.CallsOf(kDocCamera);
    EXPECT_FALSE(document.filter("StartRecording").size() > 0);
    EXPECT_TRUE(document.contains("Rotation 0")) << document.join('\n').toStdString();
    EXPECT_TRUE(document.contains(QStringLiteral("AutoDetect 1 0 %1").arg(kDocumentThreshold)))
        << document.join('\n').toStdString();
    EXPECT_EQ(dlg.GetSettings().INDEX, 1);
}

// --- The widget-free pieces --------------------------------------------------

TEST(RecognitionSettingsTest, TurnsOffWhatWouldChangeThePageAndTakesTheCustomCrop) {
    SysSettings s;
    s.SHADOW = 1;
    s.DEFORMATION = 1;
    s.COLOR = 2;
    s.DateMark = 1;
    s.Custom = 1;
    s.ISMUTICUTPAGE = true;
    s.CUTPAGETYPE = 2;
    s.XDPI = 240;
    const IntRect crop{10, 20, 110, 220};

    const SysSettings used = RecognitionSettings(s, crop);

    EXPECT_EQ(used.SHADOW, 0);
    EXPECT_EQ(used.DEFORMATION, 0);
    EXPECT_EQ(used.COLOR, 0);
    EXPECT_EQ(used.DateMark, 0);
    EXPECT_EQ(used.Custom, 0);
    EXPECT_FALSE(used.ISMUTICUTPAGE);
    EXPECT_EQ(used.CaptureCropRect, crop);
    // The rest is the caller's.
    EXPECT_EQ(used.CUTPAGETYPE, 2);
    EXPECT_EQ(used.XDPI, 240);
    // Without a custom rectangle the capture's crop stays as it was.
    s.CaptureCropRect = IntRect{1, 2, 3, 4};
    EXPECT_EQ(RecognitionSettings(s, std::nullopt).CaptureCropRect, (IntRect{1, 2, 3, 4}));
}

struct LargestCase {
    const char* name;
    std::vector<cv::Size> sizes;
    int expected;
};

class LargestPageTest : public testing::TestWithParam<LargestCase> {};

TEST_P(LargestPageTest, PicksTheLargestAreaFirstAmongEquals) {
    std::vector<cv::Mat> pages;
    for (const cv::Size& size : GetParam().sizes) pages.emplace_back(size, CV_8UC1);
    EXPECT_EQ(LargestPageIndex(pages), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, LargestPageTest,
    testing::Values(LargestCase{"three_middle_largest", {{10, 10}, {40, 30}, {20, 20}}, 1},
                    LargestCase{"equal_areas_first_wins", {{5, 5}, {30, 20}, {20, 30}}, 1},
                    LargestCase{"last_strictly_larger", {{30, 20}, {20, 30}, {31, 20}}, 2},
                    LargestCase{"one", {{3, 3}}, 0}, LargestCase{"none", {}, -1}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST(RecognizedTextFileTest, IsUtf8WithoutAMarkAndReplacesAnExistingFile) {
    test::TempDir dir;
    const QString path = dir.File(QStringLiteral("page.txt"));
    ASSERT_TRUE(test::WriteBytes(path, QByteArray(100, 'x')));
    // Three bytes a character: more than two bytes a character plus one.
    const QByteArray cjk = QByteArray("汉字汉字汉字");
    ASSERT_TRUE(WriteRecognizedText(path, cjk));
    EXPECT_EQ(test::ReadBytes(path), cjk);
    // A folder where the file should be.
    EXPECT_FALSE(WriteRecognizedText(dir.Path(), cjk));
}

TEST(PdfNameBesideTest, ReplacesTheLastExtension) {
    EXPECT_EQ(PdfNameBeside("/a/b.c/IMG00001_00.jpg"), "/a/b.c/IMG00001_00.pdf");
    EXPECT_EQ(PdfNameBeside("/a/b.c/IMG00001"), "/a/b.c/IMG00001.pdf");
    EXPECT_EQ(PdfNameBeside("/a/x.tar.gz"), "/a/x.tar.pdf");
}

}  // namespace
}  // namespace orbisk
