#include "recognition/factories.h"

#include <typeinfo>

#include <gtest/gtest.h>

namespace orbisk {
namespace {

struct KeyCase {
    const char* key;
    const std::type_info* made;  // null: refused
};

template <typename T>
const std::type_info* Made(const std::unique_ptr<T>& p) {
    return p ? &typeid(*p) : nullptr;
}

std::string Describe(const KeyCase& c) { return std::string("key '") + c.key + "'"; }

TEST(FactoriesTest, Normalisers) {
    const KeyCase cases[] = {
        {"LN", &typeid(CLinearNormalizerImp)},
        {"ln_whatever", &typeid(CLinearNormalizerImp)},
        {"BI", &typeid(CBiMomentNormalizerImp)},
        {"b2", &typeid(CB2MomentNormalizerImp)},
        {"L", nullptr},
        {"", nullptr},
        {"XLN", nullptr},
    };
    for (const KeyCase& c : cases) {
        EXPECT_EQ(Made(CreateImageNormalizer(c.key)), c.made) << Describe(c);
    }
}

TEST(FactoriesTest, FeatureExtractors) {
    const KeyCase cases[] = {
        {"None", &typeid(CFeatureExtractor)},
        {"NONE", &typeid(CFeatureExtractor)},
        {"Nonesuch", nullptr},
        {"GRA", &typeid(CGradientFeatureExtractorImp)},
        {"GRAdient", &typeid(CGradientFeatureExtractorImp)},
        {"GR", nullptr},
        {"GAB", &typeid(CGaborMagFeatureExtractorImp)},
        {"gab:4:2:8", &typeid(CGaborMagFeatureExtractorImp)},
        {"GAB:6:1:6", &typeid(CGaborMagFeatureExtractorImp)},
        {"GBF", &typeid(CGaborBFeatureExtractorImp)},
        {"GBF:4:4:8", &typeid(CGaborBFeatureExtractorImp)},
        // Keys that cannot work.
        {"GAB:4", nullptr},
        {"GABOR", nullptr},
        {"GAB:4:0:8", nullptr},
        {"GAB:4:-2:8", nullptr},
        {"GAB:8:2:4", nullptr},
        {"GAB:0:2:4", nullptr},
        {"GAB:-4:2:4", nullptr},
        {"GAB:4:2:x", nullptr},
        {"GAB:4:2:8:1", nullptr},
        {"GAB:4:1:100000", nullptr},
        {"GBF:4:1:8", nullptr},  // five wavelengths, room for three
        {"CrossLine", &typeid(CCrossLineFeatureExtractor)},
        {"CROSSLINE", &typeid(CCrossLineFeatureExtractor)},
        {"CrossLines", nullptr},
        {"StrokePos", &typeid(CStrokePosFeatureExtractorImp)},
        {"strokepos2", &typeid(CStrokePosFeatureExtractorImp)},
        {"StrokePo", nullptr},
        {"PPF", &typeid(CPeripheralFeatureExtractorImp)},
        {"ppf8", &typeid(CPeripheralFeatureExtractorImp)},
        {"CCF", &typeid(CCICLPFFeatureExtractorImp)},
        {"CCFx", &typeid(CCICLPFFeatureExtractorImp)},
        {"CC", nullptr},
        {"HVH", &typeid(CHVHistogramsFeatureExtractorImp)},
        {"hvh0", &typeid(CHVHistogramsFeatureExtractorImp)},
        {"HVH1", &typeid(CHVHistogramsFeatureExtractorImp)},
        {"HV", nullptr},
    };
    for (const KeyCase& c : cases) {
        EXPECT_EQ(Made(CreateFeatureExtractor(c.key)), c.made) << Describe(c);
    }
}

TEST(FactoriesTest, DistanceMeasuresAndFileOperator) {
    const KeyCase cases[] = {
        {"City", &typeid(CCityDistanceMeasurerImp)},
        {"L2", &typeid(CL2DistanceMeasurerImp)},
        {"cos", &typeid(CCosineDistanceMeasurerImp)},
        {"Cosine", nullptr},
        {"L2 ", nullptr},
    };
    for (const KeyCase& c : cases) {
        EXPECT_EQ(Made(CreateDistanceMeasurer(c.key)), c.made) << Describe(c);
    }
    // The key's full byte length counts: an embedded NUL is not an end.
    EXPECT_FALSE(CreateDistanceMeasurer(std::string("L2\0x", 4)));
    EXPECT_EQ(Made(CreateFileOperator("cmm")), &typeid(CCmmFileOperatorImp));
    EXPECT_FALSE(CreateFileOperator("Cmm2"));
}

TEST(FactoriesTest, GaborKeysGiveTheirWavelengths) {
    OcrMatrixPtr image(CreateOcrMatrix(kOcrUInt8, 64, 64));
    static_cast<uint8_t*>(image->data)[64 * 20 + 30] = 200;
    struct Case {
        const char* key;
        int values;
    } cases[] = {{"GAB", 768}, {"GAB:4:2:8", 768}, {"GAB:6:1:6", 256}, {"GBF", 1536}};
    for (const Case& c : cases) {
        OcrMatrixPtr f = CreateFeatureExtractor(c.key)->Extract(image.get(), 0);
        ASSERT_TRUE(f) << c.key;
        EXPECT_EQ(f->type, kOcrFloat);
        EXPECT_EQ(f->rows, 1);
        EXPECT_EQ(f->cols, c.values) << c.key;
    }
}

}  // namespace
}  // namespace orbisk
