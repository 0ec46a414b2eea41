#include "platform/frame_converter.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace orbisk::platform {
namespace {

cv::Mat Picture(int w, int h) {
    cv::Mat m(h, w, CV_8UC3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            m.at<cv::Vec3b>(y, x) = {static_cast<uint8_t>(x * 255 / w),
                                     static_cast<uint8_t>(y * 255 / h), 128};
        }
    }
    return m;
}

TEST(FrameConverter, DecodesMjpegToTopDownBgr) {
    const cv::Mat picture = Picture(320, 240);
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(cv::imencode(".jpg", picture, jpeg, {cv::IMWRITE_JPEG_QUALITY, 95}));
    FrameConverter converter;
    FrameSample s;
    ASSERT_TRUE(converter.Convert(kFourCcMjpg, 320, 240, jpeg.data(), jpeg.size(), 0, s));
    EXPECT_EQ(s.width, 320);
    EXPECT_EQ(s.height, -240);
    EXPECT_GE(s.length, static_cast<size_t>(s.stride) * 240);
    const cv::Mat out(240, 320, CV_8UC3, const_cast<uint8_t*>(s.data), s.stride);
    EXPECT_LT(cv::norm(out, picture, cv::NORM_L1) / picture.total() / 3, 2.0);

    // The buffer is kept for the next frame of the same size.
    const uint8_t* first = s.data;
    ASSERT_TRUE(converter.Convert(kFourCcMjpg, 320, 240, jpeg.data(), jpeg.size(), 0, s));
    EXPECT_EQ(s.data, first);
}

TEST(FrameConverter, SkipsCorruptAndShortFrames) {
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(cv::imencode(".jpg", Picture(320, 240), jpeg));
    FrameConverter converter;
    FrameSample s;
    // Cut short, as when bytesused is less than the picture.
    EXPECT_FALSE(converter.Convert(kFourCcMjpg, 320, 240, jpeg.data(), jpeg.size() / 2, 0, s));
    std::vector<uint8_t> garbage(5000, 0x55);
    EXPECT_FALSE(converter.Convert(kFourCcMjpg, 320, 240, garbage.data(), garbage.size(), 0, s));
    garbage[0] = 0xFF;
    garbage[1] = 0xD8;
    EXPECT_FALSE(converter.Convert(kFourCcMjpg, 320, 240, garbage.data(), garbage.size(), 0, s));
    std::vector<uint8_t> yuyv(320 * 2 * 240 - 1);
    EXPECT_FALSE(converter.Convert(kFourCcYuyv, 320, 240, yuyv.data(), yuyv.size(), 0, s));
    // A good frame still decodes after the bad ones.
    EXPECT_TRUE(converter.Convert(kFourCcMjpg, 320, 240, jpeg.data(), jpeg.size(), 0, s));
}

TEST(FrameConverter, ConvertsYuyvWithRowPadding) {
    const int w = 64, h = 8, pitch = w * 2 + 32;
    std::vector<uint8_t> yuyv(static_cast<size_t>(pitch) * h, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w * 2; x += 2) {
            yuyv[y * pitch + x] = 235;      // white luma
            yuyv[y * pitch + x + 1] = 128;  // no colour
        }
    }
    FrameConverter converter;
    FrameSample s;
    ASSERT_TRUE(converter.Convert(kFourCcYuyv, w, h, yuyv.data(), yuyv.size(), pitch, s));
    const cv::Mat out(h, w, CV_8UC3, const_cast<uint8_t*>(s.data), s.stride);
    double lo, hi;
    cv::minMaxLoc(out.reshape(1), &lo, &hi);
    EXPECT_GE(lo, 250);
}

TEST(FrameConverter, YuyvRoundTripKeepsColours) {
    // Blocks of one colour each, two pixels wide at least (YUYV shares the
    // colour of a pixel pair).
    const cv::Scalar colours[] = {{0, 0, 255},   {0, 255, 0},     {255, 0, 0},
                                  {40, 90, 200}, {255, 255, 255}, {0, 0, 0}};
    cv::Mat picture(4, 24, CV_8UC3);
    for (int i = 0; i < 6; ++i) picture.colRange(4 * i, 4 * i + 4).setTo(colours[i]);
    std::vector<uint8_t> yuyv;
    BgrToYuyv(picture, yuyv);
    ASSERT_EQ(yuyv.size(), 24u * 4 * 2);
    FrameConverter converter;
    FrameSample s;
    ASSERT_TRUE(converter.Convert(kFourCcYuyv, 24, 4, yuyv.data(), yuyv.size(), 0, s));
    const cv::Mat out(4, 24, CV_8UC3, const_cast<uint8_t*>(s.data), s.stride);
    EXPECT_LE(cv::norm(out, picture, cv::NORM_INF), 8);
}

}  // namespace
}  // namespace orbisk::platform
