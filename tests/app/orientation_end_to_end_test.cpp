// The whole road on the simulated camera: the program's template, the recogniser's
// detector, and a page that lies turned under the camera.

#include "app/main_dlg/orientation_thread.h"
#include "platform/program_folders.h"
#include "recognition/doc_ocr.h"
#include "tests/app/orientation_fixture.h"
#include "tests/support/wait_until.h"
#include "tools/ocr_train/glyph_font.h"
#include "tools/ocr_train/trainer.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace orbisk {
namespace {

using namespace std::chrono_literals;

class OrientationEndToEndTest : public test::OrientationWindowTest,
                                public testing::WithParamInterface<int> {};

// A page of body text, upright, black on white.
cv::Mat TextPage() {
    const std::u32string text = ocrtrain::DecodeUtf8(
        "我们公司成立于二十多年前，最初只是一家很小的工厂，主要生产简单的电子元件。经过几代人的"
        "努力，现在已经发展成为一家拥有三千多名员工的企业，产品销往世界上五十多个国家和地区。在"
        "过去的一年里，全体员工克服了许多困难，完成了年初制定的各项目标。销售收入比上年增长了百"
        "分之十八，新产品的研发也取得了重要进展。明年我们将继续加大投入，努力提高产品的质量和服"
        "务水平。这座城市位于长江下游的平原上，气候温和，雨量充沛，四季分明。");
    auto font = ocrtrain::GlyphFont::Open(ocrtrain::TrainingFonts()[0]);
    cv::Mat page(1200, 900, CV_8UC3, cv::Scalar(235, 238, 240));
    if (!font) return page;
    constexpr int kEm = 38;
    size_t i = 0;
    for (int baseline = 110; baseline < page.rows - 80 && i < text.size(); baseline += 60) {
        for (int x = 80; x + kEm < page.cols - 60 && i < text.size(); x += kEm, ++i) {
            const auto glyph = font->Render(text[i], kEm);
            if (glyph.coverage.empty()) continue;
            const cv::Rect at(x + glyph.left, baseline - glyph.top, glyph.coverage.cols,
                              glyph.coverage.rows);
            cv::Mat area = page(at & cv::Rect(0, 0, page.cols, page.rows));
            cv::Mat ink;
            cv::cvtColor(glyph.coverage(cv::Rect(0, 0, area.cols, area.rows)), ink,
                         cv::COLOR_GRAY2BGR);
            area -= ink;
        }
    }
    return page;
}

TEST_P(OrientationEndToEndTest, APageLyingTurnedComesUpright) {
    const int turn = GetParam();
    cv::Mat page = TextPage();
    // Turned clockwise by `turn`: the detector answers `turn`, the preview turns back.
    if (turn == 90) page = RotateMat270(page);
    if (turn == 180) page = RotateMat180(page);
    if (turn == 270) page = RotateMat90(page);
    ASSERT_TRUE(QDir().mkpath(dir_.File("pages")));
    ASSERT_TRUE(cv::imwrite(QFile::encodeName(dir_.File("pages/page.png")).toStdString(), page));
    qputenv("ORBISK_CAMERA_IMAGES", QFile::encodeName(dir_.File("pages")));
    // Read when the camera starts streaming, which may be after the start-up returns.
    auto dlg = Start(QString(), OrientationDetectorFactory(), QString(), {1600, 1200});
    ASSERT_TRUE(dlg);
    const int upright = (360 - turn) % 360;
    EXPECT_TRUE(test::WaitUntil([&] { return dlg->DocRotation() == upright; }, 20s))
        << "rotation " << dlg->DocRotation();
    // What the preview shows now reads upright.
    CDocOCR ocr;
    ASSERT_TRUE(ocr.Initialize(
        QFile::encodeName(platform::ResourcePath(QString::fromLatin1(kOrientationTemplateName)))
            .constData()));
    int angle = -1;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            const cv::Mat frame = dlg->DocCamera()->GetFrame();
            return !frame.empty() && ocr.Detect(OrientationPage(frame), &angle, false) &&
                   angle == 0;
        },
        10s))
        << "angle " << angle;
    EXPECT_TRUE(dlg->OrientationRunning());
    dlg->DestroyWindow();
    qunsetenv("ORBISK_CAMERA_IMAGES");
}

INSTANTIATE_TEST_SUITE_P(Turns, OrientationEndToEndTest, testing::Values(90, 180, 270),
                         [](const auto& info) { return "Turned" + std::to_string(info.param); });

}  // namespace
}  // namespace orbisk
