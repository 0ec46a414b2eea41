#include "recognition/ocr_multi_tpl.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "recognition/ocr_engine.h"
#include "tests/recognition/template_writer.h"
#include "tests/recognition/test_glyphs.h"
#include "tests/support/temp_dir.h"

namespace orbisk {
namespace {

// LN with the identity extractor turns an all-ink input into 64 x 64 values of 128; a
// prototype off by sqrt(d) in one value is then at L2 distance d.
std::vector<double> PrototypeAt(double distance) {
    std::vector<double> v(64 * 64, 128.0);
    v[0] += std::sqrt(distance);
    return v;
}

class MultiTemplateTest : public ::testing::Test {
  protected:
    test::TemplateWriter& SubTemplate(test::TemplateWriter& w, const char* extractor = "None") {
        return w.Text("NEW").Text("LN").Text(extractor).Text("L2");
    }
    static void Prototype(test::TemplateWriter& w, const char* label, double distance) {
        w.Text(label).Doubles(64, 64, PrototypeAt(distance));
    }
    bool Load(COCRMultiTpl& tpl) { return tpl.Load(path_.c_str()); }

    test::TempDir dir_;
    std::string path_ = dir_.File("multi.tpl").toStdString();
    const std::vector<unsigned char> ink_ = std::vector<unsigned char>(100, 255);
};

TEST_F(MultiTemplateTest, SameLabelFromTwoSubTemplatesMergesToTheSmaller) {
    test::TemplateWriter w(path_);
    Prototype(SubTemplate(w), "AA", 0.3);
    Prototype(SubTemplate(w), "AA", 0.2);
    ASSERT_TRUE(w.Close());
    COCRMultiTpl tpl;
    ASSERT_TRUE(Load(tpl));
    EXPECT_EQ(tpl.count(), 2);
    char labels[5];
    double distances[2] = {-1, -1};
    ASSERT_TRUE(tpl.Recognize(ink_.data(), 10, 10, labels, 2, distances));
    EXPECT_STREQ(labels, "AA");
    EXPECT_NEAR(distances[0], 0.2, 1e-9);
    EXPECT_EQ(distances[1], -1);
}

TEST_F(MultiTemplateTest, AnEqualLaterAnswerDoesNotReplaceTheHeldOne) {
    test::TemplateWriter w(path_);
    Prototype(SubTemplate(w), "AA", 0.25);
    Prototype(SubTemplate(w), "BB", 0.25);
    ASSERT_TRUE(w.Close());
    COCRMultiTpl tpl;
    ASSERT_TRUE(Load(tpl));
    char labels[3];
    ASSERT_TRUE(tpl.Recognize(ink_.data(), 10, 10, labels, 1, nullptr));
    EXPECT_STREQ(labels, "AA");
}

TEST_F(MultiTemplateTest, FailingSubTemplatesAndPrototypesAreSkipped) {
    test::TemplateWriter w(path_);
    Prototype(SubTemplate(w, "Sobel"), "XX", 0.0);  // no such extractor
    SubTemplate(w);
    w.Text("YY").Doubles(1, 4096, PrototypeAt(0.0));  // not the feature's shape
    Prototype(w, "BB", 0.5);
    Prototype(w, "CC", 0.1);
    ASSERT_TRUE(w.Close());
    COCRMultiTpl tpl;
    ASSERT_TRUE(Load(tpl));
    char labels[7];
    std::memset(labels, 'x', sizeof labels);
    double distances[3] = {-1, -1, -1};
    ASSERT_TRUE(tpl.Recognize(ink_.data(), 10, 10, labels, 3, distances));
    EXPECT_STREQ(labels, "CCBB");
    EXPECT_EQ(labels[4], '\0');
    EXPECT_EQ(labels[5], 'x');
    EXPECT_EQ(labels[6], '\0');
    EXPECT_NEAR(distances[0], 0.1, 1e-9);
    EXPECT_NEAR(distances[1], 0.5, 1e-9);
    EXPECT_EQ(distances[2], -1);

    const std::vector<unsigned char> blank(100, 0);
    EXPECT_FALSE(tpl.Recognize(blank.data(), 10, 10, labels, 1, nullptr));
    EXPECT_FALSE(tpl.Recognize(ink_.data(), 10, 10, labels, 0, nullptr));
}

TEST_F(MultiTemplateTest, AllSubTemplatesFailing) {
    test::TemplateWriter w(path_);
    Prototype(SubTemplate(w, "Sobel"), "XX", 0.0);
    ASSERT_TRUE(w.Close());
    COCRMultiTpl tpl;
    ASSERT_TRUE(Load(tpl));
    char labels[3];
    EXPECT_FALSE(tpl.Recognize(ink_.data(), 10, 10, labels, 1, nullptr));
}

TEST_F(MultiTemplateTest, LoadGrammar) {
    struct Case {
        const char* name;
        std::function<void(test::TemplateWriter&)> write;
        bool loads;
        int subTemplates;
        std::uintmax_t cutBytes = 0;  // taken off the end of the file
    };
    auto subTemplate = [](test::TemplateWriter& w) -> test::TemplateWriter& {
        return w.Text("NEW").Text("LN").Text("GRA").Text("L2");
    };
    const Case cases[] = {
        {"PrototypeBeforeAnySubTemplate", [](auto& w) { w.Text("AA").Doubles(1, 1, {0}); }, false,
         0},
        {"NewWithoutItsKeys", [](auto& w) { w.Text("NEW").Text("LN"); }, false, 0},
        {"KeyTooLong",
         [](auto& w) { w.Text("NEW").Text(std::string(100, 'L')).Text("GRA").Text("L2"); }, false,
         0},
        // A file that ends before the records it declares was cut short.
        {"LabelAtTheEnd",
         [](auto& w) { w.Text("new").Text("LN").Text("GRA").Text("L2").Text("AA"); }, false, 0},
        {"ProjectionTagAtTheEnd", [&](auto& w) { subTemplate(w).Text("TRS"); }, false, 0},
        {"CutInsideAPrototype",
         [&](auto& w) {
             subTemplate(w)
                 .Text("AA")
                 .Doubles(1, 8, std::vector<double>(8, 1))
                 .Text("BB")
                 .Doubles(1, 8, std::vector<double>(8, 2));
         },
         false, 0, 20},
        {"CutInsideARecordHeader", [&](auto& w) { subTemplate(w).Text("AA"); }, false, 0, 12},
        {"WholePrototypes",
         [&](auto& w) {
             subTemplate(w)
                 .Text("AA")
                 .Doubles(1, 8, std::vector<double>(8, 1))
                 .Text("BB")
                 .Doubles(1, 8, std::vector<double>(8, 2));
         },
         true, 1},
        {"NonTextRecordEndsLoading",
         [](auto& w) {
             w.Text("NEW").Text("LN").Text("GRA").Text("L2").Doubles(1, 1, {0});
             w.Text("NEW").Text("LN").Text("GRA").Text("L2");
         },
         true, 1},
        {"OtherTagsIgnored",
         [](auto& w) { w.Text("NEW").Text("LN").Text("GRA").Text("L2").Text("ABC").Text("Q"); },
         true, 1},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string path = dir.File("t.tpl").toStdString();
        test::TemplateWriter w(path);
        c.write(w);
        ASSERT_TRUE(w.Close());
        std::filesystem::resize_file(path, std::filesystem::file_size(path) - c.cutBytes);
        COCRMultiTpl tpl;
        EXPECT_EQ(tpl.Load(path.c_str()), c.loads) << c.name;
        EXPECT_EQ(tpl.count(), c.subTemplates) << c.name;
    }
}

TEST(GlyphTemplateTest, EveryGlyphIsItsOwnFirstCandidate) {
    ASSERT_GE(test::TestGlyphs().size(), 25u);
    test::TempDir dir;
    const std::string path = dir.File("glyphs.tpl").toStdString();
    ASSERT_TRUE(test::WriteGlyphTemplate(path, 25));
    COCREngine engine;
    ASSERT_TRUE(engine.Load(path.c_str()));
    for (size_t i = 0; i < 25; ++i) {
        // Drawn larger than the prototypes: the normaliser takes the size out.
        const cv::Mat image = test::GlyphImage(test::TestGlyphs()[i], 56);
        char labels[7];
        double distances[3];
        ASSERT_TRUE(engine.Recognize(image.data, image.cols, image.rows, labels, 3, distances));
        EXPECT_EQ(std::string(labels, 2), test::GlyphLabel(i));
        EXPECT_LT(distances[0], 0.1) << i;
        EXPECT_LT(distances[0] / distances[1], 0.5) << i;
    }
}

// A template of each stroke and projection key, written like the gradient one, loads
// through the engine and knows its own training glyphs.
class StrokeKeyTemplateTest : public ::testing::TestWithParam<const char*> {};

TEST_P(StrokeKeyTemplateTest, EveryTrainingGlyphIsItsOwnFirstCandidate) {
    constexpr size_t kGlyphs = 25;
    test::TempDir dir;
    const std::string path = dir.File("stroke.tpl").toStdString();
    ASSERT_TRUE(test::WriteGlyphTemplate(path, kGlyphs, GetParam()));
    COCREngine engine;
    ASSERT_TRUE(engine.Load(path.c_str()));
    for (size_t i = 0; i < kGlyphs; ++i) {
        const cv::Mat image = test::GlyphImage(test::TestGlyphs()[i]);
        char labels[5];
        double distances[2];
        ASSERT_TRUE(engine.Recognize(image.data, image.cols, image.rows, labels, 2, distances));
        EXPECT_EQ(std::string(labels, 2), test::GlyphLabel(i));
        EXPECT_LT(distances[0], 1e-9) << i;
        EXPECT_GT(distances[1], 1e-6) << i;  // and no other glyph gives the same feature
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, StrokeKeyTemplateTest,
                         ::testing::Values("CrossLine", "StrokePos", "PPF", "CCF", "HVH", "HVH0",
                                           "HVH1"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace orbisk
