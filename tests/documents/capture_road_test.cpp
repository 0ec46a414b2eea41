#include "documents/capture_road.h"

#include <gtest/gtest.h>
#include <QDir>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/barcode_symbols.h"
#include "tests/support/temp_dir.h"

namespace orbisk {
namespace {

constexpr int kEnglish = 2;

class RecordingNotifier : public ISaverNotifier {
  public:
    void ShowMessage(const QString& text, SaverIcon) override { messages.append(text); }
    void ReportWriteFailure(const QString& path) override { failures.append(path); }
    QStringList messages;
    QStringList failures;
};

cv::Mat Page(int cols, int rows) {
    cv::Mat page(rows, cols, CV_8UC3, cv::Scalar(230, 232, 228));
    cv::rectangle(page, cv::Rect(cols / 10, rows / 3, cols * 8 / 10, rows / 10),
                  cv::Scalar(40, 40, 40), cv::FILLED);
    return page;
}

cv::Mat QrPage(const std::string& data) {
    return test::OnWhitePage(test::ZintSymbol(BARCODE_QRCODE, data, 3), cv::Size(640, 480));
}

class CaptureRoadTest : public testing::Test {
  protected:
    CaptureRoadTest() {
        settings.Language = kEnglish;
        settings.SaveFolder = dir.Path();
        settings.DocCamWidth = 1920;
        settings.DocCamHeight = 1080;
        settings.PorCamWidth = 640;
        settings.PorCamHeight = 480;
    }
    QString Base(const QString& leaf = "IMG00003") const { return dir.File(leaf); }

    test::TempDir dir;
    SysSettings settings;
    RecordingNotifier notifier;
};

TEST_F(CaptureRoadTest, EachCutOutBecomesAFileAtTheConfiguredSize) {
    // The camera delivers half the configured width: landscape pages widen.
    const CaptureFrames frames{{Page(400, 300), Page(300, 420)}, 960, 1080};
    const CaptureResult result = RunCaptureRoad(frames, settings, Base(), &notifier);
    EXPECT_EQ(result.pages, 2);
    EXPECT_EQ(result.written, (QStringList{Base("IMG00003_00.jpg"), Base("IMG00003_01.jpg")}));
    EXPECT_EQ(cv::imread(test::Encoded(result.written[0])).size(), cv::Size(800, 300));
    EXPECT_EQ(cv::imread(test::Encoded(result.written[1])).size(), cv::Size(300, 840));
    EXPECT_TRUE(result.failures.isEmpty());
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(CaptureRoadTest, ThePortraitCameraKeepsItsFirstCutOutAtItsOwnSize) {
    settings.CurrentCamera = 1;
    const CaptureFrames frames{{Page(400, 300), Page(200, 100)}, 320, 240};
    const CaptureResult result = RunCaptureRoad(frames, settings, Base(), &notifier);
    EXPECT_EQ(result.pages, 1);
    ASSERT_EQ(result.written, QStringList{Base("IMG00003.jpg")});
    EXPECT_EQ(cv::imread(test::Encoded(result.written[0])).size(), cv::Size(800, 600));
}

TEST_F(CaptureRoadTest, NothingToCaptureWritesNothing) {
    const CaptureResult result = RunCaptureRoad({}, settings, Base(), &notifier);
    EXPECT_EQ(result.pages, 0);
    EXPECT_TRUE(result.written.isEmpty());
    EXPECT_TRUE(QDir(dir.Path()).isEmpty());
}

TEST_F(CaptureRoadTest, FilesThatCannotBeWrittenAreInTheResult) {
    // A folder under a regular file cannot be made, even by root.
    ASSERT_TRUE(test::WriteBytes(dir.File("plain"), "x"));
    const CaptureResult result =
        RunCaptureRoad({{Page(400, 300)}, 1920, 1080}, settings, dir.File("plain/IMG"), &notifier);
    EXPECT_EQ(result.pages, 1);
    EXPECT_TRUE(result.written.isEmpty());
    EXPECT_EQ(result.failures, QStringList{dir.File("plain/IMG.jpg")});
    EXPECT_TRUE(notifier.failures.isEmpty()) << "the result holds them";
}

TEST_F(CaptureRoadTest, BarcodesNameTheCollectionOrAreToldAbout) {
    settings.RECOGNIZE = 1;
    // Numbered files: the saver's message goes to the caller.
    CaptureResult result =
        RunCaptureRoad({{Page(400, 300)}, 1920, 1080}, settings, Base(), &notifier);
    EXPECT_EQ(notifier.messages, QStringList{"It does not recognize a barcode/QR-code"});
    EXPECT_TRUE(result.barcodeNames.empty());

    // A collection: the codes are kept for its name, without a word.
    notifier.messages.clear();
    settings.PDFORTIF = int(CollectionMode::OnePdf);
    result = RunCaptureRoad({{QrPage("INV-2041")}, 1920, 1080}, settings, Base("Tmp1"), &notifier);
    EXPECT_EQ(result.written, QStringList{Base("Tmp1.jpg")});
    EXPECT_EQ(result.barcodeNames, std::vector<std::string>{"INV-2041"});
    EXPECT_TRUE(notifier.messages.isEmpty());
}

}  // namespace
}  // namespace orbisk
