#include "recognition/ocr_engine.h"

#include <functional>

#include <gtest/gtest.h>

#include "recognition/ocr_mqdf.h"
#include "recognition/ocr_multi_tpl.h"
#include "tests/recognition/template_writer.h"
#include "tests/support/temp_dir.h"

namespace orbisk {
namespace {

enum class Kind { kNone, kMulti, kMqdf };

struct KindCase {
    const char* name;
    std::function<void(test::TemplateWriter&)> write;
    Kind kind;
};

class EngineKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(EngineKindTest, FirstRecordChoosesTheClassifier) {
    test::TempDir dir;
    const std::string path = dir.File("k.tpl").toStdString();
    test::TemplateWriter w(path);
    GetParam().write(w);
    ASSERT_TRUE(w.Close());
    COCREngine engine;
    const bool loaded = engine.Load(path.c_str());
    EXPECT_EQ(loaded, GetParam().kind != Kind::kNone);
    COCRInterface* c = engine.classifier();
    switch (GetParam().kind) {
        case Kind::kNone:
            EXPECT_EQ(c, nullptr);
            break;
        case Kind::kMulti:
            EXPECT_NE(dynamic_cast<COCRMultiTpl*>(c), nullptr);
            break;
        case Kind::kMqdf:
            EXPECT_NE(dynamic_cast<COCRMQDF*>(c), nullptr);
            break;
    }
}

void Keys(test::TemplateWriter& w) { w.Text("LN").Text("GRA").Text("L2"); }

INSTANTIATE_TEST_SUITE_P(
    Cases, EngineKindTest,
    ::testing::Values(
        KindCase{"LowerCaseNew", [](auto& w) { Keys(w.Text("new")); }, Kind::kMulti},
        KindCase{"Mqdf", [](auto& w) { w.Text("NEW:MQDF"); }, Kind::kMqdf},
        KindCase{"RldaPlusMqdf", [](auto& w) { w.Text("New:Rlda_Plus_Mqdf"); }, Kind::kMqdf},
        KindCase{"MqdfInTwoRows",
                 [](auto& w) {
                     OcrMatrixPtr m(CreateOcrMatrix(kOcrUInt8, 2, 4));
                     std::copy_n("NEW:MQDF", 8, static_cast<char*>(m->data));
                     w.Record(m.get());
                 },
                 Kind::kNone},
        KindCase{"OtherText", [](auto& w) { Keys(w.Text("NEWER")); }, Kind::kNone},
        KindCase{"NewWithNul", [](auto& w) { Keys(w.Text(std::string("NEW\0", 4))); }, Kind::kNone},
        KindCase{"NotText", [](auto& w) { w.Doubles(1, 1, {0}); }, Kind::kNone},
        KindCase{"Empty", [](auto&) {}, Kind::kNone},
        KindCase{"MultiThatFailsToLoad", [](auto& w) { w.Text("NEW").Text("LN"); }, Kind::kNone}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EngineTest, WithoutClassifierNothingCrashes) {
    COCREngine engine;
    char labels[3];
    const unsigned char ink[4] = {255, 255, 255, 255};
    EXPECT_FALSE(engine.Recognize(ink, 2, 2, labels, 1, nullptr));
    engine.Release();
    EXPECT_FALSE(engine.Load("/nonexistent/template.tpl"));
    EXPECT_FALSE(engine.Load(nullptr));
}

}  // namespace
}  // namespace orbisk
