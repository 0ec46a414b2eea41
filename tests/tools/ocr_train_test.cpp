// The template trainer: it reproduces a committed small template byte for byte, and what it
// makes reads upright characters as upright.

#include "recognition/doc_ocr.h"
#include "recognition/template_writer.h"
#include "tests/support/temp_dir.h"
#include "tools/ocr_train/background_scene.h"
#include "tools/ocr_train/camera_look.h"
#include "tools/ocr_train/trainer.h"

#include <gtest/gtest.h>
#include <QFile>

#include <fstream>
#include <sstream>

#include <opencv2/imgproc.hpp>

namespace orbisk {
namespace {

using namespace ocrtrain;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string DataFile(const char* name) { return std::string(ORBISK_TOOLS_TEST_DATA) + "/" + name; }

// The small template of tests/tools/data, made with
//   orbisk-ocr-train --chars <these characters> --out small_template.tpl --seed 29
//     --samples 4 --calibration 1 --dim 8 --axes 2 --background 80 --background-kinds 4
//     --threads 3 --font /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc:Noto Sans CJK SC
//     --font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc:WenQuanYi Zen Hei
TrainOptions SmallOptions(int threads) {
    TrainOptions o;
    o.characters = ReadCharacterSet("的是不了人我在有他这中大来上国个到说们为子和你地出道也时年7F");
    o.fonts = {{"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", "Noto Sans CJK SC", ""},
               {"/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", "WenQuanYi Zen Hei", ""}};
    o.seed = 29;
    o.samplesPerFont = 4;
    o.calibrationPerFont = 1;
    o.dimension = 8;
    o.axes = 2;
    o.backgroundScenes = 80;
    o.backgroundClusters = 4;
    o.threads = threads;
    return o;
}

// The share of the blobs of pictures that the detector's rule skips under a template: blobs
// of scenes from a stream the trainer does not use.
double SkippedPictureBlobs(const std::string& templatePath, int* blobs) {
    CDocOCR ocr;
    if (!ocr.Initialize(templatePath.c_str())) return -1;
    int skipped = 0;
    *blobs = 0;
    for (int s = 0; s < 40; ++s) {
        SampleRandom random(7, 1000, s);
        const cv::Mat grey = BackgroundScene({640, 480}, random);
        for (const cv::Rect& box : ocr.FindBlobs(grey, false)) {
            OrientationVote vote;
            skipped += vote.Add(ocr.ReadTurns(255 - grey(box))) == OrientationVote::Step::kSkipped;
            ++*blobs;
        }
    }
    return *blobs ? static_cast<double>(skipped) / *blobs : -1;
}

TEST(OcrTrainTest, ReproducesTheCommittedSmallTemplateByteForByte) {
    test::TempDir dir;
    const std::string path = QFile::encodeName(dir.File("small.tpl")).toStdString();
    std::string error;
    // Another thread count than the committed file was made with.
    ASSERT_TRUE(Train(SmallOptions(2), path, nullptr, &error)) << error;
    const std::string made = ReadAll(path), committed = ReadAll(DataFile("small_template.tpl"));
    ASSERT_FALSE(committed.empty());
    EXPECT_EQ(made.size(), committed.size());
    EXPECT_TRUE(made == committed) << "the trainer no longer makes the committed template";
}

TEST(OcrTrainTest, TheTemplateReadsItsCharactersUprightAndNotTurned) {
    CDocOCR ocr;
    ASSERT_TRUE(ocr.Initialize(DataFile("small_template.tpl").c_str()));
    auto font = GlyphFont::Open(SmallOptions(1).fonts[0]);
    ASSERT_TRUE(font);
    int upright = 0, checked = 0;
    for (const char32_t c : std::u32string(U"的是我在有中国")) {
        const GlyphFont::Glyph g = font->Render(c, 40);
        ASSERT_FALSE(g.coverage.empty());
        cv::Mat page(g.coverage.rows + 80, g.coverage.cols + 80, CV_8UC1, cv::Scalar(230));
        page(cv::Rect(40, 40, g.coverage.cols, g.coverage.rows)) -= g.coverage * 0.8;
        for (const cv::Rect& box : ocr.FindBlobs(page, false)) {
            const cv::Mat crop = 255 - page(box);
            std::array<double, 4> d{};
            const cv::Mat turns[4] = {crop, RotateMat90(crop), RotateMat180(crop),
                                      RotateMat270(crop)};
            for (int i = 0; i < 4; ++i) {
                std::vector<double> found;
                ASSERT_TRUE(ocr.RecognizeBlob(turns[i], 1, nullptr, &found));
                d[i] = found[0];
            }
            ++checked;
            upright += OrientationVote::BestTurn(d) == 0 ? 1 : 0;
        }
    }
    ASSERT_GT(checked, 4);
    EXPECT_GE(upright, checked - 1);
}

// The program's template: its background classes read a picture's blob alike in every turn,
// so that the detector's rule skips it (without them about one blob in eleven voted).
TEST(OcrTrainTest, TheShippedTemplateSkipsTheBlobsOfPictures) {
    int blobs = 0;
    const double skipped = SkippedPictureBlobs(ORBISK_SHIPPED_TEMPLATE, &blobs);
    ASSERT_GT(blobs, 50);
    EXPECT_GE(skipped, 0.95) << "of " << blobs << " blobs";
}

TEST(OcrTrainTest, LabelsAreTwoBytesOfGb2312) {
    EXPECT_EQ(CharacterLabel(U'的'), "\xB5\xC4");
    // Digits and Latin letters as their full-width forms.
    EXPECT_EQ(CharacterLabel(U'7'), "\xA3\xB7");
    EXPECT_EQ(CharacterLabel(U'F'), "\xA3\xC6");
    // Traditional and rare characters have none.
    EXPECT_EQ(CharacterLabel(U'們'), "");
    EXPECT_EQ(CharacterLabel(U'\U00020000'), "");
}

TEST(OcrTrainTest, TheWriterRefusesClassesItCannotStore) {
    test::TempDir dir;
    const std::string path = QFile::encodeName(dir.File("t.tpl")).toStdString();
    EXPECT_TRUE(TemplateWriter(path).MqdfClass("ab", {1, 2}, 1, {1, 0}, {0.5}, 1, 0).Close());
    // A label of three bytes would shift every result after it.
    EXPECT_FALSE(TemplateWriter(path).MqdfClass("abc", {1, 2}, 1, {1, 0}, {0.5}, 1, 0).Close());
    // Eigenvectors that do not fit the mean.
    EXPECT_FALSE(TemplateWriter(path).MqdfClass("ab", {1, 2}, 1, {1, 0, 0}, {0.5}, 1, 0).Close());
}

TEST(OcrTrainTest, SampleStreamsAreFixedBySeedAndNumbers) {
    SampleRandom a(5, 1, 2, 3), b(5, 1, 2, 3), c(5, 1, 2, 4);
    const uint64_t first = a.Next();
    EXPECT_EQ(first, b.Next());
    EXPECT_NE(first, c.Next());
    for (int i = 0; i < 100; ++i) {
        const double u = a.Uniform(-1, 1);
        EXPECT_GE(u, -1);
        EXPECT_LT(u, 1);
        const int n = a.Int(3, 5);
        EXPECT_GE(n, 3);
        EXPECT_LE(n, 5);
    }
}

}  // namespace
}  // namespace orbisk
