#include "platform/frame_converter.h"

#include "platform/jpeg_decode_limits.h"
#include "tests/support/log_capture.h"
#include "tests/support/progressive_jpeg.h"

#include <gtest/gtest.h>
#include <QString>
#include <QStringList>
#include <QtGlobal>
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

std::vector<uint8_t> Jpeg(const cv::Mat& picture) {
    std::vector<uint8_t> jpeg;
    EXPECT_TRUE(cv::imencode(".jpg", picture, jpeg, {cv::IMWRITE_JPEG_QUALITY, 90}));
    return jpeg;
}

// The frame header (SOF0) rewritten to claim another size; the data stays
// that of the small picture.
std::vector<uint8_t> ClaimingSize(std::vector<uint8_t> jpeg, int width, int height) {
    for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<uint8_t>(height);
            jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<uint8_t>(width);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

struct BadMjpegCase {
    const char* name;
    std::vector<uint8_t> (*make)();
    friend void PrintTo(const BadMjpegCase& c, std::ostream* os) { *os << c.name; }
};

const BadMjpegCase kBadMjpegCases[] = {
    {"claims_30000x30000", [] { return ClaimingSize(Jpeg(Picture(16, 16)), 30000, 30000); }},
    {"claims_65500x65500", [] { return ClaimingSize(Jpeg(Picture(16, 16)), 65500, 65500); }},
    {"another_size", [] { return Jpeg(Picture(640, 480)); }},
    {"half_the_data_then_end_marker",
     [] {
         std::vector<uint8_t> jpeg = Jpeg(Picture(320, 240));
         jpeg.resize(jpeg.size() / 2);
         jpeg.push_back(0xFF);
         jpeg.push_back(0xD9);
         return jpeg;
     }},
    {"progressive_with_too_many_scans",
     [] { return test::EncodeProgressiveJpeg(Picture(320, 240), platform::kMaxJpegScans + 1); }},
};

class BadMjpegFrame : public testing::TestWithParam<BadMjpegCase> {};

// A 320 x 240 stream meets one bad frame: it is dropped with a log line, the
// frame buffer is neither grown nor moved, and the next good frame decodes.
TEST_P(BadMjpegFrame, IsDroppedWithALogLineAndTheStreamGoesOn) {
    const std::vector<uint8_t> good = Jpeg(Picture(320, 240));
    const std::vector<uint8_t> bad = GetParam().make();
    ASSERT_FALSE(bad.empty());
    FrameConverter converter;
    FrameSample s;
    ASSERT_TRUE(converter.Convert(kFourCcMjpg, 320, 240, good.data(), good.size(), 0, s));
    const uint8_t* buffer = converter.Frame().data;

    test::LogCapture log("orbisk.camera");
    bool converted = true;
    EXPECT_NO_THROW(converted =
                        converter.Convert(kFourCcMjpg, 320, 240, bad.data(), bad.size(), 0, s));
    EXPECT_FALSE(converted);
    EXPECT_EQ(converter.Frame().data, buffer);
    EXPECT_EQ(converter.Frame().size(), cv::Size(320, 240));
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("dropped"), std::string::npos) << log.Lines()[0];

    ASSERT_TRUE(converter.Convert(kFourCcMjpg, 320, 240, good.data(), good.size(), 0, s));
    EXPECT_EQ(s.data, buffer);
}

INSTANTIATE_TEST_SUITE_P(Table, BadMjpegFrame, testing::ValuesIn(kBadMjpegCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrameConverter, AcceptsAProgressiveFrameOfFewScans) {
    const std::vector<uint8_t> jpeg = test::EncodeProgressiveJpeg(Picture(320, 240), 10);
    FrameConverter converter;
    FrameSample s;
    ASSERT_TRUE(converter.Convert(kFourCcMjpg, 320, 240, jpeg.data(), jpeg.size(), 0, s));
    const cv::Mat out(240, 320, CV_8UC3, const_cast<uint8_t*>(s.data), s.stride);
    EXPECT_LT(cv::norm(out, Picture(320, 240), cv::NORM_L1) / (320 * 240 * 3), 3.0);
}

// YUYV carries two pixels in four bytes: an odd width cannot be converted,
// and the buffer a driver fills for it is no longer than width x 2 per row.
TEST(FrameConverter, DropsYuyvFramesOfOddWidth) {
    const int w = 321, h = 8;
    std::vector<uint8_t> yuyv(static_cast<size_t>(w) * 2 * h, 128);
    FrameConverter converter;
    FrameSample s;
    test::LogCapture log("orbisk.camera");
    EXPECT_FALSE(converter.Convert(kFourCcYuyv, w, h, yuyv.data(), yuyv.size(), 0, s));
    EXPECT_FALSE(converter.Convert(kFourCcYuyv, w, h, yuyv.data(), yuyv.size(), w * 2, s));
    EXPECT_TRUE(converter.Frame().empty());
    ASSERT_GE(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("dropped"), std::string::npos);
    EXPECT_TRUE(converter.Convert(kFourCcYuyv, w - 1, h, yuyv.data(), yuyv.size(), w * 2, s));
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
