#include "recognition/fft.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <opencv2/core.hpp>

namespace orbisk {
namespace {

using Complex = CComplex<float>;

TEST(ComplexTest, Arithmetic) {
    const Complex zero;
    EXPECT_EQ(zero.re, 0.0f);
    EXPECT_EQ(zero.im, 0.0f);
    Complex a(1, 2);
    a += Complex(3, -1);  // 4 + i
    EXPECT_EQ(a.re, 4.0f);
    EXPECT_EQ(a.im, 1.0f);
    a *= Complex(0, 1);  // (4 + i) i = -1 + 4i
    EXPECT_EQ(a.re, -1.0f);
    EXPECT_EQ(a.im, 4.0f);
    const Complex p = Complex(1, 1) * Complex(1, -1);  // 2
    EXPECT_EQ(p.re, 2.0f);
    EXPECT_EQ(p.im, 0.0f);
    const Complex d = Complex(1, 1) - Complex(3, 5);
    EXPECT_EQ(d.re, -2.0f);
    EXPECT_EQ(d.im, -4.0f);
    EXPECT_FLOAT_EQ(Complex(3, -4).Magnitude(), 5.0f);
}

struct FftCase {
    const char* name;
    std::vector<Complex> input;
    int n;
    bool ok;
    std::vector<Complex> expected;  // the values afterwards
};

class FftTableTest : public ::testing::TestWithParam<FftCase> {};

TEST_P(FftTableTest, TransformsInPlace) {
    const FftCase& c = GetParam();
    std::vector<Complex> values = c.input;
    EXPECT_EQ(FFTRadix2(values.data(), c.n), c.ok);
    ASSERT_EQ(values.size(), c.expected.size());
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_NEAR(values[i].re, c.expected[i].re, 1e-6) << i;
        EXPECT_NEAR(values[i].im, c.expected[i].im, 1e-6) << i;
    }
}

const std::vector<Complex> kSix = {{1, 0}, {2, 0}, {3, 1}, {4, 0}, {5, 0}, {6, -1}};

INSTANTIATE_TEST_SUITE_P(
    Cases, FftTableTest,
    ::testing::Values(
        FftCase{
            "Impulse", {{1, 0}, {0, 0}, {0, 0}, {0, 0}}, 4, true, {{1, 0}, {1, 0}, {1, 0}, {1, 0}}},
        FftCase{"ShiftedImpulse",
                {{0, 0}, {1, 0}, {0, 0}, {0, 0}},
                4,
                true,
                {{1, 0}, {0, -1}, {-1, 0}, {0, 1}}},
        FftCase{"Constant",
                {{2, 0}, {2, 0}, {2, 0}, {2, 0}, {2, 0}, {2, 0}, {2, 0}, {2, 0}},
                8,
                true,
                {{16, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}},
        FftCase{"LengthOne", {{3, 4}}, 1, true, {{3, 4}}},
        FftCase{"LengthSix", kSix, 6, false, kSix},
        FftCase{"LengthZero", {{1, 2}, {3, 4}}, 0, false, {{1, 2}, {3, 4}}},
        FftCase{"NegativeLength", {{1, 2}, {3, 4}}, -2, false, {{1, 2}, {3, 4}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FftTest, RandomValuesMatchOpenCv) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    for (int n : {2, 64, 256}) {
        std::vector<Complex> values(static_cast<size_t>(n));
        cv::Mat source(1, n, CV_32FC2);
        for (int i = 0; i < n; ++i) {
            values[i] = Complex(uniform(random), uniform(random));
            source.at<cv::Vec2f>(0, i) = {values[i].re, values[i].im};
        }
        cv::Mat expected;
        cv::dft(source, expected, cv::DFT_COMPLEX_OUTPUT);
        ASSERT_TRUE(FFTRadix2(values.data(), n));
        for (int i = 0; i < n; ++i) {
            const cv::Vec2f e = expected.at<cv::Vec2f>(0, i);
            EXPECT_NEAR(values[i].re, e[0], 1e-4) << n << " " << i;
            EXPECT_NEAR(values[i].im, e[1], 1e-4) << n << " " << i;
        }
    }
}

TEST(FftTest, NullValuesAreRefused) { EXPECT_FALSE(FFTRadix2(nullptr, 4)); }

}  // namespace
}  // namespace orbisk
