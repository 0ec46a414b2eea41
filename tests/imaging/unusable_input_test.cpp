// Every processing function answers unusable input with false or an empty
// result and leaves its outputs alone; none throws (they run on the capture,
// preview and orientation threads).

#include <gtest/gtest.h>
#include <opencv2/core.hpp>

#include "imaging/binarization.h"
#include "imaging/deskew.h"
#include "imaging/document_crop.h"
#include "imaging/document_detection.h"
#include "imaging/noise_cleaning.h"

namespace orbisk {
namespace {

struct UnusableCase {
    const char* name;
    cv::Mat image;
};

class UnusableImage : public ::testing::TestWithParam<UnusableCase> {};

TEST_P(UnusableImage, GivesFalseOrEmptyWithoutThrowing) {
    const cv::Mat& image = GetParam().image;
    const cv::Mat sentinel(2, 2, CV_8UC1, cv::Scalar(9));
    cv::Mat result = sentinel;

    EXPECT_FALSE(CropDocument(image, kCropDetection, 0, result));
    EXPECT_EQ(result.data, sentinel.data);
    std::vector<cv::Mat> pages{sentinel};
    EXPECT_FALSE(CropDocuments(image, pages, kCropDetection, 0));
    EXPECT_TRUE(pages.empty());
    EXPECT_FALSE(DeskewDocument(image, result, kPageDetection, 10));
    EXPECT_EQ(result.data, sentinel.data);

    // Cutting needs a usable image even for a given box.
    const RotatedBox box{10, 10, 8, 8, 0};
    EXPECT_TRUE(WarpRotatedBox(box, image).empty());
    EXPECT_TRUE(ExtractRotatedBox(image, box).empty());
    EXPECT_FALSE(DeskewFromOutline(image, box, {{6, 6}, {14, 6}, {14, 14}}, 0, result));
    EXPECT_EQ(result.data, sentinel.data);

    EXPECT_TRUE(BinarizeDocument(image, 21, 301, 0.4).empty());
    cv::Mat adaptive = sentinel;
    AdaptiveBinarize(image, 15, 10, adaptive);
    EXPECT_TRUE(adaptive.empty());

    cv::Mat cleaned = image.clone();
    EXPECT_FALSE(ClearBorderNoise(cleaned));
    if (!image.empty()) {
        EXPECT_FALSE(RemoveSpeckles(cleaned, 5));
        EXPECT_EQ(cv::norm(cleaned, image, cv::NORM_INF), 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Images, UnusableImage,
    ::testing::Values(UnusableCase{"empty", cv::Mat()},
                      UnusableCase{"sixteen_bit", cv::Mat(60, 80, CV_16UC1, cv::Scalar(900))},
                      UnusableCase{"float", cv::Mat(60, 80, CV_32FC3, cv::Scalar::all(0.5))},
                      UnusableCase{"two_channels", cv::Mat(60, 80, CV_8UC2, cv::Scalar::all(9))},
                      UnusableCase{"four_channels", cv::Mat(60, 80, CV_8UC4, cv::Scalar::all(9))}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UnusableInput, UniformPictureHoldsNoDocument) {
    const cv::Mat grey(480, 640, CV_8UC3, cv::Scalar::all(128));
    const cv::Mat sentinel(2, 2, CV_8UC1, cv::Scalar(9));
    cv::Mat result = sentinel;
    EXPECT_FALSE(CropDocument(grey, kCropDetection, 0, result));
    std::vector<cv::Mat> pages{sentinel};
    EXPECT_FALSE(CropDocuments(grey, pages, kCropDetection, 0));
    EXPECT_TRUE(pages.empty());
    EXPECT_FALSE(DeskewDocument(grey, result, kPageDetection, 10));
    EXPECT_EQ(result.data, sentinel.data);
}

TEST(UnusableInput, BadSizesGiveEmptyResults) {
    cv::Mat page(120, 160, CV_8UC3);
    cv::randu(page, 0, 256);
    EXPECT_TRUE(BinarizeDocument(page, 0, 301, 0.4).empty());
    EXPECT_TRUE(BinarizeDocument(page, 21, -301, 0.4).empty());
    // A page too small for the tenth-size background copy.
    EXPECT_TRUE(BinarizeDocument(cv::Mat(4, 4, CV_8UC1, cv::Scalar(200)), 21, 301, 0.4).empty());
    cv::Mat bw;
    AdaptiveBinarize(page, 4, 10, bw);  // even block size
    EXPECT_TRUE(bw.empty());
    RotatedBox box;
    EXPECT_FALSE(DetectDocument(box, 9, 3, 0.2f, 0.01f, cv::Mat(1, 1, CV_8UC1), 8.0));
}

}  // namespace
}  // namespace orbisk
