#include "recognition/doc_ocr.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include "tests/recognition/test_glyphs.h"
#include "tests/support/pipe_in_place.h"
#include "tests/support/temp_dir.h"

namespace orbisk {
namespace {

TEST(RotateTest, QuarterTurnsFollowTheirFormulas) {
    cv::Mat src(2, 3, CV_8UC3);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 3; ++j) src.at<cv::Vec3b>(i, j) = cv::Vec3b(i * 3 + j, 10 + i, 20 + j);
    const cv::Mat r90 = RotateMat90(src), r180 = RotateMat180(src), r270 = RotateMat270(src);
    ASSERT_EQ(r90.size(), cv::Size(2, 3));
    ASSERT_EQ(r270.size(), cv::Size(2, 3));
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 2; ++j) {
            EXPECT_EQ(r90.at<cv::Vec3b>(i, j), src.at<cv::Vec3b>(j, 3 - 1 - i));
            EXPECT_EQ(r270.at<cv::Vec3b>(i, j), src.at<cv::Vec3b>(2 - 1 - j, i));
        }
    }
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(r180.at<cv::Vec3b>(i, j), src.at<cv::Vec3b>(1 - i, 2 - j));
    EXPECT_TRUE(RotateMat90(cv::Mat()).empty());
    EXPECT_TRUE(RotateMat180(cv::Mat()).empty());
    EXPECT_TRUE(RotateMat270(cv::Mat()).empty());
}

using Blob = std::array<double, 4>;

struct VoteCase {
    const char* name;
    std::vector<Blob> blobs;
    bool decided;
    int angle;
};

class OrientationVoteTest : public ::testing::TestWithParam<VoteCase> {};

TEST_P(OrientationVoteTest, Decides) {
    OrientationVote vote;
    for (const Blob& b : GetParam().blobs) {
        const OrientationVote::Step step = vote.Add(b);
        if (step == OrientationVote::Step::kDecided || step == OrientationVote::Step::kEnough) {
            break;
        }
    }
    int angle = -1;
    EXPECT_EQ(vote.Result(&angle), GetParam().decided);
    if (GetParam().decided) {
        EXPECT_EQ(angle, GetParam().angle);
    }
}

constexpr double kFail = 1.0;  // what a failed recognition leaves

INSTANTIATE_TEST_SUITE_P(
    Cases, OrientationVoteTest,
    ::testing::Values(
        VoteCase{"BestAtExactly032Votes", {{0.32, 0.9, 0.9, 0.9}}, true, 0},
        VoteCase{"BestAbove032Skipped", {{0.3200001, 0.9, 0.9, 0.9}}, false, 0},
        VoteCase{"RatioExactly085Votes", {{0.35, 0.2975, 0.9, 0.9}}, true, 90},
        VoteCase{"RatioAbove085Skipped", {{0.35, 0.2976, 0.9, 0.9}}, false, 0},
        VoteCase{"DecisiveBlobBeatsEarlierVotes",
                 {{0.9, 0.3, 0.5, 0.9}, {0.9, 0.25, 0.5, 0.9}, {0.9, 0.9, 0.05, 0.9}},
                 true,
                 180},
        VoteCase{"LowBestWithCloseSecondOnlyVotes",
                 {{0.9, 0.9, 0.9, 0.15}, {0.9, 0.2, 0.9, 0.3}},
                 true,
                 270},
        VoteCase{"ThreeVotesSumUp",
                 {{0.3, 0.31, 0.9, 0.9}, {0.31, 0.25, 0.9, 0.9}, {0.3, 0.28, 0.9, 0.9}},
                 true,
                 90},
        VoteCase{
            "EqualSumsFor90And180Give90", {{0.9, 0.25, 0.9, 0.9}, {0.9, 0.9, 0.25, 0.9}}, true, 90},
        VoteCase{"EqualBestFor0And270Gives0", {{0.25, 0.9, 0.9, 0.25}}, true, 0},
        VoteCase{"SecondCappedAtOne", {{0.3, 1.5, 1.5, 1.5}}, true, 0},
        VoteCase{"DecisiveAgainstNoMatch", {{kFail, 0.1, kFail, kFail}}, true, 90},
        VoteCase{"AllRecognitionsFailing",
                 {{kFail, kFail, kFail, kFail}, {kFail, kFail, kFail, kFail}},
                 false,
                 0},
        VoteCase{"FiveVotesStopTheScan",
                 {{0.3, 0.9, 0.9, 0.9},
                  {0.3, 0.9, 0.9, 0.9},
                  {0.3, 0.9, 0.9, 0.9},
                  {0.3, 0.9, 0.9, 0.9},
                  {0.3, 0.9, 0.9, 0.9},
                  {0.9, 0.01, 0.9, 0.9}},
                 true,
                 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OrientationVoteTest, TiesKeepTheEarlierTurn) {
    EXPECT_EQ(OrientationVote::BestTurn({0.25, 0.9, 0.9, 0.25}), 0);
    EXPECT_EQ(OrientationVote::BestTurn({0.9, 0.3, 0.3, 0.9}), 90);
}

// Recognises nothing, as with a template whose components are missing.
class FailingClassifier : public COCRInterface {
  public:
    bool Load(const char*) override { return true; }
    void Release() override {}
    bool Recognize(const unsigned char*, int, int, char*, int, double*) override {
        ++calls;
        return false;
    }
    int calls = 0;
};

class DocOcrTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new test::TempDir;
        path_ = new std::string(dir_->File("glyphs.tpl").toStdString());
        ASSERT_TRUE(test::WriteGlyphTemplate(*path_, 25));
    }
    static void TearDownTestSuite() {
        delete path_;
        delete dir_;
    }
    void SetUp() override { ASSERT_TRUE(ocr_.Initialize(path_->c_str())); }

    static test::TempDir* dir_;
    static std::string* path_;
    CDocOCR ocr_;
};
test::TempDir* DocOcrTest::dir_ = nullptr;
std::string* DocOcrTest::path_ = nullptr;

