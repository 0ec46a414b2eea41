#include "recognition/ocr_mqdf.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>

#include <gtest/gtest.h>

#include "tests/recognition/template_writer.h"
#include "tests/support/temp_dir.h"

namespace orbisk {
namespace {

OcrMatrixPtr Column(std::initializer_list<double> values) {
    OcrMatrixPtr m(CreateOcrMatrix(kOcrDouble, static_cast<int>(values.size()), 1));
    std::copy(values.begin(), values.end(), static_cast<double*>(m->data));
    return m;
}

TEST(MqdfDistanceTest, HandComputedCase) {
    // r = (1, 2, 2), |r|^2 = 9, y = E r = 1, (9 + 2 * 1) / 2 + 0.5 = 6.
    const OcrMatrixPtr x = Column({1, 2, 3});
    const OcrMatrixPtr mean = Column({0, 0, 1});
    OcrMatrixPtr e(CreateOcrMatrix(kOcrDouble, 1, 3));
    static_cast<double*>(e->data)[0] = 1;
    const OcrMatrixPtr w = Column({2});
    const std::optional<double> d = MQDFDistance(x.get(), mean.get(), e.get(), w.get(), 2, 0.5);
    ASSERT_TRUE(d);
    EXPECT_DOUBLE_EQ(*d, 6.0);
    const OcrMatrixPtr shortMean = Column({0, 0});
    EXPECT_FALSE(MQDFDistance(x.get(), shortMean.get(), e.get(), w.get(), 2, 0.5));
}

// A hand-set template: LN, the identity extractor and a projection that keeps the mean ink
// brightness as the first of three values. An all-ink input thus has the feature (128, 0, 0).
class MqdfClassifierTest : public ::testing::Test {
  protected:
    void WriteHeader(test::TemplateWriter& w, const char* kind = "new:rlda_plus_mqdf") {
        std::vector<double> projection(3 * 4096, 0.0);
        for (int i = 0; i < 4096; ++i) projection[i] = 1.0 / 4096;
        w.Text(kind).Text("-N").Text("LN").Text("-f").Text("None").Text("-S").Text("L2");
        w.Text("-X").Text("-Tx").Text("-TRS").Doubles(3, 4096, projection);
    }
    static void WriteClass(test::TemplateWriter& w, const std::string& label, double mean,
                           double offset) {
        w.Text("+" + label).Doubles(3, 1, {mean, 0, 0}).Doubles(1, 3, {1, 0, 0});
        w.Doubles(1, 1, {0}).Doubles(1, 1, {1}).Doubles(1, 1, {offset});
    }
    // 24 near classes whose MQDF order differs from their coarse order, and one far class
    // that would win if the coarse stage kept it.
    void WriteRankingTemplate() {
        test::TemplateWriter w(path_);
        WriteHeader(w);
        for (int i = 1; i <= 24; ++i) {
            WriteClass(w, std::string{'a', static_cast<char>('A' + i)}, 128 + i, -10.0 * i);
        }
        WriteClass(w, "zz", 228, -1e9);
        ASSERT_TRUE(w.Close());
    }

