#include "recognition/feature_extractor.h"

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include "recognition/doc_ocr.h"
#include "recognition/factories.h"
#include "tests/recognition/ocr_test_matrix.h"

namespace orbisk {
namespace {

using test::FromMat;

const float* Values(const OcrMatrixPtr& m) { return static_cast<const float*>(m->data); }

TEST(GradientFeatureTest, BlankImageGivesZeros) {
    OcrMatrixPtr f =
        CGradientFeatureExtractorImp().Extract(FromMat(cv::Mat::zeros(64, 64, CV_8UC1)).get(), 0);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->cols, 512);
    for (int i = 0; i < 512; ++i) EXPECT_EQ(Values(f)[i], 0.0f);
}

TEST(GradientFeatureTest, VerticalEdgeGoesToDirectionZero) {
    cv::Mat image = cv::Mat::zeros(64, 64, CV_8UC1);
    image.colRange(32, 64).setTo(255);
    OcrMatrixPtr f = CGradientFeatureExtractorImp().Extract(FromMat(image).get(), 0);
    ASSERT_TRUE(f);
    const float* v = Values(f);
    // Cell row 3, cell columns 3 and 4 straddle the edge, far from any border.
    for (int cx : {3, 4}) {
        const float* cell = v + (3 * 8 + cx) * 8;
        EXPECT_GT(cell[0], 0);
        for (int d = 1; d < 8; ++d) EXPECT_NEAR(cell[d], 0, 1e-3 * cell[0]) << cx << " " << d;
    }
}

TEST(GradientFeatureTest, QuarterTurnPermutesCellsAndShiftsDirections) {
    cv::Mat image = cv::Mat::zeros(64, 64, CV_8UC1);
    cv::line(image, {10, 8}, {10, 55}, cv::Scalar(255), 6);
    cv::line(image, {10, 8}, {50, 8}, cv::Scalar(180), 5);
    cv::line(image, {10, 30}, {38, 44}, cv::Scalar(220), 4);
    cv::circle(image, {45, 40}, 9, cv::Scalar(140), 3);
    const cv::Mat turned = RotateMat90(image);
    CGradientFeatureExtractorImp gra;
    OcrMatrixPtr a = gra.Extract(FromMat(image).get(), 0);
    OcrMatrixPtr b = gra.Extract(FromMat(turned).get(), 0);
    ASSERT_TRUE(a && b);
    float largest = 0;
    for (int i = 0; i < 512; ++i) largest = std::max(largest, Values(a)[i]);
    ASSERT_GT(largest, 0);
    // Source (row y, col x) lands at (row 63 - x, col y); the gradient angle drops by 90 deg.
    for (int cy = 0; cy < 8; ++cy) {
        for (int cx = 0; cx < 8; ++cx) {
            for (int d = 0; d < 8; ++d) {
                const float expected = Values(a)[(cy * 8 + cx) * 8 + d];
                const float got = Values(b)[((7 - cx) * 8 + cy) * 8 + (d + 6) % 8];
                EXPECT_NEAR(got / largest, expected / largest, 1e-4) << cy << cx << d;
            }
        }
    }
}

TEST(GradientFeatureTest, TooSmallImagesAreRefused) {
    CGradientFeatureExtractorImp gra;
    EXPECT_FALSE(gra.Extract(FromMat(cv::Mat::ones(7, 64, CV_8UC1)).get(), 0));
    EXPECT_FALSE(gra.Extract(FromMat(cv::Mat::ones(64, 7, CV_8UC1)).get(), 0));
    EXPECT_TRUE(gra.Extract(FromMat(cv::Mat::ones(8, 8, CV_8UC1)).get(), 0));
    EXPECT_FALSE(CGaborMagFeatureExtractorImp("GAB").Extract(
        FromMat(cv::Mat::ones(5, 64, CV_8UC1)).get(), 0));
}

TEST(GaborTest, KernelSizesAndSumAdjustment) {
    for (auto [lambda, size] : {std::pair{4, 9}, {6, 13}, {8, 17}}) {
        const GaborKernelPair k = GaborKernel(0.0, lambda, true);
        EXPECT_EQ(k.real.rows, size);
        EXPECT_EQ(k.imag.cols, size);
        // The centre of the real part is the Gaussian's peak, 1.
        EXPECT_FLOAT_EQ(k.real.at<float>(size / 2, size / 2), 1.0f);
    }
    const GaborKernelPair plain = GaborKernel(CV_PI / 4, 6, false);
    const GaborKernelPair adjusted = GaborKernel(CV_PI / 4, 6, true, true);
    EXPECT_TRUE(plain.imag.empty());
    const double sum = cv::sum(plain.real)[0];
    EXPECT_NEAR(adjusted.real.at<float>(0, 0), plain.real.at<float>(0, 0) - sum, 1e-4);
}

TEST(GaborTest, ConvolveSameEqualsFilter2DWithFlippedKernel) {
    cv::Mat image(64, 64, CV_8UC1);
    cv::randu(image, 0, 256);
    for (int lambda : {4, 8}) {
        const cv::Mat kernel = GaborKernel(CV_PI / 4, lambda, true).imag;  // not symmetric
        const cv::Mat got = ConvolveSame(image, kernel);
        cv::Mat flipped, expected, source;
        cv::flip(kernel, flipped, -1);
        image.convertTo(source, CV_32F);
        cv::filter2D(source, expected, CV_32F, flipped, cv::Point(-1, -1), 0, cv::BORDER_CONSTANT);
        ASSERT_EQ(got.size(), image.size());
        EXPECT_LT(cv::norm(got, expected, cv::NORM_INF), 1e-3) << lambda;
    }
}

TEST(GaborTest, SignedExtractorLeavesRoomOfMissingWavelengths) {
    cv::Mat image = cv::Mat::zeros(64, 64, CV_8UC1);
    cv::line(image, {10, 10}, {50, 54}, cv::Scalar(255), 5);
    cv::line(image, {12, 50}, {54, 12}, cv::Scalar(255), 5);
    OcrMatrixPtr all = CreateFeatureExtractor("GBF")->Extract(FromMat(image).get(), 0);
    OcrMatrixPtr two = CreateFeatureExtractor("GBF:4:4:8")->Extract(FromMat(image).get(), 0);
    ASSERT_TRUE(all && two);
    ASSERT_EQ(two->cols, 1536);
    int zerosAll = 0;
    for (int i = 0; i < 1536; ++i) zerosAll += Values(all)[i] == 0.0f;
    EXPECT_LT(zerosAll, 1536 / 4);
    for (int i = 1024; i < 1536; ++i) ASSERT_EQ(Values(two)[i], 0.0f) << i;
    for (int i = 0; i < 1024; ++i) EXPECT_GE(Values(two)[i], 0.0f);
}

}  // namespace
}  // namespace orbisk