TEST_F(DocOcrTest, PageOfGlyphsInEachTurn) {
    const cv::Mat page = test::GlyphPage(800, 600, 25);
    struct Case {
        const char* name;
        cv::Mat page;
        int angle;
    } cases[] = {
        {"Upright", page, 0},
        {"TurnedClockwise", RotateMat270(page), 90},
        {"HalfTurn", RotateMat180(page), 180},
        {"TurnedCounterClockwise", RotateMat90(page), 270},
    };
    for (const Case& c : cases) {
        for (bool fromGrey : {false, true}) {
            int angle = -1;
            EXPECT_TRUE(ocr_.Detect(c.page, &angle, fromGrey)) << c.name << fromGrey;
            EXPECT_EQ(angle, c.angle) << c.name << " blobs from grey " << fromGrey;
        }
    }
}

TEST_F(DocOcrTest, GreyAndFourChannelPages) {
    cv::Mat grey, bgra;
    const cv::Mat page = RotateMat180(test::GlyphPage(500, 400, 25));
    cv::cvtColor(page, grey, cv::COLOR_BGR2GRAY);
    cv::cvtColor(page, bgra, cv::COLOR_BGR2BGRA);
    for (const cv::Mat& p : {grey, bgra}) {
        int angle = -1;
        EXPECT_TRUE(ocr_.Detect(p, &angle, false));
        EXPECT_EQ(angle, 180);
    }
}

TEST_F(DocOcrTest, OnlyTheLeftAndTopBordersAreTrimmed) {
    const uint32_t glyph = test::TestGlyphs()[3];
    auto pageWithGlyphAt = [&](int width, int height, cv::Point at) {
        cv::Mat p(height, width, CV_8UC1, cv::Scalar(255));
        test::DrawGlyph(p, glyph, at, cv::Scalar(0), 26, 3);
        return p;
    };
    int angle = -1;
    // At most 60 x 60: used whole.
    EXPECT_TRUE(ocr_.Detect(pageWithGlyphAt(60, 60, {2, 2}), &angle, false));
    EXPECT_EQ(angle, 0);
    // 100 wide: columns 0-29 are cut, so a glyph there is never seen.
    EXPECT_FALSE(ocr_.Detect(pageWithGlyphAt(100, 100, {2, 50}), &angle, false));
    EXPECT_FALSE(ocr_.Detect(pageWithGlyphAt(100, 100, {50, 2}), &angle, false));
    // The right and bottom edges are kept.
    EXPECT_TRUE(ocr_.Detect(pageWithGlyphAt(100, 100, {72, 72}), &angle, false));
    EXPECT_EQ(angle, 0);
}

