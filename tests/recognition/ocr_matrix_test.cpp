#include "recognition/ocr_matrix.h"

#include <cstring>

#include <gtest/gtest.h>

namespace orbisk {
namespace {

OcrMatrixPtr Doubles(int rows, int cols, std::initializer_list<double> values) {
    OcrMatrixPtr m(CreateOcrMatrix(kOcrDouble, rows, cols));
    std::copy(values.begin(), values.end(), static_cast<double*>(m->data));
    return m;
}

TEST(OcrMatrixTest, CreateZeroesAndRefusesNegativeSizes) {
    OcrMatrixPtr m(CreateOcrMatrix(kOcrInt32, 2, 3));
    ASSERT_TRUE(m);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(static_cast<int32_t*>(m->data)[i], 0);
    EXPECT_EQ(CreateOcrMatrix(kOcrUInt8, -1, 3), nullptr);
    OcrMatrixPtr odd(CreateOcrMatrix(9, 2, 2));
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->data, nullptr);
}

TEST(OcrMatrixTest, ConvertReadsEachTypeInItsOwnWay) {
    OcrMatrixPtr bytes(CreateOcrMatrix(kOcrUInt8, 1, 2));
    static_cast<uint8_t*>(bytes->data)[0] = 200;
    static_cast<uint8_t*>(bytes->data)[1] = 7;
    ConvertOcrMatrixToDouble(bytes);
    ASSERT_EQ(bytes->type, kOcrDouble);
    EXPECT_EQ(static_cast<double*>(bytes->data)[0], 200.0);

    OcrMatrixPtr ints(CreateOcrMatrix(kOcrInt32Alt, 1, 1));
    static_cast<int32_t*>(ints->data)[0] = -5;
    ConvertOcrMatrixToDouble(ints);
    EXPECT_EQ(static_cast<double*>(ints->data)[0], -5.0);

    OcrMatrixPtr odd(CreateOcrMatrix(9, 1, 3));
    ConvertOcrMatrixToDouble(odd);
    ASSERT_EQ(odd->type, kOcrDouble);
    EXPECT_EQ(static_cast<double*>(odd->data)[2], 0.0);
}

TEST(OcrMatrixTest, Reshape) {
    OcrMatrixPtr m(CreateOcrMatrix(kOcrDouble, 2, 3));
    OcrMatrix* raw = m.get();
    EXPECT_FALSE(ReshapeOcrMatrix(&raw, 4));
    EXPECT_EQ(m->rows, 2);
    EXPECT_EQ(m->cols, 3);
    EXPECT_FALSE(ReshapeOcrMatrix(&raw, 0));
    EXPECT_FALSE(ReshapeOcrMatrix(&raw, -2));
    EXPECT_TRUE(ReshapeOcrMatrix(&raw, 6));
    EXPECT_EQ(m->rows, 6);
    EXPECT_EQ(m->cols, 1);
    OcrMatrix* none = nullptr;
    EXPECT_FALSE(ReshapeOcrMatrix(&none, 1));
}

TEST(OcrMatrixTest, MultiplyNeedsDoublesOfMatchingShape) {
    OcrMatrixPtr a = Doubles(2, 3, {1, 2, 3, 4, 5, 6});
    OcrMatrixPtr b = Doubles(3, 1, {1, 0, -1});
    OcrMatrixPtr p(MultiplyOcrMatrix(a.get(), b.get()));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->rows, 2);
    EXPECT_EQ(p->cols, 1);
    EXPECT_DOUBLE_EQ(static_cast<double*>(p->data)[0], -2);
    EXPECT_DOUBLE_EQ(static_cast<double*>(p->data)[1], -2);
    EXPECT_EQ(MultiplyOcrMatrix(b.get(), b.get()), nullptr);
    OcrMatrixPtr f(CreateOcrMatrix(kOcrFloat, 3, 1));
    EXPECT_EQ(MultiplyOcrMatrix(a.get(), f.get()), nullptr);
    EXPECT_EQ(MultiplyOcrMatrix(nullptr, b.get()), nullptr);
}

TEST(OcrMatrixTest, UnitLengthLeavesZeroVectorAlone) {
    OcrMatrixPtr v = Doubles(1, 2, {3, 4});
    EXPECT_TRUE(NormalizeUnitLength(v.get()));
    EXPECT_DOUBLE_EQ(static_cast<double*>(v->data)[0], 0.6);
    OcrMatrixPtr zero = Doubles(1, 2, {0, 0});
    EXPECT_TRUE(NormalizeUnitLength(zero.get()));
    EXPECT_EQ(static_cast<double*>(zero->data)[1], 0.0);
    OcrMatrixPtr bytes(CreateOcrMatrix(kOcrUInt8, 1, 2));
    EXPECT_FALSE(NormalizeUnitLength(bytes.get()));
    EXPECT_FALSE(NormalizeUnitLength(nullptr));
}

TEST(OcrMatrixTest, PadCopiesTheBlockOverZeros) {
    OcrMatrixPtr src(CreateOcrMatrix(kOcrUInt8, 3, 3));
    for (int i = 0; i < 9; ++i) static_cast<uint8_t*>(src->data)[i] = static_cast<uint8_t>(i + 1);
    OcrMatrixPtr dst(CreateOcrMatrix(kOcrUInt8, 4, 4));
    std::memset(dst->data, 99, 16);
    ASSERT_TRUE(PadOcrMatrix(src.get(), 1, 1, 2, 2, dst.get(), 2, 0));
    const auto* d = static_cast<uint8_t*>(dst->data);
    const uint8_t expected[16] = {0, 0, 5, 6, 0, 0, 8, 9, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(d[i], expected[i]) << i;
}

struct PadCase {
    const char* name;
    int srcX, srcY, width, height, dstX, dstY;
    int dstType;
};

class PadRefusalTest : public ::testing::TestWithParam<PadCase> {};

TEST_P(PadRefusalTest, RefusedWithoutTouchingDestination) {
    const PadCase& c = GetParam();
    OcrMatrixPtr src(CreateOcrMatrix(kOcrUInt8, 3, 3));
    OcrMatrixPtr dst(CreateOcrMatrix(c.dstType, 4, 4));
    if (dst->type == kOcrUInt8) std::memset(dst->data, 7, 16);
    EXPECT_FALSE(
        PadOcrMatrix(src.get(), c.srcX, c.srcY, c.width, c.height, dst.get(), c.dstX, c.dstY));
    if (dst->type == kOcrUInt8) {
        EXPECT_EQ(static_cast<uint8_t*>(dst->data)[0], 7);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PadRefusalTest,
    ::testing::Values(PadCase{"PastDestination", 0, 0, 3, 3, 2, 0, kOcrUInt8},
                      PadCase{"PastSource", 2, 2, 2, 2, 0, 0, kOcrUInt8},
                      PadCase{"NegativeSourceOffset", -1, 0, 2, 2, 0, 0, kOcrUInt8},
                      PadCase{"NegativeDestinationOffset", 0, 0, 2, 2, 0, -1, kOcrUInt8},
                      PadCase{"NegativeWidth", 0, 0, -2, 2, 0, 0, kOcrUInt8},
                      PadCase{"HugeOffset", 0, 0, 2, 2, 2147483647, 0, kOcrUInt8},
                      PadCase{"DoubleDestination", 0, 0, 2, 2, 0, 0, kOcrDouble}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orbisk