    test::TempDir dir_;
    std::string path_ = dir_.File("m.tpl").toStdString();
    const std::vector<unsigned char> allInk_ = std::vector<unsigned char>(100, 255);
};

TEST_F(MqdfClassifierTest, CoarseStageKeepsTwentyThenMqdfRanks) {
    WriteRankingTemplate();
    COCRMQDF mqdf;
    ASSERT_TRUE(mqdf.Load(path_.c_str()));
    EXPECT_EQ(mqdf.ClassCount(), 25u);
    char labels[3];
    double distance = 0;
    ASSERT_TRUE(mqdf.Recognize(allInk_.data(), 10, 10, labels, 1, &distance));
    // i^2 - 10 i is smallest at i = 5; the far class is outside the 20 coarse candidates.
    EXPECT_STREQ(labels, "aF");
    EXPECT_NEAR(distance, -25.0, 1e-6);
}

TEST_F(MqdfClassifierTest, ThirtyCandidatesReachTheFarClass) {
    WriteRankingTemplate();
    COCRMQDF mqdf;
    ASSERT_TRUE(mqdf.Load(path_.c_str()));
    std::vector<char> labels(61, 'x');
    std::vector<double> distances(30, 7.0);
    ASSERT_TRUE(mqdf.Recognize(allInk_.data(), 10, 10, labels.data(), 30, distances.data()));
    EXPECT_EQ(std::string(labels.data()).size(), 50u);  // all 25 classes
    EXPECT_EQ(std::string(labels.data(), 4), "zzaF");
    EXPECT_EQ(labels[60], '\0');
    EXPECT_NEAR(distances[0], 10000 - 1e9, 1e-3);
    for (int i = 1; i < 25; ++i) EXPECT_LE(distances[i - 1], distances[i]);
    EXPECT_EQ(distances[25], 7.0);  // only as many distances as classes
}

TEST_F(MqdfClassifierTest, RefusesWhatCannotWork) {
    WriteRankingTemplate();
    COCRMQDF mqdf;
    ASSERT_TRUE(mqdf.Load(path_.c_str()));
    char labels[3];
    const std::vector<unsigned char> blank(100, 0);
    EXPECT_FALSE(mqdf.Recognize(blank.data(), 10, 10, labels, 1, nullptr));
    EXPECT_FALSE(mqdf.Recognize(allInk_.data(), 10, 10, labels, 0, nullptr));
    EXPECT_FALSE(mqdf.Recognize(nullptr, 10, 10, labels, 1, nullptr));
    mqdf.Release();
    EXPECT_FALSE(mqdf.Recognize(allInk_.data(), 10, 10, labels, 1, nullptr));
    EXPECT_TRUE(mqdf.Load(path_.c_str()));
}

TEST_F(MqdfClassifierTest, ClassesTheMeasureCannotCompareAreSkipped) {
    test::TemplateWriter w(path_);
    WriteHeader(w, "NEW:MQDF");
    WriteClass(w, "ok", 130, 0);
    // A 4-value class: consistent in itself, but not the feature's shape.
    w.Text("+no").Doubles(4, 1, {128, 0, 0, 0}).Doubles(1, 4, {1, 0, 0, 0});
    w.Doubles(1, 1, {0}).Doubles(1, 1, {1}).Doubles(1, 1, {-1e9});
    ASSERT_TRUE(w.Close());
    COCRMQDF mqdf;
    ASSERT_TRUE(mqdf.Load(path_.c_str()));
    char labels[5];
    double distances[2] = {0, 0};
    ASSERT_TRUE(mqdf.Recognize(allInk_.data(), 10, 10, labels, 2, distances));
    EXPECT_STREQ(labels, "ok");
    EXPECT_NEAR(distances[0], 4.0, 1e-9);
}

struct BadClassCase {
    const char* name;
    std::function<void(test::TemplateWriter&)> write;
    std::uintmax_t cutBytes = 0;  // taken off the end of the file
};

class MqdfLoadRefusalTest : public ::testing::TestWithParam<BadClassCase> {};

TEST_P(MqdfLoadRefusalTest, LoadFailsAndLeavesNothingLoaded) {
    test::TempDir dir;
    const std::string path = dir.File("bad.tpl").toStdString();
    test::TemplateWriter w(path);
    GetParam().write(w);
    ASSERT_TRUE(w.Close());
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - GetParam().cutBytes);
    COCRMQDF mqdf;
    EXPECT_FALSE(mqdf.Load(path.c_str()));
    EXPECT_EQ(mqdf.ClassCount(), 0u);
}

void Kind(test::TemplateWriter& w) { w.Text("NEW:MQDF").Text("-S").Text("L2"); }
const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, MqdfLoadRefusalTest,
    ::testing::Values(
        BadClassCase{"LabelOfThreeBytes",
                     [](auto& w) {
                         Kind(w);
                         w.Text("+abc").Doubles(3, 1, {0, 0, 0}).Doubles(1, 3, {1, 0, 0});
                         w.Doubles(1, 1, {1}).Doubles(1, 1, {1}).Doubles(1, 1, {0});
                     }},
        BadClassCase{"ScaleZero",
                     [](auto& w) {
                         Kind(w);
                         w.Text("+ab").Doubles(3, 1, {0, 0, 0}).Doubles(1, 3, {1, 0, 0});
                         w.Doubles(1, 1, {1}).Doubles(1, 1, {0}).Doubles(1, 1, {0});
                     }},
        BadClassCase{"ScaleNaN",
                     [](auto& w) {
                         Kind(w);
                         w.Text("+ab").Doubles(3, 1, {0, 0, 0}).Doubles(1, 3, {1, 0, 0});
                         w.Doubles(1, 1, {1}).Doubles(1, 1, {kNaN}).Doubles(1, 1, {0});
                     }},
        BadClassCase{"EigenvectorColumnsDiffer",
                     [](auto& w) {
                         Kind(w);
                         w.Text("+ab").Doubles(3, 1, {0, 0, 0}).Doubles(1, 2, {1, 0});
                         w.Doubles(1, 1, {1}).Doubles(1, 1, {1}).Doubles(1, 1, {0});
                     }},
        BadClassCase{"WeightCountDiffers",
                     [](auto& w) {
                         Kind(w);
                         w.Text("+ab").Doubles(3, 1, {0, 0, 0}).Doubles(1, 3, {1, 0, 0});
                         w.Doubles(1, 2, {1, 1}).Doubles(1, 1, {1}).Doubles(1, 1, {0});
                     }},
        BadClassCase{"MissingOffset",
                     [](auto& w) {
                         Kind(w);
                         w.Text("+ab").Doubles(3, 1, {0, 0, 0}).Doubles(1, 3, {1, 0, 0});
                         w.Doubles(1, 1, {1}).Doubles(1, 1, {1});
                     }},
        BadClassCase{"ClassBeforeKindTag",
                     [](auto& w) {
                         w.Text("+ab").Doubles(3, 1, {0, 0, 0}).Doubles(1, 3, {1, 0, 0});
                         w.Doubles(1, 1, {1}).Doubles(1, 1, {1}).Doubles(1, 1, {0});
                     }},
        BadClassCase{"TagOfTwoRows",
                     [](auto& w) {
                         Kind(w);
                         OcrMatrixPtr m(CreateOcrMatrix(kOcrUInt8, 2, 2));
                         w.Record(m.get());
                     }},
        // Whole classes, then a file that ends inside the last one's records.
        BadClassCase{"CutInsideAClass",
                     [](auto& w) {
                         Kind(w);
                         for (const char* label : {"+ab", "+cd"}) {
                             w.Text(label).Doubles(3, 1, {0, 0, 0}).Doubles(1, 3, {1, 0, 0});
                             w.Doubles(1, 1, {1}).Doubles(1, 1, {1}).Doubles(1, 1, {0});
                         }
                     },
                     30},
        BadClassCase{"CutInsideATag",
                     [](auto& w) {
                         Kind(w);
                         w.Text("+ab").Doubles(3, 1, {0, 0, 0}).Doubles(1, 3, {1, 0, 0});
                         w.Doubles(1, 1, {1}).Doubles(1, 1, {1}).Doubles(1, 1, {0});
                         w.Text("+cd");
                     },
                     1},
        BadClassCase{"MissingKey", [](auto& w) { w.Text("NEW:MQDF").Text("-N"); }},
        BadClassCase{"KeyTooLong",
                     [](auto& w) { w.Text("NEW:MQDF").Text("-N").Text(std::string(128, 'L')); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orbisk
