#include "recognition/page_recognizer.h"
#include "recognition/image_resolution.h"
#include "tests/support/case_name.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QImageWriter>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace orbisk {
namespace {

// A white page with one line of large type.
cv::Mat LinePage(const std::string& text) {
    cv::Mat page(220, 1100, CV_8UC3, cv::Scalar(255, 255, 255));
    cv::putText(page, text, {60, 140}, cv::FONT_HERSHEY_SIMPLEX, 2.4, cv::Scalar(0, 0, 0), 5,
                cv::LINE_AA);
    return page;
}

std::string WithoutBlanks(const std::string& text) {
    std::string out;
    std::copy_if(text.begin(), text.end(), std::back_inserter(out),
                 [](char c) { return c != ' ' && c != '\n' && c != '\t'; });
    return out;
}

// The real engine, loaded once for the suite as the program loads it once.
class PageRecognizerTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { recognizer_ = new CPageRecognizer(DefaultTessdataPath()); }
    static void TearDownTestSuite() {
        delete recognizer_;
        recognizer_ = nullptr;
    }
    static CPageRecognizer* recognizer_;
    test::TempDir dir_;
};

CPageRecognizer* PageRecognizerTest::recognizer_ = nullptr;

TEST_F(PageRecognizerTest, ATwoPageTiffGivesPageZeroThenPageOne) {
    ASSERT_TRUE(recognizer_->Start()) << "models in " << DefaultTessdataPath();
    const std::string path = dir_.File("two.tif").toStdString();
    ASSERT_TRUE(cv::imwritemulti(
        path, std::vector<cv::Mat>{LinePage("12345 ORBIT"), LinePage("67890 HARBOUR")}));

    const std::optional<std::string> text = recognizer_->RecognizeFile(path);

    ASSERT_TRUE(text.has_value());
    const std::string flat = WithoutBlanks(*text);
    const auto first = flat.find("12345");
    const auto second = flat.find("67890");
    ASSERT_NE(first, std::string::npos) << *text;
    ASSERT_NE(second, std::string::npos) << *text;
    EXPECT_LT(first, second) << *text;
}

TEST_F(PageRecognizerTest, ABlankPageIsAnEmptyTextNotAFailure) {
    const std::string path = dir_.File("blank.png").toStdString();
    ASSERT_TRUE(cv::imwrite(path, cv::Mat(300, 400, CV_8UC3, cv::Scalar(255, 255, 255))));

    const std::optional<std::string> text = recognizer_->RecognizeFile(path);

    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(WithoutBlanks(*text), "");
}

TEST(PageRecognizerStartTest, AnEngineThatCannotStartIsAFailure) {
    test::TempDir dir;
    const std::string page = dir.File("page.png").toStdString();
    ASSERT_TRUE(cv::imwrite(page, LinePage("12345")));
    // No data path, a folder without models, a language that has none.
    for (const auto& [data, language] : {std::pair<std::string, std::string>{"", kPageLanguages},
                                         {dir.Path().toStdString(), kPageLanguages},
                                         {DefaultTessdataPath(), "xx_none"}}) {
        CPageRecognizer recognizer(data, language);
        EXPECT_FALSE(recognizer.Start()) << data << " " << language;
        EXPECT_FALSE(recognizer.RecognizeFile(page).has_value()) << data << " " << language;
    }
}

TEST(PageRecognizerFileTest, AFileThatCannotBeReadIsAFailure) {
    test::TempDir dir;
    CPageRecognizer recognizer(DefaultTessdataPath());
    const std::string garbage = dir.File("garbage.png").toStdString();
    std::ofstream(garbage) << "no picture here";
    for (const std::string& path : {std::string(), dir.File("missing.bmp").toStdString(), garbage,
                                    dir.Path().toStdString()}) {
        EXPECT_FALSE(recognizer.RecognizeFile(path).has_value()) << path;
    }
}

// --- The resolutions the files declare ---------------------------------------

struct ResolutionCase {
    const char* name;
    const char* format;  // Qt's writer
    int dpi;
    std::vector<int> expected;
};

class PageResolutionTest : public testing::TestWithParam<ResolutionCase> {};

TEST_P(PageResolutionTest, ReadsTheDeclaredDpi) {
    const ResolutionCase& c = GetParam();
    test::TempDir dir;
    const QString path = dir.File(QStringLiteral("page.") + c.format);
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    const double perMetre = c.dpi / 0.0254;
    image.setDotsPerMeterX(static_cast<int>(perMetre + 0.5));
    image.setDotsPerMeterY(static_cast<int>(perMetre + 0.5));
    QImageWriter writer(path, c.format);
    ASSERT_TRUE(writer.write(image)) << writer.errorString().toStdString();

    EXPECT_EQ(PageResolutions(path.toStdString()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, PageResolutionTest,
                         testing::Values(ResolutionCase{"png_300", "png", 300, {300}},
                                         ResolutionCase{"jpeg_200", "jpg", 200, {200}},
                                         ResolutionCase{"bmp_150", "bmp", 150, {150}},
                                         ResolutionCase{"tiff_400", "tif", 400, {400}}),
                         [](const auto& info) { return test::CaseName(info.param.name); });

TEST(PageResolutionFileTest, EveryTiffPageAndNothingForOtherFiles) {
    test::TempDir dir;
    const std::string tiff = dir.File("pages.tif").toStdString();
    ASSERT_TRUE(cv::imwritemulti(
        tiff,
        std::vector<cv::Mat>{cv::Mat(20, 20, CV_8UC1, cv::Scalar(255)),
                             cv::Mat(20, 20, CV_8UC1, cv::Scalar(0))},
        {cv::IMWRITE_TIFF_RESUNIT, 2, cv::IMWRITE_TIFF_XDPI, 300, cv::IMWRITE_TIFF_YDPI, 300}));
    EXPECT_EQ(PageResolutions(tiff), (std::vector<int>{300, 300}));

    // OpenCV's bitmaps declare no density.
    const std::string bmp = dir.File("page.bmp").toStdString();
    ASSERT_TRUE(cv::imwrite(bmp, cv::Mat(20, 20, CV_8UC3, cv::Scalar(255, 255, 255))));
    EXPECT_EQ(PageResolutions(bmp), std::vector<int>{0});

    const std::string text = dir.File("note.txt").toStdString();
    std::ofstream(text) << "just text";
    EXPECT_TRUE(PageResolutions(text).empty());
    EXPECT_TRUE(PageResolutions(dir.File("missing.png").toStdString()).empty());
}

}  // namespace
}  // namespace orbisk