TEST_F(DocOcrTest, PagesWithoutCharacterBlobs) {
    cv::Mat bars(300, 300, CV_8UC3, cv::Scalar(255, 255, 255));
    cv::rectangle(bars, {50, 50}, {250, 60}, cv::Scalar(0, 0, 0), cv::FILLED);     // too flat
    cv::rectangle(bars, {50, 100}, {60, 280}, cv::Scalar(0, 0, 0), cv::FILLED);    // too tall
    cv::rectangle(bars, {100, 100}, {115, 115}, cv::Scalar(0, 0, 0), cv::FILLED);  // too small
    int angle = -1;
    EXPECT_FALSE(ocr_.Detect(bars, &angle, false));
    EXPECT_FALSE(ocr_.Detect(cv::Mat(), &angle, false));
    EXPECT_EQ(angle, 0);
}

TEST_F(DocOcrTest, UnsupportedPagesAnswerFalse) {
    const cv::Mat page = test::GlyphPage(300, 300, 4);
    cv::Mat wide, two, floats;
    page.convertTo(wide, CV_16UC3, 256);
    page.convertTo(floats, CV_32FC3);
    cv::extractChannel(page, two, 0);
    cv::merge(std::vector<cv::Mat>{two, two}, two);
    int angle = -1;
    for (const cv::Mat& p : {wide, two, floats}) {
        EXPECT_NO_THROW(EXPECT_FALSE(ocr_.Detect(p, &angle, false)));
    }
    EXPECT_FALSE(ocr_.Detect(page, nullptr, false));
}

TEST(DocOcrEngineTest, FailedRecognitionsDecideNothing) {
    auto classifier = std::make_unique<FailingClassifier>();
    FailingClassifier* fake = classifier.get();
    CDocOCR ocr;
    ASSERT_TRUE(ocr.Initialize(std::make_unique<COCREngine>(std::move(classifier))));
    int angle = -1;
    EXPECT_FALSE(ocr.Detect(test::GlyphPage(400, 300, 25), &angle, false));
    EXPECT_GT(fake->calls, 4);  // every blob was tried in all four turns, none decided
    std::vector<double> distances;
    EXPECT_FALSE(
        ocr.RecognizeBlob(cv::Mat(30, 30, CV_8UC1, cv::Scalar(255)), 1, nullptr, &distances));
    EXPECT_TRUE(distances.empty());
}

TEST(DocOcrEngineTest, WithoutTemplate) {
    CDocOCR ocr;
    int angle = -1;
    EXPECT_FALSE(ocr.Detect(test::GlyphPage(300, 300, 4), &angle, false));
    EXPECT_FALSE(ocr.RecognizeBlob(cv::Mat(30, 30, CV_8UC1, cv::Scalar(255)), 1, nullptr, nullptr));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(ocr.Initialize("/nonexistent/OCR_RLDA_LN_Gra.tpl"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[CDocOCR::Initialize] 初始化字符模板失败\n");
    EXPECT_FALSE(ocr.Initialize(std::unique_ptr<COCREngine>()));
}

// A pipe in the template's place: loading fails at once, told as for any
// template that cannot be loaded, rather than waiting for a writer (and the
// exit with it, which joins the thread that loads).
TEST(DocOcrEngineTest, APipeInPlaceOfTheTemplateIsNotWaitedFor) {
    test::TempDir dir;
    const QString path = dir.File("OCR_RLDA_LN_Gra.tpl");
    const test::PipeInPlace pipe(path);
    ASSERT_TRUE(pipe.Made());
    CDocOCR ocr;
    bool loaded = true;
    testing::internal::CaptureStdout();
    const bool prompt =
        pipe.EndsByItself([&] { loaded = ocr.Initialize(test::Encoded(path).c_str()); });
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[CDocOCR::Initialize] 初始化字符模板失败\n");
    EXPECT_TRUE(prompt) << "waited for a writer";
    EXPECT_FALSE(loaded);
}

TEST_F(DocOcrTest, RecognizeBlobAppendsLabelAndDistances) {
    const cv::Mat glyph = test::GlyphImage(test::TestGlyphs()[7]);
    const cv::Mat view = cv::Mat(glyph.rows + 10, glyph.cols + 10, CV_8UC1, cv::Scalar(0));
    glyph.copyTo(view(cv::Rect(5, 5, glyph.cols, glyph.rows)));
    std::string labels;
    std::vector<double> distances = {9.0};
    // A view into a larger image: rows are not contiguous.
    ASSERT_TRUE(
        ocr_.RecognizeBlob(view(cv::Rect(3, 3, glyph.cols, glyph.rows)), 2, &labels, &distances));
    EXPECT_EQ(labels.substr(0, 2), test::GlyphLabel(7));
    ASSERT_EQ(distances.size(), 3u);
    EXPECT_EQ(distances[0], 9.0);
    EXPECT_LE(distances[1], distances[2]);
}

}  // namespace
}  // namespace orbisk
