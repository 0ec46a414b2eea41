#include "recognition/image_normalizer.h"

#include <cstring>

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include "recognition/factories.h"
#include "tests/recognition/ocr_test_matrix.h"

namespace orbisk {
namespace {

using test::FromMat;

cv::Mat ToMat(const OcrMatrix* m) { return cv::Mat(m->rows, m->cols, CV_8UC1, m->data).clone(); }

struct Input {
    const char* name;
    cv::Mat image;
};

std::vector<Input> Inputs() {
    std::vector<Input> inputs;
    inputs.push_back({"OnePixel", cv::Mat(1, 1, CV_8UC1, cv::Scalar(255))});
    cv::Mat hbar = cv::Mat::zeros(20, 50, CV_8UC1);
    hbar.row(7).setTo(200);
    inputs.push_back({"ThinHorizontalBar", hbar});
    cv::Mat vbar = cv::Mat::zeros(50, 3, CV_8UC1);
    vbar.col(1).setTo(90);
    inputs.push_back({"ThinVerticalBar", vbar});
    inputs.push_back({"AllInk", cv::Mat(33, 17, CV_8UC1, cv::Scalar(255))});
    cv::Mat corner = cv::Mat::zeros(40, 40, CV_8UC1);
    corner(cv::Rect(30, 0, 10, 10)).setTo(255);
    inputs.push_back({"InkInACorner", corner});
    return inputs;
}

TEST(NormalizerTest, EveryNormaliserGives64x64Bytes) {
    for (const char* key : {"LN", "BI", "B2"}) {
        auto normaliser = CreateImageNormalizer(key);
        for (const Input& input : Inputs()) {
            OcrMatrixPtr image = FromMat(input.image);
            OcrMatrixPtr out = normaliser->Normalize(image.get());
            ASSERT_TRUE(out) << key << " " << input.name;
            EXPECT_EQ(out->type, kOcrUInt8);
            EXPECT_EQ(out->rows, NormalizedSize);
            EXPECT_EQ(out->cols, NormalizedSize);
        }
    }
}

TEST(NormalizerTest, LinearCentresABar) {
    // A 10 x 40 bar: squared to 40 x 40 around it, so it fills the middle quarter.
    cv::Mat image = cv::Mat::zeros(60, 60, CV_8UC1);
    image(cv::Rect(25, 10, 10, 40)).setTo(100);
    OcrMatrixPtr out = CLinearNormalizerImp().Normalize(FromMat(image).get());
    const cv::Mat o = ToMat(out.get());
    // Strokes are brought to a mean of 128 over the bytes of 5 or more, soft edges included.
    EXPECT_EQ(o.at<uchar>(32, 31), o.at<uchar>(32, 32));
    EXPECT_EQ(o.at<uchar>(0, 28), o.at<uchar>(63, 35));
    EXPECT_GT(o.at<uchar>(32, 31), 128);
    EXPECT_EQ(o.at<uchar>(32, 10), 0);
    EXPECT_EQ(o.at<uchar>(32, 53), 0);
    // The columns of ink are placed symmetrically about the middle.
    cv::Mat columns;
    cv::reduce(o, columns, 0, cv::REDUCE_MAX);
    int first = -1, last = -1;
    for (int x = 0; x < 64; ++x) {
        if (columns.at<uchar>(0, x) > 0) {
            if (first < 0) first = x;
            last = x;
        }
    }
    EXPECT_EQ(first + last, 63);
    EXPECT_NEAR(last - first + 1, 16, 2);
}

TEST(NormalizerTest, LinearDoublesStrokesThatAverage64) {
    // 64 x 64 ink box: resized unchanged. 16 rows of 136 and 48 of 40 average 64.
    cv::Mat image(64, 64, CV_8UC1, cv::Scalar(40));
    image.rowRange(0, 16).setTo(136);
    OcrMatrixPtr out = CLinearNormalizerImp().Normalize(FromMat(image).get());
    const cv::Mat o = ToMat(out.get());
    EXPECT_EQ(o.at<uchar>(0, 0), 255);
    EXPECT_EQ(o.at<uchar>(40, 40), 80);
}

TEST(NormalizerTest, BiMomentsOfASymmetricBlock) {
    cv::Mat image = cv::Mat::zeros(20, 20, CV_8UC1);
    image(cv::Rect(4, 6, 8, 4)).setTo(255);
    const BiMoments m = ComputeBiMoments(FromMat(image).get());
    EXPECT_FLOAT_EQ(m.xc, 8.0f);
    EXPECT_FLOAT_EQ(m.yc, 8.0f);
    EXPECT_NEAR(m.left, m.right, 1e-5);
    EXPECT_NEAR(m.top, m.bottom, 1e-5);
    // A centred character maps linearly, so a uniform block stays uniform inside.
    OcrMatrixPtr out = CBiMomentNormalizerImp().Normalize(FromMat(image).get());
    const cv::Mat o = ToMat(out.get());
    EXPECT_EQ(o.at<uchar>(32, 32), o.at<uchar>(32, 20));
}

TEST(NormalizerTest, B2KeepsProportionsUnlessElongated) {
    // 30 x 40 stays rectangular and is stretched over the whole output.
    cv::Mat block = cv::Mat::zeros(60, 60, CV_8UC1);
    block(cv::Rect(15, 10, 30, 40)).setTo(255);
    const cv::Mat b2 = ToMat(CB2MomentNormalizerImp().Normalize(FromMat(block).get()).get());
    const cv::Mat bi = ToMat(CBiMomentNormalizerImp().Normalize(FromMat(block).get()).get());
    cv::Mat b2cols, bicols;
    cv::reduce(b2, b2cols, 0, cv::REDUCE_MAX);
    cv::reduce(bi, bicols, 0, cv::REDUCE_MAX);
    EXPECT_GT(cv::countNonZero(b2cols), cv::countNonZero(bicols));
    // 10 x 40 is elongated: it is squared as with BI.
    cv::Mat bar = cv::Mat::zeros(60, 60, CV_8UC1);
    bar(cv::Rect(25, 10, 10, 40)).setTo(255);
    const cv::Mat b2bar = ToMat(CB2MomentNormalizerImp().Normalize(FromMat(bar).get()).get());
    const cv::Mat bibar = ToMat(CBiMomentNormalizerImp().Normalize(FromMat(bar).get()).get());
    EXPECT_EQ(cv::norm(b2bar, bibar, cv::NORM_INF), 0);
}

}  // namespace
}  // namespace orbisk
