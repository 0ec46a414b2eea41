#include "recognition/distance_measurer.h"

#include <gtest/gtest.h>

#include "recognition/factories.h"

namespace orbisk {
namespace {

template <typename T>
OcrMatrixPtr Make(int type, int rows, int cols, std::initializer_list<T> values) {
    OcrMatrixPtr m(CreateOcrMatrix(type, rows, cols));
    std::copy(values.begin(), values.end(), static_cast<T*>(m->data));
    return m;
}

TEST(DistanceTest, KnownValues) {
    const OcrMatrixPtr origin = Make<double>(kOcrDouble, 1, 2, {0, 0});
    const OcrMatrixPtr point = Make<double>(kOcrDouble, 1, 2, {3, 4});
    double d = -1;
    EXPECT_EQ(CL2DistanceMeasurerImp().Measure(origin.get(), point.get(), &d), 0);
    EXPECT_DOUBLE_EQ(d, 25);
    EXPECT_EQ(CCityDistanceMeasurerImp().Measure(origin.get(), point.get(), &d), 0);
    EXPECT_DOUBLE_EQ(d, 7);
    const OcrMatrixPtr unit = Make<double>(kOcrDouble, 1, 2, {0.6, 0.8});
    EXPECT_EQ(CCosineDistanceMeasurerImp().Measure(unit.get(), unit.get(), &d), 0);
    EXPECT_NEAR(d, 0, 1e-12);
}

TEST(DistanceTest, EachOperandIsReadInItsOwnType) {
    // Bytes against doubles: the doubles are not truncated to bytes.
    const OcrMatrixPtr bytes = Make<uint8_t>(kOcrUInt8, 1, 2, {10, 200});
    const OcrMatrixPtr doubles = Make<double>(kOcrDouble, 1, 2, {10.5, 199.5});
    double d = 0;
    EXPECT_EQ(CL2DistanceMeasurerImp().Measure(bytes.get(), doubles.get(), &d), 0);
    EXPECT_DOUBLE_EQ(d, 0.5);
    EXPECT_EQ(CCityDistanceMeasurerImp().Measure(bytes.get(), doubles.get(), &d), 0);
    EXPECT_DOUBLE_EQ(d, 1.0);
    // Large integers do not overflow.
    const OcrMatrixPtr big = Make<int32_t>(kOcrInt32, 1, 1, {2000000000});
    const OcrMatrixPtr small = Make<int32_t>(kOcrInt32Alt, 1, 1, {-2000000000});
    EXPECT_EQ(CL2DistanceMeasurerImp().Measure(big.get(), small.get(), &d), 0);
    EXPECT_DOUBLE_EQ(d, 1.6e19);
}

TEST(DistanceTest, ShapeMismatchLeavesTheDistance) {
    const OcrMatrixPtr row(CreateOcrMatrix(kOcrDouble, 1, 512));
    const OcrMatrixPtr column(CreateOcrMatrix(kOcrDouble, 512, 1));
    for (const char* key : {"L2", "City", "Cos"}) {
        double d = 42;
        EXPECT_EQ(CreateDistanceMeasurer(key)->Measure(row.get(), column.get(), &d), 1) << key;
        EXPECT_EQ(d, 42);
        EXPECT_EQ(CreateDistanceMeasurer(key)->Measure(row.get(), nullptr, &d), 1) << key;
    }
}

}  // namespace
}  // namespace orbisk
